#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build, the tests and the tool need,
# skipping any that are already there.
set -euo pipefail

packages=(g++ cmake make libgmp-dev libgtest-dev libbenchmark-dev libcli11-dev valgrind binutils
  clang libclang-rt-14-dev)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
