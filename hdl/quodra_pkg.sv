// quodra_pkg - the quodra divider model in a SystemVerilog test bench.
//
// A scoreboard creates one quodra_model per divider configuration, hands it
// each sample the RTL divides and compares the fields:
//
//   import quodra_pkg::*;
//   quodra_model model = new(QUODRA_ALGORITHM_RADIX2, 33, 33, 1, 0, 0, "div33");
//   quodra_vec_t q, r;  bit dbz;
//   if (model.divide(dividend, divisor, q, r, dbz)) ...compare with the RTL...
//   model.free();
//
// Constructor arguments, in the order of the library's configuration record
// and by these names for binding by name (new(.algorithm(...), ...)):
//   algorithm         QUODRA_ALGORITHM_RADIX2 (1), _HIGH_RADIX (3), _LUTMULT (4)
//   divisor_width     bits of a divisor; width of the remainder field
//   dividend_width    bits of a dividend; width of the integer quotient field
//   is_signed         1: operands and results are two's complement, 0: unsigned
//   fractional        0: quotient and remainder; 1: fixed-point quotient
//   fractional_width  fraction bits in fractional mode (ignored otherwise)
//   model_name        names the model in messages ("" for the default)
//
// Vectors are quodra_vec_t, bit [QUODRA_MAX_WIDTH-1:0] with
// QUODRA_MAX_WIDTH = 1024; every width must fit (High Radix: dividend width
// up to 1023, its quotient field being one bit wider). A package's
// parameters cannot be overridden, so another maximum comes from the macro
// of the same name (+define+QUODRA_MAX_WIDTH=2048), with quodra_dpi.c
// compiled for it (-DQUODRA_DPI_MAX_WIDTH=2048).
//
// quodra_divider #(ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED,
// FRACTIONAL) is the same model with the configuration as class parameters
// and ports of the fields' exact widths, so RTL signals connect without
// casts or extension:
//
//   quodra_divider #(QUODRA_ALGORITHM_RADIX2, 8, 16) div = new("div16x8");
//   logic [15:0] q;  logic [7:0] r;  logic z;
//   if (div.divide(dut_dividend, dut_divisor, q, r, z)) ...compare...
//
//   QUOTIENT_W   DIVIDEND_W, + 1 for High Radix (a signed integer part:
//                -2^(B-1) / -1 = +2^(B-1))
//   REMAINDER_W  remainder mode: DIVISOR_W; fractional: FRACTION_W, and 1
//                when FRACTION_W is 0 (that bit is then always 0)
//
// divide(dividend, divisor, quotient, remainder, div_by_zero) reads each
// operand from the low bits of its vector, at its configured width, as two's
// complement when signed; a zero- or a sign-extended operand gives the same
// result. In strict mode (the member strict, 1 by default) any other bits
// above the width are an error: they mean a value the field cannot hold, as
// from a constructor given the dividend and divisor widths swapped. With
// strict = 0 they are ignored, as by a port of that width. The outputs are
// the core's output fields, bit patterns at their widths with zeros above:
//   remainder mode   quotient: dividend width; remainder: divisor width
//   Radix-2 fraction quotient: the integer part, dividend width; remainder:
//                    the fraction field, fractional width (signed: a two's
//                    complement fraction with fractional_width - 1 bits)
//   High Radix       quotient: the integer part, dividend width + 1 (a signed
//                    field: -2^(B-1) / -1 = +2^(B-1)); remainder: fraction
//   div_by_zero      1 for a zero divisor
// After each divide, quotient_known is 0 only for the High Radix quotient of
// a zero divisor, which the core leaves undefined (quotient and fraction are
// then zero); quotient_width() and remainder_width() give the field widths.
//
// free() releases the library model; SystemVerilog has no destructors, so a
// model that is never freed lives until the simulation ends.
//
// Errors never crash the simulation: a refused configuration, a width over
// QUODRA_MAX_WIDTH, a C side compiled for another maximum width, an operand
// that is neither zero- nor sign-extended (strict mode), a divide or
// free on a model that failed or was freed, and any library error are
// reported with $error (the text also kept in last_error, and counted in
// error_count); divide then returns 0 with zero outputs.
//
// When every field of a model fits 64 bits (quodra_divider: all its ports;
// quodra_model: its widths, asked at creation), divide passes machine words
// to quodra_dpi_divide64 instead of vectors, with the same results and
// messages.
//
// The C side is hdl/quodra_dpi.c: load the shared library quodra_dpi that
// the CMake build makes (it carries the engine and needs only GNU MP), or
// compile that file with the simulator's own C compiler (it needs only
// svdpi.h, quodra.h, gmp.h; link -lquodra -lgmp).
package quodra_pkg;

