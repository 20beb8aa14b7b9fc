#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs each one for the given number of
# seconds (default 60), starting from its seed corpus in fuzz/corpus/<target>.
# The fuzzer works on a temporary copy of the corpus, so the repository's
# corpus is never written. An input that breaks a property or crashes is
# saved as build/fuzz/artifacts/<target>-crash-<hash>; rerun it with
#   build/fuzz/fuzz/<target> build/fuzz/artifacts/<target>-crash-<hash>
# Exits non-zero if any target failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
jobs=$(nproc)
build="$root/build/fuzz"
targets=(data_do_fuzzer data_real_do_fuzzer array_ops_fuzzer)

for compiler in clang clang++; do
  command -v "$compiler" > /dev/null || { echo "fuzz.sh: $compiler not found (apt-get install clang libclang-rt-14-dev)" >&2; exit 2; }
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUODRA_WERROR=ON \
  -DQUODRA_BUILD_FUZZERS=ON -DQUODRA_BUILD_TESTS=OFF -DQUODRA_BUILD_TOOLS=OFF \
  -DQUODRA_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"
failed=()
for target in "${targets[@]}"; do
  echo "== $target for $seconds s"
  mkdir -p "$work/$target"
  cp -R "$root/fuzz/corpus/$target/." "$work/$target/"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$work/$target" > "$build/artifacts/$target.log" 2>&1; then
    failed+=("$target")
    grep -E '^(property violated|element|algorithm|divisor|quotient|remainder) |SUMMARY|runtime error|Test unit written' \
      "$build/artifacts/$target.log" | tail -n 20 || true
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/artifacts/$target.log" || true
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "== Fuzzing found failures in: ${failed[*]} (inputs in $build/artifacts)" >&2
  exit 1
fi
echo "== No fuzzing failures"
