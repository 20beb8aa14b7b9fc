function [q, r, kept] = qt_octave_division(n, d)
% Octave's truncating quotient and remainder of int64 or uint64 columns:
% r = rem(n, d), and q = (n - r) ./ d, a division without remainder that
% ./ gives exactly. Rows where Octave's integers saturate are left out
% (kept is false): a zero divisor, and -2^63 / -1, whose rem even raises a
% floating point exception in Octave 7.3. Every kept row has q * d + r = n.
  n = n(:);
  d = d(:);
  kept = d ~= 0;
  if isa(n, 'int64')
    kept = kept & ~(n == intmin('int64') & d == -1);
  end
  r = rem(n(kept), d(kept));
  q = (n(kept) - r) ./ d(kept);
  assert(all(q .* d(kept) + r == n(kept)));
end
