#!/usr/bin/env python3
"""Divider.divide of one sample against the floor of a call into the
compiled module that takes two ints and returns them (quodra._quodra._echo2,
a benchmark-only entry), timed in the same run on the same operands, taking
turns. A measurement, not a test: it prints the best of several turns of
each, in ns a call, and the ratio to the floor, as a Markdown table; the
exact GNU MP path (Divider._divide_exact, which any other sample takes) is
timed beside them.

    .venv/bin/python python/bench/divide_one.py [--calls 200000] [--repeat 7]
"""
import argparse
import time
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
    ("remainder, signed 65/65 (out of the word batch's reach)",
     dict(divisor_width=65, dividend_width=65), -1000003, 7),
]


def best_ns(calls_to_time, dividend, divisor, calls, repeat):
    """The best time of each callable, in ns a call; the callables take
    turns, so a burst of load on a shared machine spoils one turn of each
    rather than every turn of one."""
    # The thread's CPU time: on a shared machine the time it waits for a
    # core is not the call's cost.
    timers = [timeit.Timer("call(n, d)", timer=time.thread_time,
                           globals={"call": call, "n": dividend, "d": divisor})
              for call in calls_to_time]
    best = [float("inf")] * len(timers)
    for _ in range(repeat):
        for i, timer in enumerate(timers):
            best[i] = min(best[i], timer.timeit(number=calls))
    return [seconds / calls * 1e9 for seconds in best]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--calls", type=int, default=200000)
    parser.add_argument("--repeat", type=int, default=7)
    args = parser.parse_args()
    print("| configuration | floor `_echo2` | `Divider.divide` | / floor | exact path | / floor |")
    print("|---|---|---|---|---|---|")
    for name, keywords, dividend, divisor in CASES:
        divider = quodra.Divider(**keywords)
        # The exact path is what every sample took before the fast path.
        floor, divide, exact = best_ns([_quodra._echo2, divider.divide, divider._divide_exact],
                                       dividend, divisor, args.calls, args.repeat)
        print("| %s | %.0f ns | %.0f ns | %.2f | %.0f ns | %.1f |"
              % (name, floor, divide, divide / floor, exact, exact / floor))


if __name__ == "__main__":
    main()
