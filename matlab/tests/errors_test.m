% Every error route of quodra_divide and quodra_hex_vectors: each bad call
% raises its quodra: identifier with a message naming the problem (the
% library's own text for a refused configuration), returns nothing, and a
% refused quodra_hex_vectors call leaves no file. Octave prefixes MEX
% messages with "quodra_mex: ", so messages are matched, not compared.
cfg8 = struct('dividend_width', 8, 'divisor_width', 8);
wide = struct('dividend_width', 100, 'divisor_width', 8);
cases = {
  % call,                                             identifier,         message part
  @() quodra_divide(5, 1, 2),                          'quodra:config',    'cfg must be a scalar struct'
  @() quodra_divide(struct('a', {1, 2}), 1, 2),        'quodra:config',    'cfg must be a scalar struct'
  @() quodra_divide(struct('foo', 1), 1, 2),           'quodra:config',    'unknown field ''foo'''
  @() quodra_divide(struct('divisor_width', 8.5), 1, 2), 'quodra:config',  'cfg.divisor_width must be an integer'
  @() quodra_divide(struct('divisor_width', 2^31), 1, 2), 'quodra:config', 'cfg.divisor_width must be an integer'
  @() quodra_divide(struct('divisor_width', '8'), 1, 2), 'quodra:config',  'cfg.divisor_width must be a real numeric scalar'
  @() quodra_divide(struct('divisor_width', [8 8]), 1, 2), 'quodra:config', 'must be a real numeric scalar'
  @() quodra_divide(struct('divisor_width', true), 1, 2), 'quodra:config',  'must be a real numeric scalar'
  @() quodra_divide(struct('name', 7), 1, 2),          'quodra:config',    'cfg.name must be a character row vector'
  @() quodra_divide(struct('algorithm_type', 3, 'operand_sign', 0, 'remainder_type', 1), 1, 2), ...
                                                        'quodra:config',    'Operand sign must be Signed for the High Radix algorithm'
  @() quodra_divide(struct('algorithm_type', 7, 'remainder_type', 1, 'name', 'core A'), 1, 2), ...
                                                        'quodra:config',    'core A ERROR: Unknown algorithm_type.'
  @() quodra_divide(struct('dividend_width', 2000000), 1, 2), 'quodra:config', 'Dividend width exceeds the limit of 1048576 bits'
  @() quodra_divide(wide, 1, 2),                       'quodra:width',     'quotient field is 100 bits wide'
  @() quodra_divide(struct('divisor_width', 65, 'operand_sign', 0), 1, 2), 'quodra:width', 'remainder field is 65 bits wide'
  @() quodra_divide(struct('algorithm_type', 3, 'remainder_type', 1, 'dividend_width', 48), 1, 2), ...
                                                        'quodra:width',     'quotient field is 65 bits wide'
  @() quodra_divide(cfg8, 'a', 2),                     'quodra:type',      'the dividend must be a real, full array'
  @() quodra_divide(cfg8, 1, true),                    'quodra:type',      'it is logical'
  @() quodra_divide(cfg8, single(1), 2),               'quodra:type',      'it is single'
  @() quodra_divide(cfg8, 1 + 2i, 2),                  'quodra:type',      'it is complex double'
  @() quodra_divide(cfg8, 1, sparse(2)),               'quodra:type',      'it is sparse double'
  @() quodra_divide(cfg8, {1}, 2),                     'quodra:type',      'it is cell'
  @() quodra_divide(cfg8, struct(), 2),                'quodra:type',      'it is struct'
  @() quodra_divide(cfg8, [1 NaN], 2),                 'quodra:operand',   'dividend element 2 is NaN'
  @() quodra_divide(cfg8, 1, -Inf),                    'quodra:operand',   'divisor element 1 is infinite'
  @() quodra_divide(cfg8, 2.5, 1),                     'quodra:operand',   'dividend element 1 is 2.5, not an integer'
  @() quodra_divide(cfg8, 1, 1e20),                    'quodra:operand',   'outside the 64-bit integers'
  @() quodra_divide(cfg8, [1 2 300], 1),               'quodra:operand',   'dividend element 3 is 300, outside the signed 8-bit dividend field'
  @() quodra_divide(cfg8, int64(-129), 1),             'quodra:operand',   'is -129, outside the signed 8-bit'
  @() quodra_divide(setfield(cfg8, 'operand_sign', 0), 1, int8(-1)), 'quodra:operand', 'divisor element 1 is -1, outside the unsigned 8-bit divisor field'
  @() quodra_divide(setfield(cfg8, 'operand_sign', 0), uint64(256), 1), 'quodra:operand', 'is 256, outside the unsigned 8-bit'
  @() quodra_divide(struct(), intmax('uint64'), 1),    'quodra:operand',   'outside the signed 16-bit'
  @() quodra_divide(struct('divisor_width', 0), 1, 1), 'quodra:operand',   'outside the signed 0-bit divisor field'
  @() quodra_divide(cfg8, [1 2 3], [1 2]),             'quodra:size',      'the dividend (1x3) and the divisor (1x2) differ in size'
  @() quodra_divide(cfg8, ones(2, 3), ones(3, 2)),     'quodra:size',      'differ in size'
  @() quodra_divide(cfg8, [], [1 2]),                  'quodra:size',      'differ in size'
  @() quodra_divide(cfg8, 1),                          'quodra:usage',     'usage: [q, r, z] = quodra_divide'
  @() quodra_mex('bogus', cfg8, 1, 2),                 'quodra:usage',     'call quodra_divide'
  @() quodra_hex_vectors(cfg8, 1, 2),                  'quodra:usage',     'usage: quodra_hex_vectors'
  @() quodra_hex_vectors(cfg8, 1, 2, 7),               'quodra:file',      'the file must be given'
  @() quodra_hex_vectors(cfg8, 1, 2, tempdir()),       'quodra:file',      'cannot open'
  @() quodra_hex_vectors(cfg8, 1, 2, fullfile(tempname(), 'x.hex')), 'quodra:file', 'cannot open'
};
file = [tempname() '.hex'];
for i = 1:rows(cases)
  [call, id, part] = cases{i, :};
  try
    call();
    error('no error from case %d (%s)', i, func2str(call));
  catch failure
    assert(strcmp(failure.identifier, id), 'case %d (%s): identifier %s, not %s', ...
           i, func2str(call), failure.identifier, id);
    assert(~isempty(strfind(failure.message, part)), 'case %d: message "%s" lacks "%s"', ...
           i, failure.message, part);
  end
end

% A refused hex call writes no file.
try
  quodra_hex_vectors(cfg8, [1 300], 2, file);
catch failure
  assert(strcmp(failure.identifier, 'quodra:operand'));
end
assert(~exist(file, 'file'));
