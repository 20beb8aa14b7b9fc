% Remainder mode against Octave's own 64-bit integer division: on random
% operands of every magnitude and the fields' edge values, signed and
% unsigned, in fields of 8 to 64 bits, q and r are the patterns of the
% truncating quotient and remainder, and z marks exactly the zero divisors.
qt_exact_integer_division();
rand('state', 11);
widths = [8 8; 16 8; 33 17; 63 40; 64 64; 64 5];   % dividend, divisor
for is_signed = [true false]
  for w = widths'
    cfg = struct('algorithm_type', 1, 'dividend_width', w(1), 'divisor_width', w(2), ...
                 'operand_sign', double(is_signed), 'remainder_type', 0);
    n = qt_random_operands(3000, w(1), is_signed);
    d = qt_random_operands(3000, w(2), is_signed);
    d(1:50:end) = 0;
    [q, r, z] = quodra_divide(cfg, n, d);
    assert(isa(q, 'uint64') && isa(r, 'uint64') && islogical(z));
    assert(isequal(size(q), size(n)) && isequal(size(r), size(n)) && isequal(size(z), size(n)));
    assert(isequal(z, d == 0));
    [oq, or, kept] = qt_octave_division(n, d);
    assert(nnz(kept) > 0.75 * numel(n));
    assert(isequal(q(kept), qt_pattern(oq, w(1))), 'quotients differ at %d/%d bits', w(1), w(2));
    assert(isequal(r(kept), qt_pattern(or, w(2))), 'remainders differ at %d/%d bits', w(1), w(2));
  end
end
