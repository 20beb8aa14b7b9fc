#!/usr/bin/env bash
# The resource bounds of every quodra surface, measured: for each limit, a
# run at the largest input the surface accepts and one just past it, with
# the wall time and peak resident memory that /usr/bin/time reports for the
# whole process and the message the surface gives. Prints a Markdown table.
#
# Builds nothing: it runs what the build folder holds (default
# build/release): bench/quodra_resource_bounds and _cxx, tools/quodra-div and
# the verilated bench hdl/tests/tb_quodra. Python rows use .venv/bin/python
# when it exists (see docs/python.md) and are left out, with a note,
# otherwise. Every row takes a few seconds at most.
#
# Usage: bench/resource_bounds.sh [BUILD_DIR]
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build/release}
if [[ -d $build ]]; then
    build=$(cd "$build" && pwd)
fi
c_probe=$build/bench/quodra_resource_bounds
cxx_probe=$build/bench/quodra_resource_bounds_cxx
tool=$build/tools/quodra-div
sv_bench=$build/hdl/tests/tb_quodra/tb_quodra
python=$root/.venv/bin/python

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for program in "$c_probe" "$cxx_probe" "$tool"; do
    if [[ ! -x $program ]]; then
        echo "resource_bounds.sh: $program is missing: build $build first" >&2
        exit 2
    fi
done

