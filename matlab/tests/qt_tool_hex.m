function text = qt_tool_hex(flags, dividend, divisor)
% What `quodra-div FLAGS -f hex` writes for these operand pairs (given in a
% file, dividend first), as one char row. The tool is $QUODRA_DIV.
  tool = getenv('QUODRA_DIV');
  assert(~isempty(tool), 'QUODRA_DIV names the built quodra-div');
  pairs = [tempname() '.txt'];
  out = [tempname() '.hex'];
  cleanup = onCleanup(@() delete_files(pairs, out));
  fid = fopen(pairs, 'w');
  lines = strcat(decimal(dividend(:)), {' '}, decimal(divisor(:)));
  fprintf(fid, '%s\n', lines{:});
  fclose(fid);
  [status, output] = system(sprintf('"%s" %s -i "%s" -f hex -o "%s"', tool, flags, pairs, out));
  assert(status == 0, 'quodra-div failed: %s', output);
  text = qt_read_file(out);
end

function c = decimal(values)
% Exact decimal text: %d is exact for int64, %u for uint64.
  if isa(values, 'uint64')
    format = '%u';
  else
    format = '%d';
  end
  c = arrayfun(@(v) sprintf(format, v), values, 'UniformOutput', false);
end

function delete_files(varargin)
  for i = 1:numel(varargin)
    if exist(varargin{i}, 'file')
      delete(varargin{i});
    end
  end
end
