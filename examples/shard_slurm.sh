#!/usr/bin/env bash
#SBATCH --job-name=quodra-div-shards
#SBATCH --cpus-per-task=1
#SBATCH --output=quodra-div-shard-%A_%a.log
# Runs one quodra-div command on a Slurm cluster as N shards, one array
# task per part, and joins the parts into one output file, byte for byte
# what the command gives unsharded.
#
# Usage:
#   shard_slurm.sh --submit N OUTPUT QUODRA-DIV-ARGUMENTS...
#       submits the array job for the parts not yet complete and the join
#       as a job that runs when every task has succeeded; prints both job ids
#   sbatch --array=1-N shard_slurm.sh OUTPUT QUODRA-DIV-ARGUMENTS...
#       the array job alone (what --submit runs; give --array, there is no
#       default; a task also runs by hand with SLURM_ARRAY_TASK_ID and
#       SHARDS set)
#   shard_slurm.sh --join N OUTPUT
#       joins the N complete parts into OUTPUT and removes them
# Example:
#   examples/shard_slurm.sh --submit 16 golden.hex --random 100000000 -f hex --jobs 1
#
# Task K runs `quodra-div ARGUMENTS --shard K/N -o OUTPUT.shard-K`. A part
# is complete when OUTPUT.shard-K exists with its record OUTPUT.shard-K.args
# (the tool's version, K/N and the arguments), written after the part: a
# task whose part is complete with the same record does nothing, so
# submitting the same command again redoes only the parts that are missing,
# stale or were cut short. --submit refuses an OUTPUT that exists. The join
# refuses parts without a record or made with other arguments. OUTPUT must
# be on a file system that every node shares. Give --jobs 1 when a task has
# one CPU (--cpus-per-task=1 above); do not give -o or --shard yourself.
#
# Environment:
#   QUODRA_DIV       the tool to run (default: quodra-div on the PATH)
#   SHARDS           N in a task (--submit sets it; default:
#                    SLURM_ARRAY_TASK_COUNT)
#   SBATCH_*         sbatch's own settings (SBATCH_PARTITION,
#                    SBATCH_TIMELIMIT, ...) apply to both jobs of --submit
set -euo pipefail

usage() {
    sed -n '/^set -euo/q; /^#!/d; /^#SBATCH/d; s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

fail() {
    echo "shard_slurm.sh: $*" >&2
    exit "${2:-1}"
}

require_count() {
    case $1 in
        '' | *[!0-9]* | 0) fail "N must be a positive number, not '$1'" 2 ;;
    esac
}

tool=${QUODRA_DIV:-quodra-div}

# The record of part K of N of the arguments $3...: one shell-quoted word a
# line, so that two records are equal exactly when the tool, the part and
# every argument are. A different tool version can write other rows.
# read_tool_version sets tool_version once, outside the subshells that
# make records.
tool_version=
read_tool_version() {
    tool_version=$("$tool" --version) || fail "cannot run $tool"
}
part_record() {
    local index=$1 parts=$2
    shift 2
    printf '%q\n' "$tool_version" "--shard $index/$parts" "$@"
}

# The record without its shard line: equal for all parts of one run.
record_arguments() {
    sed '2d' "$1"
}

part_is_complete() {
    local output=$1 index=$2 record=$3
    [ -f "$output.shard-$index" ] && [ -f "$output.shard-$index.args" ] &&
        [ "$(cat "$output.shard-$index.args")" = "$record" ]
}

# Writes part K: the record goes first, the part is written (the tool
# renames its file into place only when complete), and the record is put
# back last, so a task cut short at any point leaves its part incomplete.
run_part() {
    local output=$1 index=$2 parts=$3 record
    shift 3
    read_tool_version
    record=$(part_record "$index" "$parts" "$@")
    if part_is_complete "$output" "$index" "$record"; then
        echo "part $index of $parts ($output.shard-$index) is complete: kept"
        return 0
    fi
    rm -f "$output.shard-$index.args"
    "$tool" "$@" --shard "$index/$parts" -o "$output.shard-$index"
    printf '%s\n' "$record" > "$output.shard-$index.args.writing"
    mv "$output.shard-$index.args.writing" "$output.shard-$index.args"
}

