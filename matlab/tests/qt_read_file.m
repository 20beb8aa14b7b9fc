function text = qt_read_file(name)
% The bytes of a file as one char row.
  fid = fopen(name, 'rb');
  assert(fid >= 0, 'cannot open %s', name);
  text = fread(fid, Inf, '*char')';
  fclose(fid);
end
