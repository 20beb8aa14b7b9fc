% Times quodra_divide on 10^6 int64 samples per configuration against a
% floor measured in the same run: Octave's own rem on the same arrays, a
% vectorised 64-bit integer operation that reads both operands and writes
% one result. Prints the median of 7 runs of each and their ratio. Run it
% with the MEX file to measure on Octave's path (docs/performance.md).
samples = 1e6;
runs = 7;
rand('state', 1);
configs = {
  'remainder, signed 16/16',  struct('dividend_width', 16, 'divisor_width', 16), 16
  'remainder, signed 64/64',  struct('dividend_width', 64, 'divisor_width', 64), 64
  'High Radix, 16/16/16',     struct('algorithm_type', 3, 'remainder_type', 1), 16
};
printf('| configuration | quodra_divide | rem (floor) | ratio |\n|---|---|---|---|\n');
for c = 1:rows(configs)
  [label, cfg, width] = configs{c, :};
  n = int64(randi([-2^31, 2^31 - 1], samples, 1));
  d = int64(randi([1, 2^31 - 1], samples, 1));
  n = bitshift(n, width - 32);                 % full range of a 16- or 64-bit field
  d = max(bitshift(d, width - 32 - 1), 1);
  divide_seconds = zeros(runs, 1);
  floor_seconds = zeros(runs, 1);
  for i = 1:runs
    tic; q = quodra_divide(cfg, n, d); divide_seconds(i) = toc;
    tic; floor_r = rem(n, d); floor_seconds(i) = toc;
  end
  printf('| %s | %.1f ms | %.1f ms | %.1f |\n', label, 1e3 * median(divide_seconds), ...
         1e3 * median(floor_seconds), median(divide_seconds) / median(floor_seconds));
end
