% High Radix quotients against the built tool's hex rows for the same
% operands: the tool writes Q = quotient x 2^F as a (B + 1)-bit integer
% field above an F-bit fraction field, together Q's (B + F + 1)-bit pattern.
% B + C > 62 (the third and fourth shapes) is past the word batch's reach,
% so those samples divide through data_do; a zero divisor's quotient is
% undefined (the tool writes x digits, quodra_divide 0 with z set).
rand('state', 13);
shapes = [16 16 16; 32 24 7; 40 30 16; 60 16 3; 63 8 0; 8 8 55];   % B, C, F
for s = shapes'
  cfg = struct('algorithm_type', 3, 'dividend_width', s(1), 'divisor_width', s(2), ...
               'operand_sign', 1, 'remainder_type', 1, 'fractional_width', s(3));
  n = qt_random_operands(400, s(1), true);
  d = qt_random_operands(400, s(2), true);
  d(1:25:end) = 0;
  [q, r, z] = quodra_divide(cfg, n, d);
  assert(isa(q, 'int64') && isempty(r));
  assert(all(q(z) == 0));
  rows = strsplit(strtrim(qt_tool_hex(qt_tool_flags(cfg), n, d)), "\n");
  assert(numel(rows) == numel(n));
  for i = 1:numel(rows)
    cells = strsplit(rows{i}, ' ');
    assert(strcmp(cells{end}, '1') == z(i), 'div_by_zero differs in row %d', i);
    if z(i)
      continue;
    end
    pattern = qt_hex_word(cells{3});
    if s(3) > 0
      pattern = bitor(bitshift(pattern, s(3)), qt_hex_word(cells{4}));
    end
    assert(pattern == qt_pattern(q(i), s(1) + s(3) + 1), ...
           'quotient differs from the tool in row %d at B=%d C=%d F=%d', i, s);
  end
end

