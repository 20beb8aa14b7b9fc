#!/usr/bin/env python3
"""Every surface of quodra against its floor, measured in one run.

Runs the built benches and tools of BUILD_DIR, times each surface and the
floor it is compared with on the same machine in the same run, and prints
one Markdown table with the goal beside each ratio. A measurement, not a
test: nothing here runs in the test suite (a smoke test runs it with tiny
counts and checks only the table's form).

    python3 bench/surfaces.py build/release            # about 2 minutes
    python3 bench/surfaces.py build/release --smoke    # tiny counts, seconds

Rows and floors (time is the best of --repeats runs of each, 5 unless given; wall clock):
  library    quodra_ratio_bench's High Radix rows: data_do against the public
             element accesses of the same samples (medians of 3 repetitions)
  tool       quodra-div --random N -f hex -o FILE --jobs 1 (16/16 signed
             remainder) against data_do on the samples read back from FILE;
             the same with --jobs 2 against --jobs 1; --exhaustive 10 x 10
             bits and --check of its output against data_do on those samples
  Python     Divider.divide_many on 10^6 int64/uint64 samples against numpy
             computing the same results on the same arrays; Divider.divide()
             of one sample against the extension's benchmark-only call taking
             and returning two ints, when the installed package has one
  SV         quodra_divider.divide from Verilator (32/32) against a DPI
             function of the same signature doing only C's / and %

A row whose program is missing (the Verilator bench, the Python package) is
printed as skipped with the reason, so the table always has every surface.
The Python rows run under --python (default: .venv/bin/python of the source
tree, else python3), which must import quodra and numpy.
"""
import argparse
import json
import re
import subprocess
import sys
import tempfile
import time
from array import array
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]

# Configuration codes of the C interface (quodra.h).
RADIX2, HIGH_RADIX = 1, 3
SIGNED = 1
REMAINDER, FRACTIONAL = 0, 1


class Row:
    """One line of the table: a surface's time against its floor's."""

    def __init__(self, surface, floor, goal, time_s=None, floor_s=None, ratio=None, note=""):
        self.surface, self.floor, self.goal = surface, floor, goal
        self.time_s, self.floor_s, self.note = time_s, floor_s, note
        self.ratio = ratio
        if ratio is None and time_s is not None and floor_s is not None:
            self.ratio = time_s / floor_s

    def cells(self):
        if self.ratio is None:  # skipped, or measured without its floor
            measured = seconds_text(self.time_s) if self.time_s is not None else ""
            return [self.surface, self.floor, measured, "", self.note or "skipped", self.goal]
        return [self.surface, self.floor, seconds_text(self.time_s), seconds_text(self.floor_s),
                "%.2f" % self.ratio, self.goal]


def seconds_text(value):
    """A time with a unit that keeps three significant digits readable."""
    if value >= 1.0:
        return "%.2f s" % value
    if value >= 1e-3:
        return "%.1f ms" % (value * 1e3)
    if value >= 1e-6:
        return "%.1f us" % (value * 1e6)
    return "%.1f ns" % (value * 1e9)


def best_wall(repeats, command):
    """Best wall time of `repeats` runs of a command that must succeed."""
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        best = min(best, time.perf_counter() - start)
    return best


# ---- the library's own rows ----------------------------------------------
def library_rows(build, smoke):
    bench = build / "bench" / "quodra_ratio_bench"
    goals = {"high_radix/64/64/C64": "<= 3", "high_radix/128/128/C64": "<= 5"}
    floor = "I/O floor (element accesses)"
    if not bench.exists():
        return [Row("C `data_do`, High Radix " + name[11:], floor, goal,
                    note="skipped: quodra_ratio_bench not built")
                for name, goal in goals.items()]
    with tempfile.TemporaryDirectory() as work:
        out = Path(work) / "ratio.json"
        command = [str(bench), "--benchmark_filter=^high_radix/(64/64|128/128)/",
                   "--benchmark_out=" + str(out), "--benchmark_out_format=json"]
        # Each row runs for at least 0.3 s; the smoke run skips the repetitions.
        command += [] if smoke else ["--benchmark_repetitions=3"]
        subprocess.run(command, check=True, capture_output=True)
        results = json.loads(out.read_text())["benchmarks"]
    rows = []
    for name, goal in goals.items():
        runs = [r for r in results if r["run_name"].startswith(name + "/")]
        median = [r for r in runs if r.get("aggregate_name") == "median"] or runs
        r = median[0]
        rows.append(Row("C `data_do`, High Radix " + name[11:], floor, goal,
                        r["model_ns"] * 1e-9, r["floor_ns"] * 1e-9, r["ratio"]))
    return rows


# ---- quodra-div ------------------------------------------------------------
def read_hex_samples(path, width):
    """Dividends and divisors of a hex file quodra-div wrote (the first two
    fields of each row, two's complement of `width` bits)."""
    top, wrap = 1 << (width - 1), 1 << width
    dividends, divisors = array("q"), array("q")
    with open(path) as rows:
        for row in rows:
            fields = row.split()
            n, d = int(fields[0], 16), int(fields[1], 16)
            dividends.append(n - wrap if n >= top else n)
            divisors.append(d - wrap if d >= top else d)
    return dividends, divisors


