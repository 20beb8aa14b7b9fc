function v = qt_random_operands(count, width, is_signed)
% count values of a `width`-bit field (width <= 64) as an int64 (signed) or
% uint64 (unsigned) column: the field's edge values, then random values of
% every magnitude: each keeps a random number k of significant bits, so
% that small divisors and large quotients both occur.
  words = bitor(bitshift(uint64(randi([0, 2^32 - 1], count, 1)), 32), ...
                uint64(randi([0, 2^32 - 1], count, 1)));
  k = randi([1, width], count, 1);
  magnitude = bitshift(words, -(64 - k));           % 0 .. 2^k - 1
  if ~is_signed
    top = qt_mask(width);
    v = [unique([uint64([0; 1]); top - 1; top]); magnitude];
    v = v(1:count);
    return;
  end
  if width == 64
    lowest = intmin('int64');
    whole = typecast(magnitude, 'int64');           % k = 64: the whole field
  else
    lowest = -bitshift(int64(1), width - 1);
    whole = int64(magnitude) + lowest;
  end
  v = int64(magnitude);                             % k < width: +/- k bits
  negative = rand(count, 1) < 0.5;
  v(negative) = -v(negative);
  v(k == width) = whole(k == width);
  v = [unique([lowest; lowest + 1; int64([-1; 0; 1]); -(lowest + 1)]); v];
  v = v(1:count);
end