`ifdef QUODRA_MAX_WIDTH
  parameter int QUODRA_MAX_WIDTH = `QUODRA_MAX_WIDTH;
`else
  parameter int QUODRA_MAX_WIDTH = 1024;
`endif

  localparam int QUODRA_ALGORITHM_RADIX2 = 1;
  localparam int QUODRA_ALGORITHM_HIGH_RADIX = 3;
  localparam int QUODRA_ALGORITHM_LUTMULT = 4;

  typedef bit [QUODRA_MAX_WIDTH-1:0] quodra_vec_t;

  import "DPI-C" function int quodra_dpi_max_width();
  import "DPI-C" function string quodra_dpi_last_error();
  import "DPI-C" function chandle quodra_dpi_create(
      input int algorithm, input int divisor_width, input int dividend_width,
      input int is_signed, input int fractional, input int fractional_width,
      input string name);
  import "DPI-C" function int quodra_dpi_divide(
      input chandle model, input quodra_vec_t dividend, input quodra_vec_t divisor,
      output quodra_vec_t quotient, output quodra_vec_t remainder,
      output bit div_by_zero, output bit quotient_known);
  import "DPI-C" function int quodra_dpi_check_extension(
      input chandle model, input quodra_vec_t dividend, input quodra_vec_t divisor);
  import "DPI-C" function int quodra_dpi_free(input chandle model);
  import "DPI-C" function int quodra_dpi_quotient_width(input chandle model);
  import "DPI-C" function int quodra_dpi_remainder_width(input chandle model);
  // Ports of up to 64 bits: the same division on machine words, which the
  // classes take when every field of their model fits one.
  import "DPI-C" function int quodra_dpi_word_ports(input chandle model);
  import "DPI-C" function int quodra_dpi_divide64(
      input chandle model, input longint unsigned dividend, input longint unsigned divisor,
      output longint unsigned quotient, output longint unsigned remainder,
      output bit div_by_zero, output bit quotient_known);

  // What both classes hold: the C side's handle of one model (a number,
  // never an address), its name and error record, and the steps every model
  // takes alike: creation, the existence check, free, and reporting.
  virtual class quodra_handle;
    protected chandle handle;
    protected bit freed;
    string name;
    string last_error;
    int error_count;
    bit quotient_known;
    local string kind; // the class, as messages name it

    // Set by each class's constructor first. (Verilator 5.006 drops the
    // arguments of a super.new call, so the base constructor takes none.)
    protected function void name_model(string kind, string model_name);
      this.kind = kind;
      name = model_name;
      handle = null;
    endfunction

    // Makes the C side's model: 0, with the reason reported, on failure.
    protected function bit create(int algorithm, int divisor_width, int dividend_width,
                                  int is_signed, int fractional, int fractional_width);
      if (quodra_dpi_max_width() != QUODRA_MAX_WIDTH) begin
        fail($sformatf("the C side was built for %0d-bit vectors, the package for %0d",
                       quodra_dpi_max_width(), QUODRA_MAX_WIDTH));
        return 0;
      end
      handle = quodra_dpi_create(algorithm, divisor_width, dividend_width, is_signed,
                                 fractional, fractional_width, name);
      if (handle == null) begin
        fail(quodra_dpi_last_error());
        return 0;
      end
      return 1;
    endfunction

    // 1 while the model exists: created without error and not yet freed.
    function bit ok();
      return handle != null;
    endfunction

    // Releases the library model; a second free is an error.
    function void free();
      if (handle == null) begin
        fail(freed ? "free of a model already freed" : "free of a model that was not created");
        return;
      end
      if (quodra_dpi_free(handle) != 0) fail(quodra_dpi_last_error());
      handle = null;
      freed = 1;
    endfunction

    // A failed divide: the class's own reason for a model that does not
    // exist, else the C side's. Apart from divide, so that the strings it
    // builds are no locals of every call.
    protected function void divide_failed();
      if (handle == null)
        fail(freed ? "divide on a freed model" : "divide on a model that was not created");
      else
        fail(quodra_dpi_last_error());
    endfunction

    protected function void fail(string text);
      last_error = text;
      error_count++;
      $error("%s %s: %s", kind, name == "" ? "(unnamed)" : name, text);
    endfunction
  endclass

  class quodra_model extends quodra_handle;
    // 1: refuse an operand with bits above its width that are neither a
    // zero nor a sign extension; 0: take the low bits.
    bit strict = 1;
    // Every field fits 64 bits: divide on the 64-bit import, checking the
    // extension of each operand here against the mask of the bits above
    // its field.
    local bit words;
    local bit signed_operands;
    local int dividend_bits, divisor_bits;
    // The bits of the low word above each field (0 for a 64-bit field).
    local longint unsigned above_dividend_word, above_divisor_word;

    function new(int algorithm = QUODRA_ALGORITHM_RADIX2, int divisor_width = 16,
                 int dividend_width = 16, int is_signed = 1, int fractional = 0,
                 int fractional_width = 16, string model_name = "");
      name_model("quodra_model", model_name);
      if (!create(algorithm, divisor_width, dividend_width, is_signed, fractional,
                  fractional_width)) begin
        return;
      end
      words = quodra_dpi_word_ports(handle) == 1;
      signed_operands = is_signed != 0;
      dividend_bits = dividend_width;
      divisor_bits = divisor_width;
      above_dividend_word = dividend_width >= 64 ? 0 : '1 << dividend_width;
      above_divisor_word = divisor_width >= 64 ? 0 : '1 << divisor_width;
    endfunction

    // The word path first: a model whose fields fit 64 bits, with operands
    // that pass the strict check (or strict = 0), goes to the 64-bit import
    // with no 1024-bit temporaries and writes each output once.
    function bit divide(input quodra_vec_t dividend, input quodra_vec_t divisor,
                        output quodra_vec_t quotient, output quodra_vec_t remainder,
                        output bit div_by_zero);
      bit take_words = words;
      // Nested: a simulator may evaluate both sides of && eagerly, and with
      // strict = 0 the check is not needed.
      if (take_words && strict)
        take_words = extended(dividend, dividend_bits, above_dividend_word) &&
                     extended(divisor, divisor_bits, above_divisor_word);
      if (take_words) begin
        longint unsigned word_quotient, word_remainder;
        if (quodra_dpi_divide64(handle, 64'(dividend), 64'(divisor), word_quotient, word_remainder,
                                div_by_zero, quotient_known) == 0) begin
          quotient = quodra_vec_t'(word_quotient);
          remainder = quodra_vec_t'(word_remainder);
          return 1;
        end
        quotient = '0;
        remainder = '0;
        divide_failed();
        return 0;
      end
      return divide_checked(dividend, divisor, quotient, remainder, div_by_zero);
    endfunction

    // Every other divide: a model that does not exist, an operand that fails
    // the strict check, or fields over 64 bits.
    local function bit divide_checked(const ref quodra_vec_t dividend,
                                      const ref quodra_vec_t divisor, ref quodra_vec_t quotient,
                                      ref quodra_vec_t remainder, ref bit div_by_zero);
      quotient = '0;
      remainder = '0;
      div_by_zero = 0;
      quotient_known = 0;
      if (handle == null) begin
        divide_failed();
        return 0;
      end
      if (strict && quodra_dpi_check_extension(handle, dividend, divisor) != 0) begin
        fail({quodra_dpi_last_error(), " (strict mode; set strict = 0 to take the low bits)"});
        return 0;
      end
      if (quodra_dpi_divide(handle, dividend, divisor, quotient, remainder, div_by_zero,
                            quotient_known) != 0) begin
        divide_failed();
        return 0;
      end
      return 1;
    endfunction

    // Each operand holds one value of its field: zero above it or, signed,
    // copies of its sign bit there.
    // Taken on the word path only, where the field fits the low 64 bits:
    // the bits above it are those of the low word under above_word, and
    // every bit from 64 up.
    local function bit extended(const ref quodra_vec_t value, int bits,
                                longint unsigned above_word);
      longint unsigned low_above = value[63:0] & above_word;
      if (low_above == 0 && value[QUODRA_MAX_WIDTH-1:64] == '0) return 1;
      return signed_operands && value[bits-1] && low_above == above_word &&
             value[QUODRA_MAX_WIDTH-1:64] == '1;
    endfunction

    function int quotient_width();
      return handle == null ? 0 : quodra_dpi_quotient_width(handle);
    endfunction

    function int remainder_width();
      return handle == null ? 0 : quodra_dpi_remainder_width(handle);
    endfunction

  endclass

  // The model at a configuration fixed by the parameters, with ports of the
  // output fields' exact widths (see the header). Operands of exactly their
  // widths hold one value each, so there is nothing for strict mode to check.
  class quodra_divider #(
      int ALGORITHM = QUODRA_ALGORITHM_RADIX2,
      int DIVISOR_W = 16,
      int DIVIDEND_W = 16,
      int FRACTION_W = 0,
      bit SIGNED = 1,
      bit FRACTIONAL = 0
  ) extends quodra_handle;
    localparam int QUOTIENT_W = ALGORITHM == QUODRA_ALGORITHM_HIGH_RADIX ? DIVIDEND_W + 1
                                                                         : DIVIDEND_W;
    // A zero-bit fraction field still gets a port bit, always 0.
    localparam int REMAINDER_W = !FRACTIONAL ? DIVISOR_W : FRACTION_W > 0 ? FRACTION_W : 1;
    // Every port fits 64 bits: divide on the 64-bit import.
    localparam bit WORDS = DIVISOR_W <= 64 && DIVIDEND_W <= 64 && QUOTIENT_W <= 64 &&
                           REMAINDER_W <= 64;

    function new(string name = "");
      name_model("quodra_divider", name);
      void'(create(ALGORITHM, DIVISOR_W, DIVIDEND_W, int'(SIGNED), int'(FRACTIONAL),
                   FRACTION_W));
    endfunction

    // Outputs are written once on success; a failure zeroes them and
    // reports from a function of its own, so the call itself keeps no
    // strings.
    function bit divide(input bit [DIVIDEND_W-1:0] dividend, input bit [DIVISOR_W-1:0] divisor,
                        output bit [QUOTIENT_W-1:0] quotient,
                        output bit [REMAINDER_W-1:0] remainder, output bit div_by_zero);
      if (WORDS) begin
        longint unsigned word_quotient, word_remainder;
        if (quodra_dpi_divide64(handle, 64'(dividend), 64'(divisor), word_quotient,
                                word_remainder, div_by_zero, quotient_known) == 0) begin
          quotient = QUOTIENT_W'(word_quotient);
          remainder = REMAINDER_W'(word_remainder);
          return 1;
        end
      end else begin
        // The wide path, for ports over 64 bits: four vectors of the maximum width.
        quodra_vec_t wide_dividend = '0, wide_divisor = '0, wide_quotient, wide_remainder;
        wide_dividend[DIVIDEND_W-1:0] = dividend;
        wide_divisor[DIVISOR_W-1:0] = divisor;
        if (quodra_dpi_divide(handle, wide_dividend, wide_divisor, wide_quotient, wide_remainder,
                              div_by_zero, quotient_known) == 0) begin
          // The C side leaves zeros above each field.
          quotient = wide_quotient[QUOTIENT_W-1:0];
          remainder = wide_remainder[REMAINDER_W-1:0];
          return 1;
        end
      end
      // The C side has zeroed div_by_zero and quotient_known.
      quotient = '0;
      remainder = '0;
      divide_failed();
      return 0;
    endfunction

  endclass

endpackage