# A table cell in a code span: '|' escaped, long texts cut with a mark.
cell() {
    local text=${1//|/\\|}
    if ((${#text} > 240)); then
        text="${text:0:240}..."
    fi
    printf '`%s`' "$text"
}

# The line a run's message is read from: the last line of standard error,
# else of standard output, or the first line matching $pick when it is set.
message_of() {
    if [[ -n ${pick:-} ]]; then
        grep -h -m 1 -o -- "$pick.*" "$work/err" "$work/out" | head -n 1
    elif [[ -s $work/err ]]; then
        tail -n 1 "$work/err"
    else
        tail -n 1 "$work/out"
    fi
}

# row SURFACE LIMIT INPUT COMMAND...: runs COMMAND once and prints its row.
row() {
    local surface=$1 limit=$2 input=$3
    shift 3
    # From the scratch folder, so that messages quote file names, not paths.
    (cd "$work" && exec /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out" 2>"$work/err" </dev/null)
    local status=$?
    local seconds kilobytes
    read -r seconds kilobytes < <(tail -n 1 "$work/time")
    local megabytes
    megabytes=$(awk -v k="$kilobytes" 'BEGIN { printf "%.1f", k / 1024 }')
    local said
    said=$(message_of)
    if [[ -z $said ]]; then
        said="(nothing printed)"
    fi
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$surface" "$limit" "$input" "$status" \
        "$seconds" "$megabytes" "$(cell "$said")"
}

# A tool input file of one sample: DIVIDEND DIVISOR as sized Verilog
# literals of their widths, the most negative dividend and the largest
# positive divisor (full-width signed operands).
full_width_line() {
    local dividend_width=$1 divisor_width=$2 file=$3
    awk -v b="$dividend_width" -v a="$divisor_width" 'function pattern(width, top, rest,   s, i) {
            s = top; for (i = 1; i < int((width + 3) / 4); ++i) s = s rest; return s }
        BEGIN { top_b = substr("1248", (b - 1) % 4 + 1, 1); top_a = substr("0137", (a - 1) % 4 + 1, 1)
                printf "%d'"'"'h%s %d'"'"'h%s\n", b, pattern(b, top_b, "0"), a, pattern(a, top_a, "f") }' >"$file"
}

# A file of one line: a decimal dividend of N digits, then divisor 1.
digits_line() {
    awk -v n="$1" 'BEGIN { s = "1"; while (length(s) < n) s = s s; printf "%s 1\n", substr(s, 1, n) }' >"$2"
}

# A file of one line: the sample 7 2 and a trailing comment of N bytes.
long_comment_line() {
    awk -v n="$1" 'BEGIN { s = "x"; while (length(s) < n) s = s s; printf "7 2 #%s\n", substr(s, 1, n) }' >"$2"
}

python_row() {
    local limit=$1 input=$2 code=$3
    row Python "$limit" "$input" "$python" -c "
import numpy as np
import quodra
try:
    $code
except Exception as e:
    print('%s: %s' % (type(e).__name__, e))
    raise SystemExit(1)"
}

c_rows() {
    local c=$c_probe
    row C "register 2^20 bits: signed remainder widths" "1/signed/remainder 1048576/1048576" "$c" 1 signed remainder 1048576 1048576 0
    row C "" "1/signed/remainder 524288/1048576 (quotient 2^20 bits)" "$c" 1 signed remainder 524288 1048576 0
    row C "" "dividend width 1048577" "$c" 1 signed remainder 16 1048577 0
    row C "" "divisor width 1048577" "$c" 1 signed remainder 1048577 16 0
    row C "register 2^20 bits: unsigned remainder operands" "operands of 1048576 bits" "$c" 1 unsigned remainder 1048576 1048576 0
    row C "" "dividend of 1048577 bits" "$c" 1 unsigned remainder 16 1048577 0
    row C "register 2^20 bits: Radix-2 B + F" "1/signed/fractional 524288/524288/F524288" "$c" 1 signed fractional 524288 524288 524288
    row C "" "1/unsigned/fractional 524288/524288/F524288" "$c" 1 unsigned fractional 524288 524288 524288
    row C "" "B + F = 1048577" "$c" 1 signed fractional 524288 524288 524289
    row C "register 2^20 bits: High Radix digit string, B + C <= 1048570" "3 288/283/C1048287" "$c" 3 signed fractional 288 283 1048287
    row C "" "3 16/16/C1048554" "$c" 3 signed fractional 16 16 1048554
    row C "" "3 16/16/C1048555" "$c" 3 signed fractional 16 16 1048555
    row C "High Radix creation: divisor 0..303, 19 low digits" "3 304/16/C16" "$c" 3 signed fractional 304 16 16
    row C "" "3 288/284/C1048286" "$c" 3 signed fractional 288 284 1048286
    row C "samples per call: uint32_t count" "2^20 samples, 1/signed/remainder 16/16" "$c" --samples 1048576 1 signed remainder 16 16 0
    row C "" "2^22 samples, 1/signed/remainder 16/16" "$c" --samples 4194304 1 signed remainder 16 16 0
}

cxx_rows() {
    local x=$cxx_probe
    row C++ "register 2^20 bits (the C limits)" "1/signed/remainder 1048576/1048576" "$x" 1 signed remainder 1048576 1048576 0
    row C++ "" "dividend width 1048577" "$x" 1 signed remainder 16 1048577 0
    row C++ "" "3 16/16/C1048554" "$x" 3 signed fractional 16 16 1048554
    row C++ "" "3 16/16/C1048555" "$x" 3 signed fractional 16 16 1048555
    row C++ "batch: 2^32 - 1 samples" "an int64_t batch of 2^32 samples" "$x" --batch-past-limit
}

python_rows() {
    if [[ ! -x $python ]]; then
        echo "| Python | | left out: no .venv/bin/python (docs/python.md installs it) | | | | |"
        return
    fi
    python_row "register 2^20 bits" "divide at 1048576/1048576, full width" \
        "r = quodra.Divider(divisor_width=2**20, dividend_width=2**20).divide(-2**(2**20-1), 2**(2**20-1)-1); print('divided, quotient', r.quotient.bit_length(), 'bits')"
    python_row "" "dividend_width=2**20+1" \
        "quodra.Divider(divisor_width=16, dividend_width=2**20+1).divide(0, 1)"
    python_row "" "high_radix 16/16/C1048555" \
        "quodra.Divider(algorithm='high_radix', output='fractional', divisor_width=16, dividend_width=16, fractional_width=1048555).divide(1, 3)"
    python_row "widths: 32-bit signed" "dividend_width=2**31-1" \
        "quodra.Divider(dividend_width=2**31-1).divide(0, 1)"
    python_row "" "dividend_width=2**31" \
        "quodra.Divider(dividend_width=2**31)"
    python_row "operand: its field" "a 2^20-bit dividend in 16 bits" \
        "quodra.Divider().divide(2**(2**20), 1)"
    python_row "divide_many: slices of 2^16, no count limit" "2^20 int64 samples, 16/16" \
        "n = 2**20; b = quodra.Divider().divide_many(np.full(n, -2**15), np.full(n, 2**15-1)); print('divided', b.quotient.size)"
    python_row "" "2^22 int64 samples, 16/16" \
        "n = 2**22; b = quodra.Divider().divide_many(np.full(n, -2**15), np.full(n, 2**15-1)); print('divided', b.quotient.size)"
    # Under a 4 GB address-space cap: the batch is copied before its size is judged.
    row Python "divide_real: 2^32 - 1 samples" "2^32 samples (a broadcast view), under ulimit -v 4000000" \
        bash -c 'ulimit -v 4000000; exec "$0" -c "
import numpy as np
import quodra
x = np.broadcast_to(np.float64(1.0), (2**32,))
try:
    quodra.Divider().divide_real(x, x)
except Exception as e:
    print(\"%s: %s\" % (type(e).__name__, e))
    raise SystemExit(1)"' "$python"
}

tool_rows() {
    local t=$tool
    full_width_line 65536 65536 "$work/w65536.txt"
    full_width_line 283 288 "$work/hr.txt"
    digits_line 1000000 "$work/digits_1e6.txt"
    digits_line 4000000 "$work/digits_4e6.txt"
    long_comment_line $((64 << 20)) "$work/line_64m.txt"
    row tool "widths 1..65536" "65536/65536 remainder, full width" "$t" --dividend-width 65536 --divisor-width 65536 --input w65536.txt -f hex -o o.hex
    row tool "" "65536/65536/F65536 Radix-2 fractional" "$t" --fractional --fractional-width 65536 --dividend-width 65536 --divisor-width 65536 --input w65536.txt -f hex -o o.hex
    row tool "" "High Radix 288/283/F65536" "$t" -a high-radix --fractional --fractional-width 65536 --dividend-width 283 --divisor-width 288 --input hr.txt -f hex -o o.hex
    row tool "" "--dividend-width 65537" "$t" --dividend-width 65537 1 1
    row tool "" "High Radix 288/284/F65536 (the library's creation bound)" "$t" -a high-radix --fractional --dividend-width 284 --divisor-width 288 --fractional-width 65536 1 1
    row tool "--random 0..10^15" "--random 10^15, last of 10^9 shards (10^6 samples)" "$t" --random 1000000000000000 --shard 1000000000/1000000000 --jobs 1 -f hex -o o.hex
    row tool "" "--random 10^15 + 1" "$t" --random 1000000000000001
    row tool "--batch-size 1..1048576" "--random 1048576 --batch-size 1048576 (16-bit)" "$t" --random 1048576 --batch-size 1048576 --jobs 1 -f hex -o o.hex
    row tool "" "--random 1024 --batch-size 1024, 65536/65536" "$t" --random 1024 --batch-size 1024 --jobs 1 --dividend-width 65536 --divisor-width 65536 -f hex -o o.hex
    row tool "" "--batch-size 1048577" "$t" --batch-size 1048577 1 1
    row tool "--jobs 1..256" "--random 1000000 --jobs 1 (for comparison)" "$t" --random 1000000 --jobs 1 -f hex -o o.hex
    row tool "" "--random 1000000 --jobs 256" "$t" --random 1000000 --jobs 256 -f hex -o o.hex
    row tool "" "--jobs 257" "$t" --jobs 257 1 1
    row tool "input line: no limit, read whole" "7 2 and a 64 MiB comment" "$t" --input line_64m.txt -f hex -o o.hex
    row tool "operand digits: the field's (19729 decimal at 65536 bits)" "a 10^6-digit dividend, 16-bit field" "$t" --input digits_1e6.txt -f hex -o o.hex
    row tool "" "a 4*10^6-digit dividend, 16-bit field" "$t" --input digits_4e6.txt -f hex -o o.hex
}

sv_rows() {
    local c=$c_probe
    row "SV (C side)" "QUODRA_MAX_WIDTH 1024" "1/signed/remainder 1024/1024" "$c" --dpi 1 signed remainder 1024 1024 0
    row "SV (C side)" "" "1/signed/fractional 1024/1024/F1024" "$c" --dpi 1 signed fractional 1024 1024 1024
    row "SV (C side)" "" "3 288/283/F1024" "$c" --dpi 3 signed fractional 288 283 1024
    row "SV (C side)" "" "dividend width 1025" "$c" --dpi 1 signed remainder 16 1025 0
    row "SV (C side)" "" "High Radix dividend width 1024" "$c" --dpi 3 signed fractional 16 1024 16
    row "SV (C side)" "" "fractional width 1025" "$c" --dpi 1 signed fractional 16 16 1025
    if [[ -x $sv_bench ]]; then
        pick='%Error' row SV "QUODRA_MAX_WIDTH 1024" "the bench's error cases (first: dividend width 1025)" \
            "$sv_bench" +error_cases +verilator+error+limit+1000
    else
        echo "| SV | | left out: no verilated bench in $build (Verilator) | | | | |"
    fi
}

echo "| surface | limit | input | exit | wall s | peak RSS MB | what it says |"
echo "|---|---|---|---|---|---|---|"
c_rows
cxx_rows
python_rows
tool_rows
sv_rows