def data_do_seconds(build, work, dividends, divisors, width, repeats):
    """Best time of one data_do call on the samples (16/16-style signed
    remainder mode at `width` bits), by quodra_data_do_timing."""
    samples = Path(work) / "samples.bin"
    with open(samples, "wb") as out:
        dividends.tofile(out)
        divisors.tofile(out)
    timer = build / "bench" / "quodra_data_do_timing"
    output = subprocess.run([str(timer), str(samples), str(RADIX2), str(width), str(width),
                             str(SIGNED), str(REMAINDER), "16", str(repeats)],
                            check=True, capture_output=True, text=True).stdout
    return float(output)


def tool_rows(build, samples, width, repeats):
    tool = build / "tools" / "quodra-div"
    random_text = "`quodra-div --random %d -f hex -o FILE" % samples
    data_do = "C `data_do`, same samples"
    pairs = "%d x %d bits" % (width, width)
    names = [(random_text + " --jobs 1` (16/16)", data_do, "<= 1.3"),
             (random_text + " --jobs 2`", "`--jobs 1`", "<= 0.56 (2 jobs 1.8x as fast)"),
             ("`quodra-div --exhaustive -f hex --jobs 1`, " + pairs, data_do, "<= 1.3"),
             ("`quodra-div --check` of that file", data_do, "<= 1.5")]
    if not tool.exists():
        return [Row(*name, note="skipped: quodra-div not built") for name in names]
    with tempfile.TemporaryDirectory() as work:
        random_file = str(Path(work) / "random.hex")
        base = [str(tool), "--random", str(samples), "-f", "hex", "-o", random_file,
                "--no-progress"]
        one_job = best_wall(repeats, base + ["--jobs", "1"])
        two_jobs = best_wall(repeats, base + ["--jobs", "2"])
        floor = data_do_seconds(build, work, *read_hex_samples(random_file, 16), 16, repeats)
        widths = ["--dividend-width", str(width), "--divisor-width", str(width)]
        all_file = str(Path(work) / "all.hex")
        exhaustive = best_wall(repeats, [str(tool), "--exhaustive", *widths, "-f", "hex", "-o",
                                         all_file, "--jobs", "1", "--no-progress"])
        check = best_wall(repeats, [str(tool), *widths, "--check", all_file, "--no-progress"])
        exhaustive_floor = data_do_seconds(build, work, *read_hex_samples(all_file, width), width,
                                           repeats)
    times = [(one_job, floor), (two_jobs, one_job), (exhaustive, exhaustive_floor),
             (check, exhaustive_floor)]
    return [Row(*name, *measured) for name, measured in zip(names, times)]


# ---- Python ----------------------------------------------------------------
# name, algorithm, divisor width, dividend width, signed, output, fractional width
PYTHON_BATCHES = [
    ("signed 16/16 remainder", RADIX2, 16, 16, True, "remainder", 16),
    ("signed 32/32 remainder", RADIX2, 32, 32, True, "remainder", 16),
    ("unsigned 64/64 remainder", RADIX2, 64, 64, False, "remainder", 16),
    ("Radix-2 16/16/16", RADIX2, 16, 16, True, "fractional", 16),
    ("High Radix 16/16/16", HIGH_RADIX, 16, 16, True, "fractional", 16),
]


def batch_goal(output):
    """numpy's division is the floor: remainder mode within 2 times it, the
    fractional cores, which do more than one division, within 3 times."""
    return "<= 2" if output == "remainder" else "<= 3"


# The extension's benchmark-only call of two ints (not in quodra.__all__).
ECHO_NAMES = ("_echo2",)


def python_measurements(samples, calls, repeats):
    """Run inside the interpreter that has the package: prints JSON."""
    import numpy as np
    import quodra
    from quodra import _quodra

    def best_of(call):
        best = float("inf")
        for _ in range(repeats):
            start = time.perf_counter()
            call()
            best = min(best, time.perf_counter() - start)
        return best

    def field(generator, width, signed):
        if signed:
            values = generator.integers(-(1 << (width - 1)), (1 << (width - 1)) - 1, size=samples,
                                        dtype=np.int64, endpoint=True)
        else:
            values = generator.integers(0, (1 << width) - 1, size=samples, dtype=np.uint64,
                                        endpoint=True)
        values[values == 0] = 1  # a divisor; harmless for a dividend
        return values

    def numpy_results(dividends, divisors, output, f):
        if output == "remainder":
            remainder = np.fmod(dividends, divisors)
            return (dividends - remainder) // divisors, remainder
        scaled = dividends << f
        return (scaled - np.fmod(scaled, divisors)) // divisors

    generator = np.random.default_rng(12345)
    batches = []
    for name, algorithm, a, b, signed, output, f in PYTHON_BATCHES:
        dividends, divisors = field(generator, b, signed), field(generator, a, signed)
        divider = quodra.Divider(algorithm=algorithm, divisor_width=a, dividend_width=b,
                                 signed=signed, output=output, fractional_width=f)
        batches.append({
            "name": name,
            "goal": batch_goal(output),
            "time": best_of(lambda: divider.divide_many(dividends, divisors)),
            "floor": best_of(lambda: numpy_results(dividends, divisors, output, f)),
        })
    divider = quodra.Divider(divisor_width=32, dividend_width=32)

    def per_call(function):
        def loop():
            for i in range(calls):
                function(1000003 + i, 7)
        return best_of(loop) / calls

    echo = next((getattr(_quodra, n) for n in ECHO_NAMES if hasattr(_quodra, n)), None)
    single = {"time": per_call(divider.divide),
              "floor": per_call(echo) if echo is not None else None}
    print(json.dumps({"batches": batches, "single": single}))


