#!/usr/bin/env bash
# Runs examples/shard_parallel.sh (mode "parallel") or, with
# SLURM_ARRAY_TASK_ID set by hand for each part, examples/shard_slurm.sh
# (mode "slurm") and checks that the joined parts are byte for byte the
# unsharded output, for several formats and part counts.
# Usage: shard_examples_test.sh parallel|slurm QUODRA_DIV EXAMPLES_DIR
# Exit 77 (skipped) when GNU parallel is missing in mode "parallel".
set -euo pipefail
mode=$1
export QUODRA_DIV=$2
examples=$3

if [ "$mode" = parallel ] && ! command -v parallel > /dev/null; then
    echo "GNU parallel is not installed: skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs the command's N parts with the example script, joined into $1.
run_parts() {
    local output=$1 parts=$2
    shift 2
    if [ "$mode" = parallel ]; then
        PARALLEL_JOBS=2 "$examples/shard_parallel.sh" "$parts" "$output" "$@"
    else
        for k in $(seq 1 "$parts"); do
            SLURM_ARRAY_TASK_ID=$k SLURM_ARRAY_TASK_COUNT=$parts \
                "$examples/shard_slurm.sh" "$output" "$@"
        done
        "$examples/shard_slurm.sh" --join "$parts" "$output"
    fi
}

printf '# pairs\n100 7\n-7 2\n\n7, -2\n-128 -1 # overflow\n5 0\n1 3\n' > pairs.txt
cases=(
    "--random 700 --seed 9 -f hex --header --batch-size 16 --jobs 1"
    "--random 300 --seed 2 --dividend-width 8 --divisor-width 8 --batch-size 7"
    "--exhaustive --dividend-width 4 --divisor-width 3 -f csv"
    "-i pairs.txt --dividend-width 8 --divisor-width 8"
)
checked=0
for arguments in "${cases[@]}"; do
    # shellcheck disable=SC2086 # each case is a list of words
    "$QUODRA_DIV" $arguments -o whole.out
    [ -s whole.out ] || fail "no output from: $arguments"
    for parts in 2 7; do
        rm -f joined.out
        # shellcheck disable=SC2086
        run_parts joined.out "$parts" $arguments
        cmp -s whole.out joined.out || fail "$parts parts differ from the whole: $arguments"
        leftovers=$(find . -name 'joined.out.*')
        [ -z "$leftovers" ] || fail "parts left behind: $leftovers"
        checked=$((checked + 1))
    done
done

# A failing part: no joined output.
rm -f joined.out
if run_parts joined.out 2 --random 10 --dividend-width 0 2> /dev/null; then
    fail "a failing part was joined"
fi
[ ! -e joined.out ] || fail "joined output written although a part failed"
# Only the second of two parts fails (its line is malformed): the first
# part's file goes too, so nothing is left that looks like a result.
printf '1 1\n2 1\n3 1\n4 x\n' > half_bad.txt
if run_parts joined.out 2 -i half_bad.txt 2> /dev/null; then
    fail "a failing part was joined"
fi
[ ! -e joined.out ] || fail "joined output written although a part failed"
if [ "$mode" = parallel ]; then
    leftovers=$(find . -name 'joined.out.*')
    [ -z "$leftovers" ] || fail "parts left behind by a failed run: $leftovers"
fi
if [ "$mode" = slurm ] && "$examples/shard_slurm.sh" --join 2 joined.out 2> /dev/null; then
    fail "--join accepted missing parts"
fi
echo "$checked joined runs equal their unsharded output ($mode)"
