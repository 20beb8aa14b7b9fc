#!/usr/bin/env bash
# Runs examples/shard_parallel.sh (mode "parallel") or, with
# SLURM_ARRAY_TASK_ID set by hand for each part, examples/shard_slurm.sh
# (mode "slurm") and checks that the joined parts are byte for byte the
# unsharded output, for several formats and part counts; in mode "slurm"
# also that a task keeps a complete part and redoes a stale one.
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
if [ "$mode" = slurm ]; then
    # Resuming by hand: a part complete with the same record is kept; a part
    # whose record is stale or missing is made again; the join refuses a
    # part without its record or made with other arguments.
    task() {
        SLURM_ARRAY_TASK_ID=$1 SHARDS=2 "$examples/shard_slurm.sh" resumed.out \
            --random 50 --seed "${2:-4}" -f hex > /dev/null
    }
    made_again() {
        [ "$(stat -c %Y "resumed.out.shard-$1")" != 978307200 ]
    }
    "$QUODRA_DIV" --random 50 --seed 4 -f hex -o resumed.whole
    task 1
    task 2
    touch -d @978307200 resumed.out.shard-1 resumed.out.shard-2
    task 1
    ! made_again 1 || fail "a complete part was made again"
    echo "--seed 5" >> resumed.out.shard-1.args
    task 1
    made_again 1 || fail "a part with a stale record was kept"
    # Another version of the tool may write other rows: its part is redone.
    cat > other-version <<SH
#!/bin/sh
[ "\$1" = --version ] && echo "quodra-div 0.0.1" && exit
exec "$QUODRA_DIV" "\$@"
SH
    chmod +x other-version
    touch -d @978307200 resumed.out.shard-1
    QUODRA_DIV=$PWD/other-version task 1
    made_again 1 || fail "a part made by another tool version was kept"
    task 1
    rm resumed.out.shard-2.args
    if "$examples/shard_slurm.sh" --join 2 resumed.out 2> /dev/null; then
        fail "--join accepted a part without its record"
    fi
    task 2
    made_again 2 || fail "a part without its record was kept"
    task 2 5
    if "$examples/shard_slurm.sh" --join 2 resumed.out 2> /dev/null; then
        fail "--join accepted parts made with other arguments"
    fi
    task 2
    "$examples/shard_slurm.sh" --join 2 resumed.out
    cmp -s resumed.out resumed.whole || fail "the resumed parts differ from the whole"
    # A job that is no array (sbatch without --array) stops at once.
    status=0
    SLURM_JOB_ID=7 "$examples/shard_slurm.sh" lone.out --random 5 2> /dev/null || status=$?
    if [ "$status" -ne 2 ] || [ -e lone.out.shard-1 ]; then
        fail "a job without --array: status $status"
    fi
    # --submit leaves an existing OUTPUT alone and submits nothing.
    status=0
    "$examples/shard_slurm.sh" --submit 2 resumed.out --random 50 2> /dev/null || status=$?
    [ "$status" -eq 2 ] || fail "--submit over an existing output: status $status, not 2"
fi
echo "$checked joined runs equal their unsharded output ($mode)"
