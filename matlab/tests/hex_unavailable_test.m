% The gateway built from quodra_mex.c alone has no hex writer:
% quodra_hex_vectors says so (quodra:unavailable) and writes no file.
file = [tempname() '.hex'];
try
  quodra_hex_vectors(struct(), 1, 2, file);
  error('quodra_hex_vectors wrote vectors without the hex writer');
catch failure
  assert(strcmp(failure.identifier, 'quodra:unavailable'), failure.message);
end
assert(~exist(file, 'file'));