join_parts() {
    local parts=$1 output=$2 k files=() records=()
    require_count "$parts"
    for k in $(seq 1 "$parts"); do
        [ -f "$output.shard-$k" ] || fail "shard $k of $parts ($output.shard-$k) is missing"
        [ -f "$output.shard-$k.args" ] ||
            fail "shard $k of $parts ($output.shard-$k) has no record $output.shard-$k.args: it may be cut short"
        [ "$(record_arguments "$output.shard-$k.args")" = "$(record_arguments "$output.shard-1.args")" ] ||
            fail "shard $k of $parts was made with other arguments than shard 1 (see $output.shard-$k.args)"
        [ "$(sed -n 2p "$output.shard-$k.args")" = "$(printf '%q' "--shard $k/$parts")" ] ||
            fail "shard $k of $parts was made as another part (see $output.shard-$k.args)"
        files+=("$output.shard-$k")
        records+=("$output.shard-$k.args")
    done
    cat "${files[@]}" > "$output.joining"
    mv "$output.joining" "$output"
    rm -f "${files[@]}" "${records[@]}"
}

# The numbers $@ (ascending) as an --array list: runs of consecutive
# numbers as ranges, so that a thousand parts make a short list.
array_list() {
    local list='' first=$1 last=$1 k
    shift
    for k in "$@" ''; do
        if [ -n "$k" ] && [ "$k" -eq $((last + 1)) ]; then
            last=$k
            continue
        fi
        if [ "$first" -eq "$last" ]; then list+=",$first"; else list+=",$first-$last"; fi
        first=$k
        last=$k
    done
    echo "${list#,}"
}

# Submits the array job for the incomplete parts (all N share SHARDS=N, as
# the array holds only some of them) and the join, which Slurm cancels
# when a task fails.
submit() {
    local parts=$1 output=$2 k record missing=() array_job join_job
    shift 2
    require_count "$parts"
    [ ! -e "$output" ] || fail "$output exists: remove it to make it again" 2
    read_tool_version
    for k in $(seq 1 "$parts"); do
        record=$(part_record "$k" "$parts" "$@")
        part_is_complete "$output" "$k" "$record" || missing+=("$k")
    done
    local dependency=()
    if [ ${#missing[@]} -gt 0 ]; then
        local list
        list=$(array_list "${missing[@]}")
        array_job=$(sbatch --parsable --export=ALL,SHARDS="$parts" \
            --array="$list" "$0" "$output" "$@")
        array_job=${array_job%%;*}
        echo "array job $array_job: parts $list of $parts"
        dependency=(--dependency=afterok:"$array_job" --kill-on-invalid-dep=yes)
    else
        echo "all $parts parts are complete"
    fi
    join_job=$(sbatch --parsable "${dependency[@]}" --job-name=quodra-div-join \
        --output=quodra-div-join-%j.log "$0" --join "$parts" "$output")
    join_job=${join_job%%;*}
    echo "join job $join_job: $output"
}

case ${1:-} in
    --join)
        [ $# -eq 3 ] || { echo "usage: shard_slurm.sh --join N OUTPUT" >&2; exit 2; }
        join_parts "$2" "$3"
        ;;
    --submit)
        [ $# -ge 3 ] || usage
        shift
        submit "$@"
        ;;
    '' | -h | --help)
        usage
        ;;
    *)
        output=$1
        shift
        if [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
            [ -z "${SLURM_JOB_ID:-}" ] || fail "submit with sbatch --array=1-N (or use --submit)" 2
            fail "run as a Slurm array task, or set SLURM_ARRAY_TASK_ID" 2
        fi
        index=$SLURM_ARRAY_TASK_ID
        parts=${SHARDS:-${SLURM_ARRAY_TASK_COUNT:?set SHARDS or SLURM_ARRAY_TASK_COUNT}}
        run_part "$output" "$index" "$parts" "$@"
        ;;
esac
