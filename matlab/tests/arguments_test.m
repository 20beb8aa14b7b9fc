% What quodra_divide makes of its arguments: missing cfg fields take the
% library's defaults (struct() is the default configuration: signed 16/16
% Radix-2, remainder output), every operand class gives the same results,
% a scalar operand stands for every element of the other, results keep
% the operands' shape (N-d and empty included), and doubles are exact up
% to their integer range.
defaults = struct('algorithm_type', 1, 'dividend_width', 16, 'divisor_width', 16, ...
                  'operand_sign', 1, 'remainder_type', 0, 'fractional_width', 16, ...
                  'aux_param_1', 1, 'aux_param_2', 0, 'name', 'core A');
n = [100 -7; 32767 -32768];
d = [7 2; -1 -1];
[q, r, z] = quodra_divide(struct(), n, d);
[q2, r2, z2] = quodra_divide(defaults, n, d);
assert(isequal({q, r, z}, {q2, r2, z2}));
assert(isequal(q, uint64([14 65533; 32769 32768])) && isequal(r, uint64([2 65535; 0 0])));

classes = {'double', 'int16', 'int32', 'int64'};
for c = 1:numel(classes)
  [qc, rc] = quodra_divide(struct(), cast(n, classes{c}), cast(d, classes{c}));
  assert(isequal({qc, rc}, {q, r}), 'class %s gives other results', classes{c});
end
unsigned = struct('operand_sign', 0);
[qu, ru] = quodra_divide(unsigned, uint8(200), uint16(7));
[qd, rd] = quodra_divide(unsigned, 200, 7);
assert(qu == 28 && ru == 4 && qd == qu && rd == ru);

% scalar expansion either way, N-d shapes, empty arrays
[q, r] = quodra_divide(struct(), 100, [7 9 3]);
assert(isequal(q, uint64([14 11 33])) && isequal(r, uint64([2 1 1])));
q = quodra_divide(struct(), [100 90 30], 7);
assert(isequal(q, uint64([14 12 4])));
[q, r, z] = quodra_divide(struct(), int8(ones(2, 3, 4)), int8(1));
assert(isequal(size(q), [2 3 4]) && isequal(size(r), [2 3 4]) && isequal(size(z), [2 3 4]));
[q, r, z] = quodra_divide(struct(), zeros(0, 3), 5);
assert(isequal(size(q), [0 3]) && isa(q, 'uint64') && isequal(size(z), [0 3]));

% doubles beyond 2^53 are taken exactly when they are integers
big = struct('dividend_width', 64, 'divisor_width', 8);
q = quodra_divide(big, 2^62, 1);
assert(q == bitshift(uint64(1), 62));
q = quodra_divide(big, -2^63, 1);
assert(q == bitshift(uint64(1), 63));

% fractional output: r is [], a High Radix zero divisor's quotient is 0
[q, r, z] = quodra_divide(struct('algorithm_type', 3, 'remainder_type', 1), [1 -1 5], [3 3 0]);
assert(isequal(q, int64([21845 -21845 0])) && isempty(r) && isequal(z, [false false true]));
