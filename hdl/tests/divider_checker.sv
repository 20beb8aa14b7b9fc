// One divider configuration of the scoreboard: a restoring_divider of the
// given widths, checked sample by sample against the quodra model, signed
// then unsigned (the DUT's is_signed input), on every combination of edge
// operands and on random ones: through quodra_model's wide vectors, and
// through quodra_divider on the DUT's ports directly. With GOLDEN set it
// also reads the golden files named by plusargs (see tb_quodra.sv).
module divider_checker
  import quodra_pkg::*;
#(
    parameter int DIVIDEND_WIDTH = 8,
    parameter int DIVISOR_WIDTH = 8,
    parameter string LABEL = "div",
    parameter bit GOLDEN = 0
) (
    input  logic clk,
    input  logic rst_n,
    input  bit   enable,
    input  bit   fault,
    input  int   random_samples,
    input  longint unsigned seed,
    output bit   finished,
    output int   checked,
    output int   mismatches
);
  localparam int B = DIVIDEND_WIDTH;
  localparam int A = DIVISOR_WIDTH;
  // Golden-file fields are read into words this wide.
  localparam int GW = 128;
  localparam int GOLDEN_MAX_ROWS = 1000;

  logic         start = 0;
  logic         is_signed = 0;
  logic [B-1:0] dividend = '0;
  logic [A-1:0] divisor = '0;
  logic         busy, done, div_by_zero;
  logic [B-1:0] quotient;
  logic [A-1:0] remainder;

  restoring_divider #(.DIVIDEND_WIDTH(B), .DIVISOR_WIDTH(A)) dut (
      .clk, .rst_n, .start, .is_signed, .fault_remainder_sign(fault), .dividend, .divisor,
      .busy, .done, .quotient, .remainder, .div_by_zero);

  typedef longint unsigned u64_t;
  u64_t state;

  // xorshift64*: the bench's own generator, so a seed means the same
  // samples in every simulator.
  function automatic longint unsigned next64();
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 64'h2545F4914F6CDD1D;
  endfunction

  function automatic quodra_vec_t field_mask(int width);
    return {QUODRA_MAX_WIDTH{1'b1}} >> (QUODRA_MAX_WIDTH - width);
  endfunction

  // A random operand pattern whose significant bit count is uniform over
  // 0..width, half of them inverted (small negative values when signed).
  function automatic quodra_vec_t random_operand(int width);
    quodra_vec_t v = '0;
    for (int i = 0; i < (width + 63) / 64; i++) v[i*64+:64] = next64();
    v &= field_mask(width);
    v >>= int'(next64() % u64_t'(64'(width) + 1));
    if (next64() % 2 == 1) v = ~v & field_mask(width);
    return v;
  endfunction

  // Most negative, -1, 0, 1, most positive as signed patterns (unsigned:
  // 2^(w-1), the maximum, 0, 1, 2^(w-1) - 1).
  function automatic quodra_vec_t edge_operand(int width, int which);
    case (which)
      0: return quodra_vec_t'(1) << (width - 1);
      1: return field_mask(width);
      2: return '0;
      3: return quodra_vec_t'(1);
      default: return field_mask(width) >> 1;
    endcase
  endfunction

  task automatic run_dut(input logic [B-1:0] a, input logic [A-1:0] d, input bit sgn,
                         output logic [B-1:0] q, output logic [A-1:0] r, output logic z);
    // Inputs change and outputs are sampled on the falling edge, away from
    // the rising edge the divider works on.
    @(negedge clk);
    dividend = a;
    divisor = d;
    is_signed = sgn;
    start = 1;
    @(negedge clk);
    start = 0;
    do @(negedge clk); while (!done);
    q = quotient;
    r = remainder;
    z = div_by_zero;
  endtask

  function automatic string mode_text(bit sgn);
    return sgn ? "signed" : "unsigned";
  endfunction

  // Compares the DUT's fields with the model's; reports a mismatch.
  function automatic void compare(string source, bit sgn, quodra_vec_t a, quodra_vec_t d,
                                  quodra_vec_t q, quodra_vec_t r, bit z,
                                  quodra_vec_t mq, quodra_vec_t mr, bit mz);
    checked++;
    if (q !== mq || r !== mr || z !== mz) begin
      mismatches++;
      $error("MISMATCH %s %s %s: dividend 0x%0h divisor 0x%0h: %s quotient 0x%0h remainder 0x%0h div_by_zero %0d, model quotient 0x%0h remainder 0x%0h div_by_zero %0d",
             LABEL, mode_text(sgn), source, a, d, source, q, r, z, mq, mr, mz);
    end
  endfunction

  // The exact-width class, one specialization per sign mode, takes the
  // DUT's own ports as they are: no casts, no extension.
  typedef quodra_divider #(QUODRA_ALGORITHM_RADIX2, A, B, 0, 1, 0) signed_divider_t;
  typedef quodra_divider #(QUODRA_ALGORITHM_RADIX2, A, B, 0, 0, 0) unsigned_divider_t;
  signed_divider_t signed_divider;
  unsigned_divider_t unsigned_divider;

  function automatic void compare_ports(bit sgn, logic [B-1:0] cq, logic [A-1:0] cr, logic cz);
    if (cq !== quotient || cr !== remainder || cz !== div_by_zero) begin
      mismatches++;
      $error("MISMATCH %s %s DUT ports: dividend 0x%0h divisor 0x%0h: DUT quotient 0x%0h remainder 0x%0h div_by_zero %0d, quodra_divider quotient 0x%0h remainder 0x%0h div_by_zero %0d",
             LABEL, mode_text(sgn), dividend, divisor, quotient, remainder, div_by_zero,
             cq, cr, cz);
    end
  endfunction

  // The DUT's ports after a division against the class at the same widths.
  // One function a mode: Verilator 5.006 turns an if/else whose branches
  // only assign the result of a call into ?: and then makes both calls.
  function automatic void check_signed_ports();
    logic [B-1:0] cq;
    logic [A-1:0] cr;
    logic cz;
    if (!signed_divider.divide(dividend, divisor, cq, cr, cz)) mismatches++;
    else compare_ports(1, cq, cr, cz);
  endfunction

  function automatic void check_unsigned_ports();
    logic [B-1:0] cq;
    logic [A-1:0] cr;
    logic cz;
    if (!unsigned_divider.divide(dividend, divisor, cq, cr, cz)) mismatches++;
    else compare_ports(0, cq, cr, cz);
  endfunction

  task automatic check_sample(quodra_model model, bit sgn, quodra_vec_t a, quodra_vec_t d);
    quodra_vec_t mq, mr;
    bit mz;
    logic [B-1:0] q;
    logic [A-1:0] r;
    logic z;
    run_dut(a[B-1:0], d[A-1:0], sgn, q, r, z);
    if (!model.divide(a, d, mq, mr, mz)) mismatches++;
    else compare("DUT", sgn, a, d, quodra_vec_t'(q), quodra_vec_t'(r), z, mq, mr, mz);
    if (sgn) check_signed_ports();
    else check_unsigned_ports();
  endtask

  task automatic check_mode(bit sgn);
    quodra_model model = new(QUODRA_ALGORITHM_RADIX2, A, B, int'(sgn), 0, 0,
                             $sformatf("%s %s", LABEL, mode_text(sgn)));
    if (!model.ok()) begin
      mismatches++;
      return;
    end
    if (model.quotient_width() != B || model.remainder_width() != A) begin
      mismatches++;
      $error("%s: model field widths %0d/%0d, expected %0d/%0d", LABEL,
             model.quotient_width(), model.remainder_width(), B, A);
    end
    // Every pair of edge operands, then random ones (one call site each for
    // the helpers: a simulator may expand a task wherever it is called).
    for (int n = 0; n < 25 + random_samples; n++) begin
      quodra_vec_t a, d;
      if (n < 25) begin
        a = edge_operand(B, n / 5);
        d = edge_operand(A, n % 5);
      end else begin
        a = random_operand(B);
        d = random_operand(A);
      end
      check_sample(model, sgn, a, d);
    end
    model.free();
  endtask

  // ---- Golden files written by quodra-div -f hex ----

  typedef logic [GW-1:0] golden_word_t;
  golden_word_t bare_words[5*GOLDEN_MAX_ROWS];
  golden_word_t header_words[5*GOLDEN_MAX_ROWS];
  golden_word_t scanned[GOLDEN_MAX_ROWS][5];

  // Words $readmemh filled, up to the first one still holding the marker.
  function automatic int filled_words(bit header);
    int n = 0;
    while (n < 5 * GOLDEN_MAX_ROWS && (header ? header_words[n] : bare_words[n]) !== '1) n++;
    return n;
  endfunction

  function automatic void golden_fail(string text);
    mismatches++;
    $error("GOLDEN %s: %s", LABEL, text);
  endfunction

  // Reads one golden file three ways ($readmemh of the bare file and of the
  // --header file, $fscanf of the bare file), checks that they agree and
  // hold `rows` rows, and returns the row count read.
  function automatic int read_golden(string bare, string with_header, int rows);
    int fd, got, count, words;
    golden_word_t f0, f1, f2, f3, f4;
    foreach (bare_words[i]) begin
      bare_words[i] = '1;  // no field is 128 bits of ones: marks unread words
      header_words[i] = '1;
    end
    $readmemh(bare, bare_words);
    $readmemh(with_header, header_words);
    words = filled_words(0);
    if (words != 5 * rows) golden_fail($sformatf("$readmemh read %0d words from %s, expected %0d", words, bare, 5 * rows));
    if (filled_words(1) != words) golden_fail($sformatf("$readmemh read %0d words from the --header file, %0d from the bare one", filled_words(1), words));
    for (int i = 0; i < words; i++)
      if (header_words[i] !== bare_words[i]) begin
        golden_fail($sformatf("word %0d: %0h with --header, %0h without", i, header_words[i], bare_words[i]));
        break;
      end

    fd = $fopen(bare, "r");
    if (fd == 0) begin
      golden_fail($sformatf("cannot open %s", bare));
      return 0;
    end
    count = 0;
    forever begin
      got = $fscanf(fd, "%h %h %h %h %h\n", f0, f1, f2, f3, f4);
      if (got != 5) break;
      if (count < GOLDEN_MAX_ROWS) begin
        scanned[count][0] = f0;
        scanned[count][1] = f1;
        scanned[count][2] = f2;
        scanned[count][3] = f3;
        scanned[count][4] = f4;
      end
      count++;
    end
    $fclose(fd);
    if (count != rows) golden_fail($sformatf("$fscanf read %0d rows from %s, expected %0d", count, bare, rows));
    for (int i = 0; i < count && i < words / 5; i++)
      for (int k = 0; k < 5; k++)
        if (scanned[i][k] !== bare_words[5*i+k]) begin
          golden_fail($sformatf("row %0d field %0d: $fscanf %0h, $readmemh %0h", i, k, scanned[i][k], bare_words[5*i+k]));
          return count;
        end
    return count < words / 5 ? count : words / 5;
  endfunction

  // Signed Radix-2 remainder mode at this checker's widths: each row against
  // the model and the DUT.
  task automatic check_golden_remainder(string bare, string with_header, int rows);
    quodra_model model;
    int n = read_golden(bare, with_header, rows);
    model = new(QUODRA_ALGORITHM_RADIX2, A, B, 1, 0, 0, {LABEL, " golden"});
    for (int i = 0; i < n; i++) begin
      quodra_vec_t a = quodra_vec_t'(scanned[i][0]), d = quodra_vec_t'(scanned[i][1]);
      quodra_vec_t q = quodra_vec_t'(scanned[i][2]), r = quodra_vec_t'(scanned[i][3]);
      quodra_vec_t mq, mr;
      bit mz;
      void'(model.divide(a, d, mq, mr, mz));
      compare("golden", 1, a, d, q, r, scanned[i][4][0], mq, mr, mz);
      check_sample(model, 1, a, d);
    end
    model.free();
  endtask

  // High Radix fractional at this checker's widths, against the model only:
  // the quotient field is one bit wider, and the rows of a zero divisor
  // carry x digits, which a two-state simulator reads as zeros.
  task automatic check_golden_high_radix(string bare, string with_header, int rows, int fw);
    quodra_model model;
    int unknown = 0;
    int n = read_golden(bare, with_header, rows);
    model = new(QUODRA_ALGORITHM_HIGH_RADIX, A, B, 1, 1, fw, {LABEL, " golden high radix"});
    if (model.quotient_width() != B + 1 || model.remainder_width() != fw)
      golden_fail($sformatf("High Radix field widths %0d/%0d", model.quotient_width(), model.remainder_width()));
    for (int i = 0; i < n; i++) begin
      quodra_vec_t a = quodra_vec_t'(scanned[i][0]), d = quodra_vec_t'(scanned[i][1]);
      quodra_vec_t q = quodra_vec_t'(scanned[i][2]), f = quodra_vec_t'(scanned[i][3]);
      quodra_vec_t mq, mf;
      bit mz;
      void'(model.divide(a, d, mq, mf, mz));
      if (!model.quotient_known) begin
        unknown++;
        if (!mz || d != 0) golden_fail($sformatf("row %0d: quotient unknown for divisor 0x%0h", i, d));
        // The file's x digits: compare only the flag.
        q = '0;
        f = '0;
      end
      compare("golden", 1, a, d, q, f, scanned[i][4][0], mq, mf, mz);
    end
    if (unknown == 0) golden_fail("no zero-divisor row in the High Radix file");
    model.free();
  endtask

  initial begin
    string bare, with_header, hr_bare, hr_header;
    int rows, hr_fraction;
    finished = 0;
    checked = 0;
    mismatches = 0;
    wait (rst_n === 1'b1);
    if (enable) begin
      state = seed ^ (64'h9E3779B97F4A7C15 * (u64_t'(B) * 1000 + u64_t'(A)));
      if (state == 0) state = 1;
      signed_divider = new({LABEL, " signed ports"});
      unsigned_divider = new({LABEL, " unsigned ports"});
      if (!signed_divider.ok() || !unsigned_divider.ok()) mismatches++;
      for (int m = 0; m < 2; m++) check_mode(m == 0);  // signed, then unsigned
      if (GOLDEN && $value$plusargs("golden=%s", bare) &&
          $value$plusargs("golden_header=%s", with_header) &&
          $value$plusargs("golden_rows=%d", rows)) begin
        check_golden_remainder(bare, with_header, rows);
        if ($value$plusargs("golden_high_radix=%s", hr_bare) &&
            $value$plusargs("golden_high_radix_header=%s", hr_header) &&
            $value$plusargs("golden_high_radix_fraction=%d", hr_fraction))
          check_golden_high_radix(hr_bare, hr_header, rows, hr_fraction);
        $display("%s: golden files checked (%0d rows each)", LABEL, rows);
      end
      signed_divider.free();
      unsigned_divider.free();
    end
    finished = 1;
  end
endmodule
