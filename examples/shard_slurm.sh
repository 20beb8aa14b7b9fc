#!/usr/bin/env bash
#SBATCH --job-name=quodra-div-shards
#SBATCH --array=1-8
#SBATCH --cpus-per-task=1
#SBATCH --output=quodra-div-shard-%A_%a.log
# A Slurm array job running one quodra-div command as N shards, one array
# task per part, and the final step that joins the parts into one output
# file, byte for byte what the command gives unsharded.
#
# Usage (N array tasks; --array on the command line overrides the line above):
#   sbatch --array=1-N examples/shard_slurm.sh OUTPUT QUODRA-DIV-ARGUMENTS...
#   # when every task has finished (or as a job with --dependency=afterok:JOBID):
#   examples/shard_slurm.sh --join N OUTPUT
# Example:
#   sbatch --array=1-16 examples/shard_slurm.sh golden.hex --random 100000000 -f hex --jobs 1
#   examples/shard_slurm.sh --join 16 golden.hex
#
# Task K (SLURM_ARRAY_TASK_ID) runs
# `quodra-div ARGUMENTS --shard K/N -o OUTPUT.shard-K`, where N is
# SLURM_ARRAY_TASK_COUNT (set by Slurm for the array) or SHARDS if set. The
# join checks that every part exists, writes OUTPUT and removes the parts.
# Give --jobs 1 when a task has one CPU (--cpus-per-task=1 above); do not
# give -o or --shard yourself.
#
# Environment:
#   QUODRA_DIV       the tool to run (default: quodra-div on the PATH)
set -euo pipefail

if [ "${1:-}" = "--join" ]; then
    if [ $# -ne 3 ]; then
        echo "usage: shard_slurm.sh --join N OUTPUT" >&2
        exit 2
    fi
    parts=$2
    output=$3
    files=()
    for k in $(seq 1 "$parts"); do
        if [ ! -f "$output.shard-$k" ]; then
            echo "shard_slurm.sh: shard $k of $parts ($output.shard-$k) is missing" >&2
            exit 1
        fi
        files+=("$output.shard-$k")
    done
    cat "${files[@]}" > "$output.joining"
    mv "$output.joining" "$output"
    rm -f "${files[@]}"
    exit 0
fi

if [ $# -lt 1 ]; then
    sed -n '6,26p' "$0" >&2
    exit 2
fi
output=$1
shift
index=${SLURM_ARRAY_TASK_ID:?run as a Slurm array task, or set SLURM_ARRAY_TASK_ID}
parts=${SHARDS:-${SLURM_ARRAY_TASK_COUNT:?set SHARDS or SLURM_ARRAY_TASK_COUNT}}
exec "${QUODRA_DIV:-quodra-div}" "$@" --shard "$index/$parts" -o "$output.shard-$index"
