#!/usr/bin/env bash
# Installs what is missing, builds the library and its command-line tool, and
# divides a small built-in set of samples with the default configuration.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build/release" -j "$(nproc)" --target quodra-div > /dev/null
"$root/build/release/tools/quodra-div" --demo
