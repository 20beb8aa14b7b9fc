function qt_exact_integer_division()
% The tests take truncating quotients and remainders from Octave's 64-bit
% integer arithmetic, which must be exact beyond 2^53, where doubles are
% not:  2^62 + 12345 = 10 * 461168601842740024 + 9,
%       2^63 + 12345 = 10 * 922337203685478815 + 3.
% (idivide(..., 'fix') is not used: Octave 7.3 rounds a negative quotient
% away from zero there, idivide(int64(-7), int64(2)) giving -4, and is one
% off where its rounded quotient times the divisor saturates.)
  x = int64(2)^62 + 12345;
  q = int64(461168601842740) * 1000 + 24;
  [oq, or] = qt_octave_division([x; -x], int64([10; 10]));
  assert(isequal(oq, [q; -q]) && isequal(or, int64([9; -9])));
  u = uint64(2)^63 + 12345;
  [oq, or] = qt_octave_division(u, uint64(10));
  assert(oq == uint64(922337203685478) * 1000 + 815 && or == 3);
end
