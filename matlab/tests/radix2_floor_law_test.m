% The unsigned Radix-2 fractional register against its floor law
% (docs/behaviour.md): floor(N * 2^F / D) for D > 0, all W + F bits set for
% D = 0. N * 2^F stays below 2^64, so Octave's uint64 arithmetic gives the
% law exactly: the quotient floor((X - rem(X, D)) / D) of X = N * 2^F.
qt_exact_integer_division();
rand('state', 12);
shapes = [8 8 8; 16 12 16; 20 20 20; 32 32 32; 40 24 24; 1 64 63];   % W, C, F
for s = shapes'
  cfg = struct('algorithm_type', 1, 'dividend_width', s(1), 'divisor_width', s(2), ...
               'operand_sign', 0, 'remainder_type', 1, 'fractional_width', s(3));
  n = qt_random_operands(2000, s(1), false);
  d = qt_random_operands(2000, s(2), false);
  d(1:40:end) = 0;
  [q, r, z] = quodra_divide(cfg, n, d);
  assert(isa(q, 'uint64') && isempty(r) && isequal(z, d == 0));
  x = bitshift(n, s(3));
  [oq, ~, kept] = qt_octave_division(x, d);
  assert(isequal(q(kept), oq), 'Radix-2 register off its law at W=%d C=%d F=%d', s);
  assert(all(q(d == 0) == qt_mask(s(1) + s(3))));
end
