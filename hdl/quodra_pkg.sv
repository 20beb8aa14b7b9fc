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
// Constructor arguments, in the order of the library's configuration record:
//   algorithm         QUODRA_ALGORITHM_RADIX2 (1), _HIGH_RADIX (3), _LUTMULT (4)
//   divisor_width     bits of a divisor; width of the remainder field
//   dividend_width    bits of a dividend; width of the integer quotient field
//   is_signed         1: operands and results are two's complement, 0: unsigned
//   fractional        0: quotient and remainder; 1: fixed-point quotient
//   fractional_width  fraction bits in fractional mode (ignored otherwise)
//   name              names the model in messages ("" for the default)
//
// Vectors are quodra_vec_t, bit [QUODRA_MAX_WIDTH-1:0] with
// QUODRA_MAX_WIDTH = 1024; every width must fit (High Radix: dividend width
// up to 1023, its quotient field being one bit wider).
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
// The C side is hdl/quodra_dpi.c: load the shared library quodra_dpi that
// the CMake build makes, or compile that file with the simulator's own C
// compiler (it needs only svdpi.h, quodra.h, gmp.h; link -lquodra -lgmp).
package quodra_pkg;

  parameter int QUODRA_MAX_WIDTH = 1024;

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

  class quodra_model;
    local chandle handle;
    local bit freed;
    string name;
    string last_error;
    int error_count;
    bit quotient_known;
    // 1: refuse an operand with bits above its width that are neither a
    // zero nor a sign extension; 0: take the low bits.
    bit strict = 1;

    function new(int algorithm = QUODRA_ALGORITHM_RADIX2, int divisor_width = 16,
                 int dividend_width = 16, int is_signed = 1, int fractional = 0,
                 int fractional_width = 16, string model_name = "");
      name = model_name;
      handle = null;
      if (quodra_dpi_max_width() != QUODRA_MAX_WIDTH) begin
        fail($sformatf("the C side was built for %0d-bit vectors, the package for %0d",
                       quodra_dpi_max_width(), QUODRA_MAX_WIDTH));
        return;
      end
      handle = quodra_dpi_create(algorithm, divisor_width, dividend_width, is_signed,
                                 fractional, fractional_width, model_name);
      if (handle == null) fail(quodra_dpi_last_error());
    endfunction

    // 1 while the model exists: created without error and not yet freed.
    function bit ok();
      return handle != null;
    endfunction

    function bit divide(input quodra_vec_t dividend, input quodra_vec_t divisor,
                        output quodra_vec_t quotient, output quodra_vec_t remainder,
                        output bit div_by_zero);
      bit known;
      quotient = '0;
      remainder = '0;
      div_by_zero = 0;
      quotient_known = 0;
      if (handle == null) begin
        fail(freed ? "divide on a freed model" : "divide on a model that was not created");
        return 0;
      end
      if (strict && quodra_dpi_check_extension(handle, dividend, divisor) != 0) begin
        fail({quodra_dpi_last_error(), " (strict mode; set strict = 0 to take the low bits)"});
        return 0;
      end
      if (quodra_dpi_divide(handle, dividend, divisor, quotient, remainder, div_by_zero,
                            known) != 0) begin
        fail(quodra_dpi_last_error());
        return 0;
      end
      quotient_known = known;
      return 1;
    endfunction

    function int quotient_width();
      return handle == null ? 0 : quodra_dpi_quotient_width(handle);
    endfunction

    function int remainder_width();
      return handle == null ? 0 : quodra_dpi_remainder_width(handle);
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

    local function void fail(string text);
      last_error = text;
      error_count++;
      $error("quodra_model %s: %s", name == "" ? "(unnamed)" : name, text);
    endfunction
  endclass

endpackage
