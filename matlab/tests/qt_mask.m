function m = qt_mask(width)
% The low `width` bits set, as uint64 (width 1 .. 64).
  if width >= 64
    m = intmax('uint64');
  else
    m = bitshift(uint64(1), width) - 1;
  end
end
