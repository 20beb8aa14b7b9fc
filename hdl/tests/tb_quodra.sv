// Scoreboard bench: restoring_divider instances of several widths checked
// against the quodra model through quodra_pkg, plus golden-file readers and
// the package's error reporting. One compiled bench; plusargs choose the run:
//
//   +samples=N              random samples per configuration and sign mode (200)
//   +seed=S                 seed of the random operands (1)
//   +inject_fault           drive the DUTs' fault input: negative dividends
//                           keep a positive remainder
//   +golden=F +golden_header=F +golden_rows=N
//                           quodra-div hex files (bare and --header) of the
//                           33/33 signed remainder configuration
//   +golden_high_radix=F +golden_high_radix_header=F +golden_high_radix_fraction=W
//                           the same rows' High Radix fractional files
//   +error_cases            only exercise the package's error paths, strict
//                           mode and quodra_divider's fractional fields (run
//                           with +verilator+error+limit+N: each error is an
//                           $error)
//
// Ends with "PASS" and $finish, or with $fatal naming the mismatch count.
module tb_quodra;
  import quodra_pkg::*;

  logic clk = 0;
  logic rst_n = 0;
  always #5 clk = ~clk;

  bit fault;
  bit run_checkers;
  int samples = 200;
  longint unsigned seed = 1;

  localparam int N = 4;
  bit finished[N];
  int checked[N];
  int mismatches[N];

  divider_checker #(.DIVIDEND_WIDTH(8), .DIVISOR_WIDTH(8), .LABEL("div8")) c8 (
      .clk, .rst_n, .enable(run_checkers), .fault, .random_samples(samples), .seed,
      .finished(finished[0]), .checked(checked[0]), .mismatches(mismatches[0]));
  divider_checker #(.DIVIDEND_WIDTH(33), .DIVISOR_WIDTH(33), .LABEL("div33"), .GOLDEN(1)) c33 (
      .clk, .rst_n, .enable(run_checkers), .fault, .random_samples(samples), .seed,
      .finished(finished[1]), .checked(checked[1]), .mismatches(mismatches[1]));
  divider_checker #(.DIVIDEND_WIDTH(100), .DIVISOR_WIDTH(70), .LABEL("div100x70")) c100 (
      .clk, .rst_n, .enable(run_checkers), .fault, .random_samples(samples), .seed,
      .finished(finished[2]), .checked(checked[2]), .mismatches(mismatches[2]));
  divider_checker #(.DIVIDEND_WIDTH(3), .DIVISOR_WIDTH(1), .LABEL("div3x1")) c3 (
      .clk, .rst_n, .enable(run_checkers), .fault, .random_samples(samples), .seed,
      .finished(finished[3]), .checked(checked[3]), .mismatches(mismatches[3]));

  int error_failures = 0;
  int error_checks = 0;

  function automatic bit contains(string text, string part);
    for (int i = 0; i + part.len() <= text.len(); i++)
      if (text.substr(i, i + part.len() - 1) == part) return 1;
    return 0;
  endfunction

  // One error case: a model (either class) must have reported exactly
  // `errors` errors, the last one containing `expected`.
  function automatic void expect_errors(string what, int error_count, string last_error,
                                        int errors, string expected);
    error_checks++;
    if (error_count != errors || !contains(last_error, expected)) begin
      error_failures++;
      $display("ERROR CASE FAILED %s: %0d errors, last \"%s\"; expected %0d containing \"%s\"",
               what, error_count, last_error, errors, expected);
    end
  endfunction

  function automatic void expect_error(string what, quodra_model model, int errors,
                                       string expected);
    expect_errors(what, model.error_count, model.last_error, errors, expected);
  endfunction

  function automatic void case_failed(string text);
    error_failures++;
    $display("ERROR CASE FAILED: %s", text);
  endfunction

  // Strict mode: bits above an operand's width that are not its extension.
  task automatic run_strict_cases();
    quodra_model m;
    quodra_vec_t q, r;
    bit z;
    // The widths swapped by mistake: a 16-bit divisor and an 8-bit dividend
    // field, which 1000 does not fit.
    m = new(QUODRA_ALGORITHM_RADIX2, 16, 8, 1, 0, 0, "swapped");
    if (m.divide(1000, 7, q, r, z) || q != 0 || r != 0 || z != 0)
      case_failed("strict mode divided 1000 in an 8-bit field");
    expect_error("dividend above its field", m, 1,
                 "dividend has bits set above its 8-bit field: neither zero- nor sign-extended (strict mode; set strict = 0 to take the low bits)");
    if (m.divide(5, 'h10007, q, r, z)) case_failed("strict mode divided by a 17-bit divisor");
    expect_error("divisor above its field", m, 2, "divisor has bits set above its 16-bit field");
    // Sign-extended negative operands hold one value each: -100 / -7 = 14
    // remainder -2; so does a zero-extended pattern: 0xf9 is -7, -7 / 2 = -3
    // remainder -1.
    if (!m.divide(-100, -7, q, r, z) || q != 'h0e || r != 'hfffe || z != 0)
      case_failed($sformatf("-100 / -7 gave %0h %0h %0d", q, r, z));
    if (!m.divide('hf9, 2, q, r, z) || q != 'hfd || r != 'hffff || z != 0)
      case_failed($sformatf("0xf9 / 2 gave %0h %0h %0d", q, r, z));
    expect_error("extended operands", m, 2, "divisor has bits set above");
    // The word path checks the low word and the bits from 64 up apart: ones
    // that stop at bit 63, or start at bit 64, are no sign extension.
    if (m.divide(quodra_vec_t'(64'hffff_ffff_ffff_fff9), 2, q, r, z))
      case_failed("strict mode divided ones that stop at bit 63");
    if (m.divide(~quodra_vec_t'(64'hffff_ffff_ffff_ffff) | 'hf9, 2, q, r, z))
      case_failed("strict mode divided ones that start at bit 64");
    expect_error("extension split at bit 64", m, 4, "dividend has bits set above its 8-bit field");
    // strict = 0: the low 8 bits of 1000 (0x3e8), 0xe8 = -24: -24 / 7 = -3
    // remainder -3, as before strict mode.
    m.strict = 0;
    if (!m.divide(1000, 7, q, r, z) || q != 'hfd || r != 'hfffd || z != 0)
      case_failed($sformatf("low bits: 1000 / 7 gave %0h %0h %0d", q, r, z));
    expect_error("strict = 0", m, 4, "dividend has bits set above");
    m.free();
    // Unsigned fields have no sign to extend: -7 is all ones above 8 bits.
    m = new(QUODRA_ALGORITHM_RADIX2, 8, 8, 0, 0, 0, "unsigned strict");
    if (m.divide(-7, 2, q, r, z)) case_failed("an unsigned model divided -7");
    expect_error("unsigned sign extension", m, 1,
                 "dividend has bits set above its 8-bit unsigned field: not zero-extended");
    if (!m.divide('hf9, 2, q, r, z) || q != 'h7c || r != 'h01)
      case_failed($sformatf("unsigned 0xf9 / 2 gave %0h %0h", q, r));
    m.free();
    // A 64-bit signed model divides machine words; its check still sees
    // every bit of the vector above the word.
    m = new(QUODRA_ALGORITHM_RADIX2, 64, 64, 1, 0, 0, "strict 64");
    if (!m.divide(-100, -7, q, r, z) || q != 'h0e || r != quodra_vec_t'(64'hffff_ffff_ffff_fffe) || z != 0)
      case_failed($sformatf("64-bit -100 / -7 gave %0h %0h %0d", q, r, z));
    if (m.divide(quodra_vec_t'(1) << 64 | 5, 1, q, r, z))
      case_failed("strict mode divided a 64-bit dividend with bit 64 set");
    expect_error("bit 64 of a 64-bit dividend", m, 1,
                 "dividend has bits set above its 64-bit field: neither zero- nor sign-extended");
    if (m.divide(5, quodra_vec_t'(1) << (QUODRA_MAX_WIDTH - 1), q, r, z))
      case_failed("strict mode divided by a vector with only its top bit set");
    expect_error("top bit of a 64-bit divisor", m, 2, "divisor has bits set above its 64-bit field");
    m.free();
    // The same operand at 65 bits, on the wide path: bit 64 is in the field.
    m = new(QUODRA_ALGORITHM_RADIX2, 8, 65, 0, 0, 0, "strict 65");
    if (!m.divide(quodra_vec_t'(1) << 64 | 5, 1, q, r, z) || q != (quodra_vec_t'(1) << 64 | 5))
      case_failed($sformatf("65-bit dividend / 1 gave %0h", q));
    m.free();
  endtask

  typedef quodra_divider #(QUODRA_ALGORITHM_HIGH_RADIX, 8, 8, 4, 1, 1) high_radix_t;
  typedef quodra_divider #(QUODRA_ALGORITHM_HIGH_RADIX, 8, 8, 0, 1, 1) high_radix_integer_t;
  typedef quodra_divider #(QUODRA_ALGORITHM_RADIX2, 8, 8, 4, 1, 1) radix2_fraction_t;

  // quodra_divider's field widths against the C side's, through a
  // quodra_model of the same configuration.
  function automatic void expect_widths(string what, int quotient_w, int remainder_w,
                                        quodra_model m);
    error_checks++;
    if (quotient_w != m.quotient_width() || remainder_w != m.remainder_width())
      case_failed($sformatf("%s: quodra_divider fields %0d/%0d, the model's %0d/%0d", what,
                            quotient_w, remainder_w, m.quotient_width(), m.remainder_width()));
  endfunction

  // quodra_divider's exact-width ports on fractional configurations, with
  // values worked out by hand at 8/8 and 4 fraction bits. High Radix: Q =
  // round(N x 16 / D) split into a 9-bit integer part and the low 4 bits.
  task automatic run_divider_cases();
    high_radix_t hr = new("hr 8.4");
    high_radix_integer_t hr0 = new("hr 8.0");
    radix2_fraction_t r2 = new("radix-2 8.4");
    quodra_model m;
    bit [8:0] q;
    bit [7:0] q8;
    bit [3:0] f;
    bit [0:0] f0;
    quodra_vec_t mq, mf;
    bit z, mz;
    m = new(QUODRA_ALGORITHM_HIGH_RADIX, 8, 8, 1, 1, 4, "hr 8.4 model");
    expect_widths("High Radix", high_radix_t::QUOTIENT_W, high_radix_t::REMAINDER_W, m);
    m.free();
    m = new(QUODRA_ALGORITHM_RADIX2, 8, 8, 1, 1, 4, "radix-2 8.4 model");
    expect_widths("Radix-2 fraction", radix2_fraction_t::QUOTIENT_W,
                  radix2_fraction_t::REMAINDER_W, m);
    m.free();
    // -128 / -1 = +128 needs the ninth bit (-128 would be 0x180).
    if (!hr.divide(8'h80, 8'hff, q, f, z) || q != 9'h080 || f != 0 || z != 0)
      case_failed($sformatf("High Radix -128 / -1 gave %0h.%0h %0d", q, f, z));
    // -100 / 7: Q = -229 = -15 x 16 + 11.
    if (!hr.divide(8'h9c, 8'h07, q, f, z) || q != 9'h1f1 || f != 4'hb || z != 0)
      case_failed($sformatf("High Radix -100 / 7 gave %0h.%0h %0d", q, f, z));
    // A zero divisor leaves the High Radix quotient undefined: zeros.
    if (!hr.divide(8'h03, 8'h00, q, f, z) || hr.quotient_known || q != 0 || f != 0 || z != 1)
      case_failed($sformatf("High Radix 3 / 0 gave %0h.%0h %0d known %0d", q, f, z,
                            hr.quotient_known));
    // Radix-2 signed: a two's-complement fraction, 7 / 2 = 3 + 4/8.
    if (!r2.divide(8'h07, 8'h02, q8, f, z) || q8 != 8'h03 || f != 4'h4 || z != 0)
      case_failed($sformatf("Radix-2 7 / 2 gave %0h.%0h %0d", q8, f, z));
    // No fraction bits: the one fraction port bit stays 0 and the integer
    // part is the model's.
    m = new(QUODRA_ALGORITHM_HIGH_RADIX, 8, 8, 1, 1, 0, "hr 8.0 model");
    for (int n = 0; n < 6; n++) begin
      bit [7:0] a = 8'(37 * n - 100), d = 8'(n - 3);
      void'(m.divide(quodra_vec_t'(a), quodra_vec_t'(d), mq, mf, mz));
      if (!hr0.divide(a, d, q, f0, z) || q != mq[8:0] || f0 != 0 || z != mz)
        case_failed($sformatf("High Radix %0h / %0h, no fraction bits: %0h.%0h, the model's %0h",
                              a, d, q, f0, mq[8:0]));
    end
    expect_widths("no fraction bits", high_radix_integer_t::QUOTIENT_W, 0, m);
    m.free();
    expect_errors("quodra_divider divides", hr.error_count + hr0.error_count + r2.error_count,
                  "", 0, "");
    hr.free();
    hr.free();
    expect_errors("quodra_divider double free", hr.error_count, hr.last_error, 1,
                  "free of a model already freed");
    if (hr.ok() || hr.divide(8'h07, 8'h02, q, f, z) || q != 0 || z != 0)
      case_failed("a freed quodra_divider divided");
    expect_errors("quodra_divider divide after free", hr.error_count, hr.last_error, 2,
                  "divide on a freed model");
    hr0.free();
    r2.free();
  endtask

  // The class reports a refused configuration as quodra_model does.
  task automatic run_divider_refusal();
    quodra_divider #(QUODRA_ALGORITHM_HIGH_RADIX, 8, 8, 4, 0, 1) unsigned_hr = new("hr unsigned");
    bit [8:0] q;
    bit [3:0] f;
    bit z;
    expect_errors("quodra_divider refusal", unsigned_hr.error_count, unsigned_hr.last_error, 1,
                  "Operand sign must be Signed for the High Radix algorithm");
    if (unsigned_hr.ok() || unsigned_hr.divide(8'h07, 8'h02, q, f, z))
      case_failed("a refused quodra_divider divided");
    expect_errors("quodra_divider divide when refused", unsigned_hr.error_count,
                  unsigned_hr.last_error, 2, "divide on a model that was not created");
  endtask

  task automatic run_error_cases();
    quodra_model m;
    int status;
    quodra_vec_t q, r;
    bit z;
    m = new(QUODRA_ALGORITHM_RADIX2, 16, QUODRA_MAX_WIDTH + 1, 1, 0, 0, "too wide");
    expect_error("dividend over the maximum", m, 1, "dividend width 1025 is outside 1 to 1024");
    if (m.ok() || m.divide(7, 2, q, r, z) || q != 0 || r != 0 || z != 0) begin
      error_failures++;
      $display("ERROR CASE FAILED: a failed model divided");
    end
    expect_error("divide on a failed model", m, 2, "divide on a model that was not created");
    m.free();
    expect_error("free of a failed model", m, 3, "free of a model that was not created");

    m = new(QUODRA_ALGORITHM_HIGH_RADIX, 16, QUODRA_MAX_WIDTH, 1, 1, 8, "hr too wide");
    expect_error("High Radix quotient over the maximum", m, 1, "outside 1 to 1023");
    m = new(QUODRA_ALGORITHM_RADIX2, 0, 16, 1, 0, 0, "zero width");
    expect_error("zero divisor width", m, 1, "divisor width 0 is outside");
    m = new(QUODRA_ALGORITHM_RADIX2, 16, 16, 1, 1, QUODRA_MAX_WIDTH + 1, "wide fraction");
    expect_error("fraction over the maximum", m, 1, "fractional width 1025 is outside 0 to 1024");
    m = new(QUODRA_ALGORITHM_HIGH_RADIX, 16, 16, 0, 1, 8, "hr unsigned");
    expect_error("library refusal", m, 1, "Operand sign must be Signed for the High Radix algorithm");
    m = new(QUODRA_ALGORITHM_LUTMULT, 16, 16, 1, 1, 8, "lutmult fractional");
    expect_error("library refusal", m, 1, "Remainder type must be Remainder for the LutMult algorithm");
    m = new(2, 16, 16, 1, 1, 8, "algorithm two");
    expect_error("library data-path check", m, 1, "algorithm two ERROR: Unknown algorithm_type.");
    // Algorithm numbers go to the library unchecked: remainder mode divides
    // exactly whatever the number.
    m = new(99, 8, 8, 1, 0, 0, "algorithm 99");
    expect_error("remainder mode, any algorithm", m, 0, "");
    if (!m.ok() || !m.divide(-7, 2, q, r, z) || q != 'hfd || r != 'hff || z != 0) begin
      error_failures++;
      $display("ERROR CASE FAILED: algorithm 99 -7 / 2 gave %0h %0h %0d", q, r, z);
    end
    m.free();

    m = new(QUODRA_ALGORITHM_RADIX2, 8, 8, 1, 0, 0, "freed");
    expect_error("good model", m, 0, "");
    if (!m.ok() || !m.divide(-7, 2, q, r, z) || q != 'hfd || r != 'hff || z != 0) begin
      error_failures++;
      $display("ERROR CASE FAILED: -7 / 2 gave %0h %0h %0d", q, r, z);
    end
    m.free();
    expect_error("free", m, 0, "");
    if (m.ok() || m.divide(7, 2, q, r, z)) begin
      error_failures++;
      $display("ERROR CASE FAILED: a freed model divided");
    end
    expect_error("divide after free", m, 1, "divide on a freed model");
    m.free();
    expect_error("double free", m, 2, "free of a model already freed");

    // The C side on its own refuses handles it does not know.
    error_checks++;
    status = quodra_dpi_free(null);
    if (status != 1 || !contains(quodra_dpi_last_error(), "null model handle")) begin
      error_failures++;
      $display("ERROR CASE FAILED: free(null) gave \"%s\"", quodra_dpi_last_error());
    end
    run_strict_cases();
    run_divider_cases();
    run_divider_refusal();
    $display("error cases: %0d checked, %0d failed", error_checks, error_failures);
  endtask

  initial begin
    int total_checked = 0, total_mismatches = 0;
    fault = $test$plusargs("inject_fault");
    void'($value$plusargs("samples=%d", samples));
    void'($value$plusargs("seed=%d", seed));
    run_checkers = !$test$plusargs("error_cases");
    repeat (2) @(posedge clk);
    rst_n = 1;
    if (!run_checkers) begin
      run_error_cases();
      // A simulator that lets $error continue (as a raised error limit
      // does) may let $fatal continue too: the PASS line is the verdict.
      if (error_failures != 0) $fatal(1, "%0d error cases FAILED", error_failures);
      else $display("PASS: %0d error cases", error_checks);
    end else begin
      for (int i = 0; i < N; i++) wait (finished[i]);
      for (int i = 0; i < N; i++) begin
        total_checked += checked[i];
        total_mismatches += mismatches[i];
      end
      if (total_mismatches != 0)
        $fatal(1, "%0d mismatches in %0d checked samples", total_mismatches, total_checked);
      else $display("PASS: %0d samples checked against the model", total_checked);
    end
    $finish;
  end
endmodule
