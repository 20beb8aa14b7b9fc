#!/usr/bin/env python3
"""Runs bench/surfaces.py with tiny counts and checks the table's form, not
its times: the header, one row per surface of the script's list, six cells
a row, and in each row either a positive ratio with both times, a skip
note with neither, or a pending note with the surface's time alone.

Usage: check_surfaces_table.py SCRIPT BUILD_DIR
"""
import re
import subprocess
import sys

EXPECTED_SURFACES = [
    r"C `data_do`, High Radix 64/64/C64",
    r"C `data_do`, High Radix 128/128/C64",
    r"`quodra-div --random \d+ -f hex -o FILE --jobs 1` \(16/16\)",
    r"`quodra-div --random \d+ -f hex -o FILE --jobs 2`",
    r"`quodra-div --exhaustive -f hex --jobs 1`, \d+ x \d+ bits",
    r"`quodra-div --check` of that file",
    r"`divide_many`, signed 16/16 remainder.*",
    r"`divide_many`, signed 32/32 remainder.*",
    r"`divide_many`, unsigned 64/64 remainder.*",
    r"`divide_many`, Radix-2 16/16/16.*",
    r"`divide_many`, High Radix 16/16/16.*",
    r"`Divider.divide\(\)`, one sample \(32/32\)",
    r"SystemVerilog `quodra_divider.divide`, 32/32",
]
TIME = re.compile(r"^[0-9.]+ (s|ms|us|ns)$")


def problems(lines):
    found = []
    if lines[:2] != ["| surface | compared with | time | floor time | ratio | goal |",
                     "|---|---|---|---|---|---|"]:
        found.append("header: %r" % lines[:2])
    rows = lines[2:]
    if len(rows) != len(EXPECTED_SURFACES):
        found.append("%d rows for %d surfaces" % (len(rows), len(EXPECTED_SURFACES)))
    for line, surface in zip(rows, EXPECTED_SURFACES):
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 6:
            found.append("not six cells: " + line)
            continue
        name, _, time_cell, floor_cell, ratio, goal = cells
        if not re.fullmatch(surface, name):
            found.append("surface %r where %r was expected" % (name, surface))
        if not goal:
            found.append("no goal: " + line)
        if ratio.startswith("skipped"):
            if time_cell or floor_cell:
                found.append("times beside a skip: " + line)
        elif ratio.startswith("pending"):
            # Measured, but its floor is not there to compare with.
            if floor_cell or not TIME.match(time_cell):
                found.append("a pending row without its time alone: " + line)
        elif not (re.fullmatch(r"[0-9]+\.[0-9]{2}", ratio) and float(ratio) > 0 and
                  TIME.match(time_cell) and TIME.match(floor_cell)):
            found.append("malformed measurement: " + line)
    return found


def main():
    script, build = sys.argv[1], sys.argv[2]
    run = subprocess.run([sys.executable, script, build, "--smoke"], capture_output=True,
                         text=True)
    if run.returncode != 0:
        sys.exit("surfaces.py exited with %d:\n%s" % (run.returncode, run.stderr))
    lines = [line for line in run.stdout.splitlines() if line.startswith("|")]
    found = problems(lines)
    print(run.stdout)
    if found:
        sys.exit("\n".join(found))


if __name__ == "__main__":
    main()
