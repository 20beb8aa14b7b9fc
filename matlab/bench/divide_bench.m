% Times quodra_divide on int64 arrays against a floor measured in the same
% run: Octave's own rem on the same arrays, a vectorised 64-bit integer
% operation that reads both operands and writes one result. Prints the
% median of 7 runs of each, in million samples per second, and the ratio.
% Run with the MEX file to measure on Octave's path (docs/performance.md).
samples = 1e6;
rand('state', 1);
n = int64(randi([-2^31, 2^31 - 1], samples, 1)) * 4096;
d = int64(randi([1, 2^20], samples, 1));
cfg = struct('dividend_width', 64, 'divisor_width', 64);
runs = 7;
divide_seconds = zeros(runs, 1);
floor_seconds = zeros(runs, 1);
for i = 1:runs
  tic; [q, r] = quodra_divide(cfg, n, d); divide_seconds(i) = toc;
  tic; floor_r = rem(n, d); floor_seconds(i) = toc;
end
assert(isequal(typecast(r, 'int64'), floor_r));
printf('%-22s %8.1f Msamples/s\n', 'quodra_divide', samples / median(divide_seconds) / 1e6);
printf('%-22s %8.1f Msamples/s\n', 'rem (floor)', samples / median(floor_seconds) / 1e6);
printf('%-22s %8.2f\n', 'time ratio to floor', median(divide_seconds) / median(floor_seconds));
