function v = qt_hex_word(text)
% A hex field of up to 16 digits as an exact uint64 (sscanf gives doubles,
% exact only to 2^53, so the digits are read eight at a time).
  v = uint64(0);
  for first = 1:8:numel(text)
    chunk = text(first:min(first + 7, numel(text)));
    v = bitshift(v, 4 * numel(chunk)) + uint64(hex2dec(chunk));
  end
end
