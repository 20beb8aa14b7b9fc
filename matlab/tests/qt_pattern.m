function p = qt_pattern(values, width)
% Two's-complement bit patterns of `width` bits of int64 or uint64 values.
  if isa(values, 'int64')
    values = typecast(values(:), 'uint64');
  end
  p = bitand(values(:), qt_mask(width));
end
