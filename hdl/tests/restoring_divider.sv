// Sequential radix-2 restoring divider, the device under test of the
// scoreboard bench: one quotient bit per clock, DIVIDEND_WIDTH + 1 clocks
// from start to done.
//
// Remainder-mode semantics of the quodra model: the quotient truncates
// towards zero and wraps to DIVIDEND_WIDTH bits (signed -2^(B-1) / -1 gives
// the pattern 2^(B-1)); the remainder takes the dividend's sign; a zero
// divisor gives quotient 0, remainder 0 and div_by_zero 1.
//
// Signed operands are divided as magnitudes (each fits its own width as an
// unsigned number, the most negative value included) and the signs are
// applied at the end.
module restoring_divider #(
    parameter int DIVIDEND_WIDTH = 16,
    parameter int DIVISOR_WIDTH = 16
) (
    input  logic                      clk,
    input  logic                      rst_n,
    input  logic                      start,        // takes the operands when not busy
    input  logic                      is_signed,    // two's-complement operands and results
    input  logic                      fault_remainder_sign, // test only: a deliberate bug
    input  logic [DIVIDEND_WIDTH-1:0] dividend,
    input  logic [DIVISOR_WIDTH-1:0]  divisor,
    output logic                      busy,
    output logic                      done,         // one-clock pulse: results valid
    output logic [DIVIDEND_WIDTH-1:0] quotient,
    output logic [DIVISOR_WIDTH-1:0]  remainder,
    output logic                      div_by_zero
);
  localparam int B = DIVIDEND_WIDTH;
  localparam int A = DIVISOR_WIDTH;
  localparam int CW = $clog2(B + 1);

  logic [B-1:0]  bits;      // dividend magnitude shifting out, quotient bits shifting in
  logic [A-1:0]  partial;   // partial remainder, always below the divisor magnitude
  logic [A-1:0]  magnitude; // divisor magnitude
  logic          negate_quotient, negate_remainder, zero_divisor;
  logic [CW-1:0] steps_left;

  wire          dividend_negative = is_signed && dividend[B-1];
  wire          divisor_negative = is_signed && divisor[A-1];
  wire [B-1:0]  dividend_magnitude = dividend_negative ? -dividend : dividend;
  wire [A-1:0]  divisor_magnitude = divisor_negative ? -divisor : divisor;

  // One restoring step: shift the next dividend bit into the partial
  // remainder and subtract the divisor if it fits.
  wire [A:0]    shifted = {partial, bits[B-1]};
  wire [A+1:0]  trial = {1'b0, shifted} - {2'b00, magnitude};
  wire          fits = !trial[A+1];
  wire [B:0]    next_bits = {bits, fits};
  wire [A:0]    next_partial = fits ? trial[A:0] : shifted;

  // The fault: a negative dividend's remainder keeps a positive sign. Only
  // samples with a negative dividend and a non-zero remainder show it.
  wire          apply_remainder_sign = negate_remainder && !fault_remainder_sign;

  always_ff @(posedge clk or negedge rst_n) begin
    if (!rst_n) begin
      busy <= 1'b0;
      done <= 1'b0;
      quotient <= '0;
      remainder <= '0;
      div_by_zero <= 1'b0;
      bits <= '0;
      partial <= '0;
      magnitude <= '0;
      negate_quotient <= 1'b0;
      negate_remainder <= 1'b0;
      zero_divisor <= 1'b0;
      steps_left <= '0;
    end else begin
      done <= 1'b0;
      if (!busy) begin
        if (start) begin
          busy <= 1'b1;
          bits <= dividend_magnitude;
          partial <= '0;
          magnitude <= divisor_magnitude;
          negate_quotient <= dividend_negative ^ divisor_negative;
          negate_remainder <= dividend_negative;
          zero_divisor <= divisor == '0;
          steps_left <= CW'(B);
        end
      end else if (steps_left != '0) begin
        bits <= next_bits[B-1:0];
        partial <= next_partial[A-1:0];
        steps_left <= steps_left - 1'b1;
      end else begin
        busy <= 1'b0;
        done <= 1'b1;
        div_by_zero <= zero_divisor;
        quotient <= zero_divisor ? '0 : negate_quotient ? -bits : bits;
        remainder <= zero_divisor ? '0 : apply_remainder_sign ? -partial : partial;
      end
    end
  end
endmodule
