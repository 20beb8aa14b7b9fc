#!/usr/bin/env python3
"""Divider.divide_many on 10^6 samples in numpy int64 arrays against a
direct C call of qor_quodra_v5_1_data_do on the same configuration and the
same samples, and against numpy dividing the same arrays (truncating
division into quotient and remainder; in fractional mode the quotient of
the dividend scaled by 2^fractional_width). A measurement, not a test: it
prints the best of several runs of each and the ratios.

Needs the release build of the library (for the C side) and the package
installed in the venv:

    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release
    cmake --build build/release -j --target quodra
    .venv/bin/python python/bench/divide_many.py [--build build/release] [--samples 1000000]
"""
import argparse
import subprocess
import tempfile
import time
from pathlib import Path

import numpy as np

import quodra

ROOT = Path(__file__).resolve().parents[2]

# name, algorithm, divisor width, dividend width, signed, output, fractional width
CONFIGURATIONS = [
    ("remainder, signed 16/16", 1, 16, 16, True, "remainder", 16),
    ("remainder, signed 32/32", 1, 32, 32, True, "remainder", 16),
    ("remainder, signed 64/64", 1, 64, 64, True, "remainder", 16),
    ("remainder, unsigned 63/63", 1, 63, 63, False, "remainder", 16),
    ("Radix-2 fractional, signed 16/16/16", 1, 16, 16, True, "fractional", 16),
    ("High Radix, 16/16/16", 3, 16, 16, True, "fractional", 16),
]


def random_field(generator, count, width, signed):
    """Uniform values of the field; never zero (a divisor)."""
    if signed:
        low, high = -(1 << (width - 1)), (1 << (width - 1)) - 1
    else:
        low, high = 0, (1 << width) - 1
    values = generator.integers(low, high, size=count, dtype=np.int64, endpoint=True)
    values[values == 0] = 1
    return values


def numpy_division(dividends, divisors, output, f):
    """The same truncated quotient (and remainder) in numpy."""
    if output == "remainder":
        remainder = np.fmod(dividends, divisors)
        return (dividends - remainder) // divisors, remainder
    scaled = dividends << f
    return (scaled - np.fmod(scaled, divisors)) // divisors


def compile_timer(build, workdir):
    binary = Path(workdir) / "data_do_timing"
    subprocess.run(["c++", "-std=c++17", "-O2", "-I", str(ROOT / "include"),
                    str(ROOT / "python" / "bench" / "data_do_timing.cpp"),
                    "-L", str(build), "-Wl,-rpath," + str(build), "-lquodra", "-lgmp",
                    "-o", str(binary)], check=True)
    return binary


def best_of(repeats, call):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        best = min(best, time.perf_counter() - start)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "release"),
                        help="CMake build directory holding libquodra.so")
    parser.add_argument("--samples", type=int, default=1_000_000)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    generator = np.random.default_rng(12345)
    print("%-38s %10s %12s %7s %10s %9s" % ("configuration", "C data_do", "divide_many", "ratio",
                                           "numpy", "/ numpy"))
    with tempfile.TemporaryDirectory() as workdir:
        timer = compile_timer(Path(args.build).resolve(), workdir)
        samples_file = Path(workdir) / "samples.bin"
        for name, algorithm, a, b, signed, output, f in CONFIGURATIONS:
            dividends = random_field(generator, args.samples, b, signed)
            divisors = random_field(generator, args.samples, a, signed)
            np.concatenate([dividends, divisors]).tofile(samples_file)
            c_time = float(subprocess.run(
                [str(timer), str(samples_file), str(algorithm), str(a), str(b), str(int(signed)),
                 "0" if output == "remainder" else "1", str(f), str(args.repeats)],
                check=True, capture_output=True, text=True).stdout)
            divider = quodra.Divider(algorithm=algorithm, divisor_width=a, dividend_width=b,
                                     signed=signed, output=output, fractional_width=f)
            python_time = best_of(args.repeats, lambda: divider.divide_many(dividends, divisors))
            numpy_time = best_of(args.repeats, lambda: numpy_division(dividends, divisors, output, f))
            print("%-38s %8.1f ms %9.1f ms %6.2fx %7.1f ms %8.2fx" % (
                name, c_time * 1e3, python_time * 1e3, python_time / c_time, numpy_time * 1e3,
                python_time / numpy_time))


if __name__ == "__main__":
    main()
