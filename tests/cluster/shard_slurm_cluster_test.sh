#!/usr/bin/env bash
# Runs examples/shard_slurm.sh on a real one-node Slurm cluster started for
# the test (one_node_cluster.sh): an array job submitted by hand with
# `sbatch --wait`, its parts checked by a second array job, and joined; --submit's array and dependent join; a run
# whose third task fails, where the join must be cancelled and write
# nothing; and the resumed run, which must redo only the failed part and a
# part whose record is stale; and a run whose parts are all complete,
# where the join runs alone. Every joined file is compared byte for byte
# with the unsharded run.
# Usage: shard_slurm_cluster_test.sh QUODRA_DIV EXAMPLES_DIR
# Exit 77 (skipped) when not root or when a Slurm or munge program is missing.
set -euo pipefail
tool=$1
examples=$2
here=$(cd "$(dirname "$0")" && pwd)
export PATH=$PATH:/usr/sbin:/sbin

if [ "$(id -u)" -ne 0 ]; then
    echo "the cluster's daemons must run as root: skipped"
    exit 77
fi
for program in munged mungekey slurmctld slurmd sbatch squeue scontrol sinfo scancel python3; do
    if ! command -v "$program" > /dev/null; then
        echo "$program is not installed: skipped"
        exit 77
    fi
done

# shellcheck source-path=SCRIPTDIR
. "$here/one_node_cluster.sh"
work=$(mktemp -d)
chmod 755 "$work"
finish() {
    local status=$?
    cluster_stop
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL: $*" >&2
    tail -n 5 "$work"/jobs/*.log >&2 2> /dev/null || true
    exit 1
}

# The states of a job's tasks, one a line (a job Slurm no longer knows
# has none).
job_states() {
    scontrol -o show job "$1" 2> /dev/null | grep -o 'JobState=[A-Z_]*' | cut -d= -f2 | sort -u
}
job_finished() {
    ! job_states "$1" | grep -Eq '^(PENDING|CONFIGURING|RUNNING|COMPLETING|SUSPENDED)$'
}
wait_job() {
    cluster_wait_for 60 job_finished "$1" || fail "job $1 still runs after 60 s: $(job_states "$1")"
}
# The join job's id from --submit's last line, "join job ID: OUTPUT".
join_job_of() {
    tail -n 1 "$1" | sed -n 's/^join job \([0-9]*\): .*/\1/p'
}

cluster_start "$work/cluster"
mkdir "$work/jobs"
cd "$work/jobs"
"$tool" --random 200000 --seed 9 -f hex --jobs 1 -o whole.hex

# By hand: the array job, then the join.
timeout 90 sbatch --quiet --wait --array=1-4 --export=ALL,QUODRA_DIV="$tool" \
    "$examples/shard_slurm.sh" hand.hex --random 200000 --seed 9 -f hex --jobs 1 ||
    fail "the array job submitted by hand failed"
# Each part checked where it was made, as docs/cluster.md does.
timeout 90 sbatch --quiet --wait --array=1-4 --output=check-%a.log \
    --wrap "'$tool' --check hand.hex.shard-\$SLURM_ARRAY_TASK_ID" ||
    fail "the parts' check failed"
grep -q '^coverage: ' check-4.log || fail "no check report in check-4.log"
"$examples/shard_slurm.sh" --join 4 hand.hex
cmp hand.hex whole.hex || fail "the array job's joined parts differ from the unsharded run"

# One command: the array job and the join as a dependent job.
QUODRA_DIV=$tool "$examples/shard_slurm.sh" --submit 3 submit.hex \
    --random 200000 --seed 9 -f hex --jobs 1 > submit.txt
join=$(join_job_of submit.txt)
[ -n "$join" ] || fail "no join job in: $(cat submit.txt)"
wait_job "$join"
[ "$(job_states "$join")" = COMPLETED ] || fail "join job $join: $(job_states "$join")"
cmp submit.hex whole.hex || fail "--submit's output differs from the unsharded run"

