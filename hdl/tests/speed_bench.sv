// The cost of one 32/32 signed remainder-mode divide through the package,
// against the floor of a DPI call of the same signature that only runs
// C's / and % (speed_floor.c). Not a test: run it by hand, see
// docs/performance.md. +calls=N sets the number of calls per row, +rounds=N
// how many times every row runs (its best round is reported).
module speed_bench;
  import quodra_pkg::*;

  import "DPI-C" function int speed_floor_divide64(
      input chandle model, input longint unsigned dividend, input longint unsigned divisor,
      output longint unsigned quotient, output longint unsigned remainder,
      output bit div_by_zero, output bit quotient_known);
  import "DPI-C" function longint unsigned speed_now_ns();

  // quodra_divider's shape around the floor call: the class overhead alone.
  class floor_divider;
    function bit divide(input bit [31:0] dividend, input bit [31:0] divisor,
                        output bit [31:0] quotient, output bit [31:0] remainder,
                        output bit div_by_zero);
      longint unsigned q, r;
      bit known;
      if (speed_floor_divide64(null, 64'(dividend), 64'(divisor), q, r, div_by_zero, known) != 0)
        return 0;
      quotient = 32'(q);
      remainder = 32'(r);
      return 1;
    endfunction
  endclass

  int calls = 1000000;
  // Every row runs once a round; each row's best round is reported, so a
  // burst of load on a shared machine spoils one round, not the ratios.
  int rounds = 5;
  localparam int ROWS = 7;
  string row_names[ROWS];
  longint unsigned best_ns[ROWS];
  int row;
  // Each row folds its results into checksum; every row must match the
  // floor's, or a row timed something other than the same divisions.
  bit [31:0] checksum, floor_checksum;
  int disagreeing_rows;

  // The operands of call i: a cheap scramble, the same for every row.
  function automatic bit [31:0] dividend_of(int i);
    return 32'(i) * 32'h9e3779b9;
  endfunction
  function automatic bit [31:0] divisor_of(int i);
    return (32'(i) * 32'h85ebca6b) >> (i % 29);
  endfunction

  // Ends the current row's round: keeps its best time and checks its
  // results against the floor's (row 0).
  function automatic void record(string what, longint unsigned started);
    longint unsigned elapsed = speed_now_ns() - started;
    if (row == 0) floor_checksum = checksum;
    else if (checksum != floor_checksum) begin
      $display("%s: RESULTS DIFFER FROM THE FLOOR'S", what);
      disagreeing_rows++;
    end
    row_names[row] = what;
    if (best_ns[row] == 0 || elapsed < best_ns[row]) best_ns[row] = elapsed;
    checksum = 0;
    row++;
  endfunction

  function automatic void print_rows();
    for (int r = 0; r < ROWS; r++)
      $display("%-46s %8.1f ns/call %7.2fx floor", row_names[r],
               real'(best_ns[r]) / real'(calls), real'(best_ns[r]) / real'(best_ns[0]));
  endfunction

  initial begin
    quodra_divider #(QUODRA_ALGORITHM_RADIX2, 32, 32, 0, 1, 0) divider = new("speed32");
    quodra_model model = new(QUODRA_ALGORITHM_RADIX2, 32, 32, 1, 0, 0, "speed32");
    floor_divider floor_class = new;
    chandle wide = quodra_dpi_create(QUODRA_ALGORITHM_RADIX2, 32, 32, 1, 0, 0, "wide32");
    longint unsigned started;
    bit [31:0] q, r;
    bit z, known;
    longint unsigned q64, r64;
    quodra_vec_t wq, wr;
    void'($value$plusargs("calls=%d", calls));
    void'($value$plusargs("rounds=%d", rounds));
    $display("%0d calls per row, best of %0d rounds, 32/32 signed remainder mode", calls, rounds);
    for (int round = 0; round < rounds; round++) begin
      row = 0;
      model.strict = 1;
      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(speed_floor_divide64(null, 64'(dividend_of(i)), 64'(divisor_of(i)), q64, r64, z,
                                   known));
        checksum = checksum * 3 ^ 32'(q64) ^ 32'(r64) << 1;
      end
      record("floor: C / and % in a DPI call", started);

      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(floor_class.divide(dividend_of(i), divisor_of(i), q, r, z));
        checksum = checksum * 3 ^ q ^ r << 1;
      end
      record("floor through a class of divide's shape", started);

      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(divider.divide(dividend_of(i), divisor_of(i), q, r, z));
        checksum = checksum * 3 ^ q ^ r << 1;
      end
      record("quodra_divider #(.., 32, 32).divide", started);

      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(model.divide(quodra_vec_t'(dividend_of(i)), quodra_vec_t'(divisor_of(i)), wq, wr, z));
        checksum = checksum * 3 ^ wq[31:0] ^ wr[31:0] << 1;
      end
      record("quodra_model(32, 32).divide (strict)", started);

      model.strict = 0;
      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(model.divide(quodra_vec_t'(dividend_of(i)), quodra_vec_t'(divisor_of(i)), wq, wr, z));
        checksum = checksum * 3 ^ wq[31:0] ^ wr[31:0] << 1;
      end
      record("quodra_model(32, 32).divide (strict = 0)", started);

      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(quodra_dpi_divide64(wide, 64'(dividend_of(i)), 64'(divisor_of(i)), q64, r64, z,
                                  known));
        checksum = checksum * 3 ^ 32'(q64) ^ 32'(r64) << 1;
      end
      record("quodra_dpi_divide64 called directly", started);

      started = speed_now_ns();
      for (int i = 0; i < calls; i++) begin
        void'(quodra_dpi_divide(wide, quodra_vec_t'(dividend_of(i)), quodra_vec_t'(divisor_of(i)),
                                wq, wr, z, known));
        checksum = checksum * 3 ^ wq[31:0] ^ wr[31:0] << 1;
      end
      record("quodra_dpi_divide (1024-bit vectors, GNU MP)", started);
    end
    print_rows();
    if (disagreeing_rows == 0) $display("every row's results agree with the floor's");
    else $display("%0d rows disagree with the floor", disagreeing_rows);
    divider.free();
    model.free();
    void'(quodra_dpi_free(wide));
    $finish;
  end
endmodule
