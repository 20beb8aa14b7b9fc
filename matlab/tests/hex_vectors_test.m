% quodra_hex_vectors against `quodra-div -f hex` byte for byte, over
% configurations of every output layout: remainder mode signed and
% unsigned (up to 64 bits, and 100-bit fields, which only hex files hold),
% Radix-2 fractional signed and unsigned, High Radix with zero divisors
% (undefined quotients, x digits) and LutMult. Matrix operands are written
% in column-major order, and a scalar operand stands for every sample.
rand('state', 14);
configs = {
  struct('algorithm_type', 1, 'dividend_width', 8, 'divisor_width', 8)
  struct('algorithm_type', 1, 'dividend_width', 64, 'divisor_width', 64, 'operand_sign', 0)
  struct('algorithm_type', 1, 'dividend_width', 100, 'divisor_width', 70)
  struct('algorithm_type', 1, 'dividend_width', 12, 'divisor_width', 10, ...
         'remainder_type', 1, 'fractional_width', 9)
  struct('algorithm_type', 1, 'dividend_width', 24, 'divisor_width', 16, 'operand_sign', 0, ...
         'remainder_type', 1, 'fractional_width', 40)
  struct('algorithm_type', 3, 'dividend_width', 16, 'divisor_width', 16, ...
         'remainder_type', 1, 'fractional_width', 16)
  struct('algorithm_type', 4, 'dividend_width', 32, 'divisor_width', 16)
};
file = [tempname() '.hex'];
cleanup = onCleanup(@() delete(file));
for c = 1:numel(configs)
  cfg = configs{c};
  is_signed = ~isfield(cfg, 'operand_sign') || cfg.operand_sign == 1;
  n = reshape(qt_random_operands(300, min(cfg.dividend_width, 64), is_signed), 30, 10);
  d = reshape(qt_random_operands(300, min(cfg.divisor_width, 64), is_signed), 30, 10);
  d(1:17:end) = 0;
  quodra_hex_vectors(cfg, n, d, file);
  assert(strcmp(qt_read_file(file), qt_tool_hex(qt_tool_flags(cfg), n, d)), ...
         'hex rows differ from quodra-div for configuration %d', c);
  quodra_hex_vectors(cfg, n(1), d, file);
  assert(strcmp(qt_read_file(file), qt_tool_hex(qt_tool_flags(cfg), repmat(n(1), size(d)), d)), ...
         'scalar dividend rows differ for configuration %d', c);
end
