#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build with
# warnings as errors (followed by the Python package, installed as docs/python.md
# says and tested with pytest), then an AddressSanitizer +
# UndefinedBehaviorSanitizer build; then a valgrind leak check of the C
# client, the C++ layer's tests, the tool and the SystemVerilog DPI library's
# tests, the thread-safety test under ThreadSanitizer, and each fuzz target
# for 60 s.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

echo "== Optimised build (warnings are errors)"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DQUODRA_WERROR=ON
cmake --build "$root/build/release" -j "$jobs"
ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"

echo "== Python package (Debian's interpreter and packages, offline), its tests"
(cd "$root" && /usr/bin/python3 -m venv --system-site-packages .venv && .venv/bin/pip install --no-build-isolation --no-index ./python)
(cd "$root" && .venv/bin/python -m pytest -q python/tests)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUODRA_WERROR=ON \
  -DQUODRA_SANITIZE=ON -DQUODRA_BUILD_BENCH=OFF
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs"

echo "== valgrind leak check"
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  "$root/build/release/tests/quodra_c_api_test"
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  "$root/build/release/tests/quodra_cxx_tests" > /dev/null
if [ -x "$root/build/release/tools/quodra-div" ]; then
  valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    "$root/build/release/tools/quodra-div" --demo > /dev/null
fi
if [ -x "$root/build/release/hdl/tests/quodra_dpi_tests" ]; then
  valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    "$root/build/release/hdl/tests/quodra_dpi_tests" > /dev/null
fi
if [ -x "$root/build/release/systemc/tests/quodra_systemc_bench" ]; then
  SC_COPYRIGHT_MESSAGE=DISABLE valgrind --quiet --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite,indirect \
    "$root/build/release/systemc/tests/quodra_systemc_bench" > /dev/null
fi

echo "== ThreadSanitizer build of the thread-safety test"
cmake -S "$root" -B "$root/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUODRA_WERROR=ON \
  -DQUODRA_TSAN=ON -DQUODRA_BUILD_BENCH=OFF -DQUODRA_BUILD_TOOLS=OFF
cmake --build "$root/build/tsan" -j "$jobs" --target quodra_thread_safety_test
TSAN_OPTIONS=halt_on_error=1 "$root/build/tsan/tests/quodra_thread_safety_test"

echo "== Fuzzing (libFuzzer, clang), 60 s per target"
"$root/scripts/fuzz.sh" 60
echo "== All test runs passed"