# A tool that logs which parts it makes, to see what a resumed run redoes.
cat > counting-div <<SH
#!/bin/sh
case " \$* " in *" --shard "*) echo "\$*" | grep -o -- '--shard [0-9/]*' >> "$work/jobs/made.txt" ;; esac
exec "$tool" "\$@"
SH
chmod +x counting-div
export QUODRA_DIV=$work/jobs/counting-div

# 40 pairs in 4 parts of 10; the 26th line, in part 3, is malformed.
for i in $(seq 1 40); do
    if [ "$i" -eq 26 ]; then echo "2x6 1"; else echo "$((i * 37)) $((i % 7 + 1))"; fi
done > pairs.txt
"$examples/shard_slurm.sh" --submit 4 pairs.out -i pairs.txt > failing.txt
join=$(join_job_of failing.txt)
array=$(sed -n 's/^array job \([0-9]*\): .*/\1/p' failing.txt)
wait_job "$join"
wait_job "$array"
case $(job_states "$join") in
    '' | CANCELLED) ;;
    *) fail "join job $join after a failed task: $(job_states "$join")" ;;
esac
[ "$(job_states "$array")" = "$(printf 'COMPLETED\nFAILED')" ] ||
    fail "array job $array: $(job_states "$array" | tr '\n' ' ')"
[ ! -e pairs.out ] || fail "an output was joined although a part failed"
for k in 1 2 4; do
    if [ ! -f "pairs.out.shard-$k" ] || [ ! -f "pairs.out.shard-$k.args" ]; then
        fail "part $k is not complete"
    fi
done
[ ! -e pairs.out.shard-3.args ] || fail "the failed part 3 has a record"

# Resume with the line mended and part 2's record stale: parts 2 and 3
# alone are made again.
sed -i 's/^2x6 1$/962 6/' pairs.txt
echo "--seed 1" >> pairs.out.shard-2.args
rm -f made.txt
"$examples/shard_slurm.sh" --submit 4 pairs.out -i pairs.txt > resumed.txt
grep -q '^array job [0-9]*: parts 2-3 of 4$' resumed.txt || fail "resumed: $(cat resumed.txt)"
join=$(join_job_of resumed.txt)
wait_job "$join"
[ "$(job_states "$join")" = COMPLETED ] || fail "resumed join job $join: $(job_states "$join")"
[ "$(sort made.txt | tr '\n' ' ')" = "--shard 2/4 --shard 3/4 " ] ||
    fail "the resumed run made: $(tr '\n' ' ' < made.txt)"
"$tool" -i pairs.txt -o pairs.whole
cmp pairs.out pairs.whole || fail "the resumed run's output differs from the unsharded run"
# Every part complete (made here by hand): the join is submitted alone.
for k in 1 2; do
    SLURM_ARRAY_TASK_ID=$k SHARDS=2 "$examples/shard_slurm.sh" done.out -i pairs.txt > /dev/null
done
rm -f made.txt
"$examples/shard_slurm.sh" --submit 2 done.out -i pairs.txt > done.txt
[ "$(head -n 1 done.txt)" = "all 2 parts are complete" ] || fail "complete parts: $(cat done.txt)"
join=$(join_job_of done.txt)
wait_job "$join"
[ "$(job_states "$join")" = COMPLETED ] || fail "join job $join alone: $(job_states "$join")"
[ ! -e made.txt ] || fail "complete parts were made again: $(cat made.txt)"
cmp done.out pairs.whole || fail "the joined complete parts differ from the unsharded run"
leftovers=$(find . -name 'pairs.out.*' -o -name 'submit.hex.*' -o -name 'hand.hex.*' -o -name 'done.out.*')
[ -z "$leftovers" ] || fail "parts left behind: $leftovers"
echo "array jobs on a one-node Slurm cluster joined equal to the unsharded runs; a failed task cancelled the join; the resumed run redid parts 2 and 3 alone"