def python_interpreter(chosen):
    if chosen:
        return chosen
    venv = ROOT / ".venv" / "bin" / "python"
    return str(venv) if venv.exists() else sys.executable


def python_rows(interpreter, samples, calls, repeats):
    batch_names = ["`divide_many`, %s" % b[0] for b in PYTHON_BATCHES]
    single_name = "`Divider.divide()`, one sample (32/32)"
    run = subprocess.run([interpreter, str(Path(__file__).resolve()), "--python-measurements",
                          "--python-samples", str(samples), "--python-calls", str(calls),
                          "--repeats", str(repeats)], capture_output=True, text=True)
    if run.returncode != 0:
        reason = (run.stderr.strip().splitlines() or ["failed"])[-1]
        note = "skipped: %s cannot run them (%s)" % (interpreter, reason)
        return ([Row(name, "numpy, same arrays", batch_goal(b[5]), note=note)
                 for name, b in zip(batch_names, PYTHON_BATCHES)] +
                [Row(single_name, "extension call of two ints", "<= 3", note=note)])
    measured = json.loads(run.stdout)
    rows = [Row("`divide_many`, %s, %d samples" % (b["name"], samples), "numpy, same arrays",
                b["goal"], b["time"], b["floor"]) for b in measured["batches"]]
    single = measured["single"]
    if single["floor"] is None:
        rows.append(Row(single_name, "extension call of two ints", "<= 3", single["time"],
                        note="pending: the package has no benchmark-only call of two ints"))
    else:
        rows.append(Row(single_name, "extension call of two ints", "<= 3", single["time"],
                        single["floor"]))
    return rows


# ---- SystemVerilog -----------------------------------------------------------
def systemverilog_row(build, calls):
    name = "SystemVerilog `quodra_divider.divide`, 32/32"
    floor_name = "DPI call doing C `/` and `%`"
    bench = build / "hdl" / "tests" / "speed_bench" / "quodra_hdl_speed"
    if not bench.exists():
        return Row(name, floor_name, "<= 4",
                   note="skipped: build the target quodra_hdl_speed_bench (needs Verilator)")
    output = subprocess.run([str(bench), "+calls=%d" % calls], check=True, capture_output=True,
                            text=True).stdout
    per_call = {}
    for line in output.splitlines():
        match = re.match(r"(.*?)\s+([0-9.]+) ns/call", line)
        if match:
            per_call[match.group(1)] = float(match.group(2)) * 1e-9
    floor = next(v for k, v in per_call.items() if k.startswith("floor: C"))
    divider = next(v for k, v in per_call.items() if k.startswith("quodra_divider"))
    return Row(name, floor_name, "<= 4", divider, floor)


def print_table(rows):
    print("| surface | compared with | time | floor time | ratio | goal |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row.cells()) + " |")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", help="CMake build directory (Release)")
    parser.add_argument("--smoke", action="store_true",
                        help="tiny counts and one repeat: checks that every row runs")
    parser.add_argument("--samples", type=int, default=4_000_000,
                        help="quodra-div --random samples")
    parser.add_argument("--python-samples", type=int, default=1_000_000)
    parser.add_argument("--python-calls", type=int, default=200_000)
    parser.add_argument("--sv-calls", type=int, default=2_000_000)
    parser.add_argument("--exhaustive-width", type=int, default=10)
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--python", help="interpreter for the Python rows")
    parser.add_argument("--python-measurements", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.python_measurements:
        python_measurements(args.python_samples, args.python_calls, args.repeats)
        return
    if args.build is None:
        parser.error("the build directory is required")
    if args.smoke:
        args.samples, args.python_samples, args.python_calls = 2000, 2000, 200
        args.sv_calls, args.exhaustive_width, args.repeats = 2000, 4, 1
    build = Path(args.build).resolve()
    rows = library_rows(build, args.smoke)
    rows += tool_rows(build, args.samples, args.exhaustive_width, args.repeats)
    rows += python_rows(python_interpreter(args.python), args.python_samples, args.python_calls,
                        args.repeats)
    rows.append(systemverilog_row(build, args.sv_calls))
    print_table(rows)


if __name__ == "__main__":
    main()
