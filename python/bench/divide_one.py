#!/usr/bin/env python3
"""Divider.divide of one sample against the floor of a call into the
compiled module that takes two ints and returns them (quodra._quodra._echo2,
a benchmark-only entry), timed in the same run on the same operands. A
measurement, not a test: it prints the best of several repeats of each, in
ns a call, and the ratio to the floor.

    .venv/bin/python python/bench/divide_one.py [--calls 200000] [--repeat 7]
"""
import argparse
import timeit

import quodra
from quodra import _quodra

# name, Divider keywords, dividend, divisor
CASES = [
    ("remainder, signed 32/32", dict(divisor_width=32, dividend_width=32), -1000003, 7),
    ("remainder, unsigned 64/64", dict(divisor_width=64, dividend_width=64, signed=False),
     (1 << 62) + 12345, 1000),
    ("Radix-2 fractional, signed 16/16/16",
     dict(divisor_width=16, dividend_width=16, output="fractional", fractional_width=16), -1000, 7),
    ("High Radix, 16/16/16", dict(algorithm="high_radix", divisor_width=16, dividend_width=16,
                                  output="fractional", fractional_width=16), -1000, 7),
    ("remainder, signed 65/65 (exact path)", dict(divisor_width=65, dividend_width=65), -1000003, 7),
]


def best_ns(call, dividend, divisor, calls, repeat):
    timer = timeit.Timer("call(n, d)", globals={"call": call, "n": dividend, "d": divisor})
    return min(timer.repeat(repeat=repeat, number=calls)) / calls * 1e9


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--calls", type=int, default=200000)
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()
    print("| configuration | floor `_echo2` | `Divider.divide` | / floor |")
    print("|---|---|---|---|")
    for name, keywords, dividend, divisor in CASES:
        divider = quodra.Divider(**keywords)
        floor = best_ns(_quodra._echo2, dividend, divisor, args.calls, args.repeat)
        divide = best_ns(divider.divide, dividend, divisor, args.calls, args.repeat)
        print("| %s | %.0f ns | %.0f ns | %.2f |" % (name, floor, divide, divide / floor))


if __name__ == "__main__":
    main()
