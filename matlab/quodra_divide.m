function [q, r, z] = quodra_divide(cfg, dividend, divisor)
% QUODRA_DIVIDE  Divide as the quodra divider core does, bit for bit.
%
%   [q, r, z] = quodra_divide(cfg, dividend, divisor)
%
%   cfg is a scalar struct with the C record's field names: algorithm_type
%   (1 Radix-2, 3 High Radix, 4 LutMult), divisor_width, dividend_width,
%   operand_sign (1 signed), remainder_type (0 quotient and remainder,
%   1 fractional), fractional_width, aux_param_1, aux_param_2 and name.
%   A field left out takes the library's default (struct() gives the
%   default configuration); an unknown field is an error.
%
%   dividend and divisor are arrays of class double or of an integer class,
%   of one size, or one of them scalar; every element must be an integer
%   that fits its field (signed operands are divided as int64 values,
%   unsigned ones as uint64 values).
%
%   q, r and z have the operands' size and hold what the core writes:
%     q  the quotient field's bit pattern as uint64 (remainder mode, and
%        Radix-2 fractional: integer part above the fraction field), or the
%        signed High Radix quotient x 2^fractional_width as int64;
%     r  the remainder field's bit pattern as uint64 in remainder mode,
%        [] in fractional mode;
%     z  logical, true for a zero divisor (a High Radix quotient is then 0).
%   Negative results come back as two's-complement patterns of their field
%   width: -3 in an 8-bit quotient field is 253.
%
%   Errors carry identifiers quodra:config, quodra:type, quodra:size,
%   quodra:operand, quodra:width, quodra:division and quodra:usage.
%
%   Example:
%     cfg = struct('divisor_width', 8, 'dividend_width', 8);
%     [q, r, z] = quodra_divide(cfg, int64([100 -7 5]), int64([7 2 0]))
%
%   See also QUODRA_HEX_VECTORS.
  if nargin ~= 3
    error('quodra:usage', 'usage: [q, r, z] = quodra_divide(cfg, dividend, divisor)');
  end
  [q, r, z] = quodra_mex('divide', cfg, dividend, divisor);
end
