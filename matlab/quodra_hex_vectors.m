function quodra_hex_vectors(cfg, dividend, divisor, file)
% QUODRA_HEX_VECTORS  Write golden vectors as quodra-div -f hex writes them.
%
%   quodra_hex_vectors(cfg, dividend, divisor, file)
%
%   Divides the samples as QUODRA_DIVIDE does (same cfg struct, same
%   operand rules, scalar expansion) and writes one hex row per sample to
%   file, in column-major order, byte for byte the rows of
%   `quodra-div -f hex` for the same configuration and operands: every
%   field a fixed-width hex pattern of its own width,
%     dividend divisor quotient remainder|fraction div_by_zero
%   with no header lines. Fields of any width are written. An existing file
%   is replaced; a failed call leaves no file.
%
%   Errors carry identifiers quodra:config, quodra:type, quodra:size,
%   quodra:operand, quodra:file, quodra:division and quodra:usage.
%
%   Example:
%     cfg = struct('divisor_width', 8, 'dividend_width', 8);
%     quodra_hex_vectors(cfg, int64([100 -7]), int64([7 2]), 'golden.hex')
%
%   See also QUODRA_DIVIDE.
  if nargin ~= 4
    error('quodra:usage', 'usage: quodra_hex_vectors(cfg, dividend, divisor, file)');
  end
  quodra_mex('hex', cfg, dividend, divisor, file);
end
