#!/usr/bin/env bash
# Runs one quodra-div command as N shards at once with GNU parallel and
# joins the parts into one output file, byte for byte what the command
# gives unsharded.
#
# Usage:
#   examples/shard_parallel.sh N OUTPUT QUODRA-DIV-ARGUMENTS...
# Example:
#   examples/shard_parallel.sh 4 golden.hex --random 10000000 --seed 3 -f hex
#
# Shard K runs `quodra-div ARGUMENTS --shard K/N -o OUTPUT.shard-K`; when all
# have succeeded the parts are joined in order into OUTPUT and removed. The
# samples must come from --random, --exhaustive, --input FILE (a regular
# file), arguments or --demo; do not give -o or --shard yourself.
#
# Environment:
#   QUODRA_DIV       the tool to run (default: quodra-div on the PATH)
#   PARALLEL_JOBS    parts running at once (default: one per core)
# Each part also starts its own worker threads (--jobs, default one per
# core); add `--jobs 1` to the arguments when the parts already fill the
# cores. Needs GNU parallel (Debian package `parallel`).
set -euo pipefail

if [ $# -lt 2 ]; then
    sed -n '2,21p' "$0" >&2
    exit 2
fi
parts=$1
output=$2
shift 2
case $parts in
    '' | *[!0-9]* | 0) echo "shard_parallel.sh: N must be a positive number, not '$parts'" >&2; exit 2 ;;
esac
tool=${QUODRA_DIV:-quodra-div}

# Until the joined file is in place, any way out (a failed part, Ctrl-C)
# removes every part and the half-joined file: nothing is left that looks
# like a result.
remove_parts() {
    rm -f "$output.joining"
    for k in $(seq 1 "$parts"); do
        rm -f "$output.shard-$k"
    done
}
trap remove_parts EXIT

# -q keeps every argument one word; --halt stops the other parts as soon as
# one fails, and parallel then exits with that part's status.
parallel --will-cite -q --halt now,fail=1 --jobs "${PARALLEL_JOBS:-100%}" \
    "$tool" "$@" --shard "{}/$parts" -o "$output.shard-{}" ::: $(seq 1 "$parts")

# Join into a temporary beside OUTPUT, renamed only when complete.
files=()
for k in $(seq 1 "$parts"); do
    files+=("$output.shard-$k")
done
cat "${files[@]}" > "$output.joining"
mv "$output.joining" "$output"
