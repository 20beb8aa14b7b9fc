"""Batches reach the library in slices of 65536 samples: divide_real's
temporary integers stay a slice long, its warnings and refusals are those
of one call over the whole batch, and Ctrl-C ends any batch at the next
slice."""
import _thread
import sys
import threading
import warnings

import numpy as np
import pytest

import quodra
from bounded_memory import linux_only, run_with_headroom
from reference import remainder_mode

SLICE = 1 << 16


@linux_only
def test_real_batch_memory_stays_a_slice_long():
    # A million samples hold 40 MB of operands and results; one unsliced
    # call adds some 180 bytes a sample of temporary integers.
    out = run_with_headroom("""
        values = np.arange(N, dtype=np.float64)
        result = quodra.Divider(divisor_width=32, dividend_width=32).divide_real(values, 7.0)
        print(np.array_equal(result.quotient, values // 7), np.array_equal(result.remainder, values % 7))
    """, headroom_mb=100, N=1_000_000)
    assert out.split() == ["True", "True"]


def _exact_double(pattern):
    return _as_double(pattern) == pattern


def _as_double(pattern):
    """A non-negative integer as the library converts it: truncated to a
    double's 53 significant bits."""
    shift = max(pattern.bit_length() - 53, 0)
    return float(pattern >> shift << shift)


def test_real_batch_warnings_are_those_of_one_call():
    # One call warns phase by phase: divisors, dividends, quotients,
    # remainders. Here each slice truncates in one phase only, in the
    # reverse order. A negative result is a 64-bit pattern no double holds.
    dividends = np.full(4 * SLICE, 12.0)
    divisors = np.full(4 * SLICE, 5.0)
    dividends[3:7], divisors[3:7] = -1.0, -2.0                    # remainder -1, quotient 0
    dividends[SLICE:SLICE + 5], divisors[SLICE:SLICE + 5] = 7.0, -2.0  # quotient -3, remainder 1
    dividends[2 * SLICE + 10:2 * SLICE + 13] = 9.5
    divisors[3 * SLICE + 1:3 * SLICE + 3] = 2.5
    divider = quodra.Divider(divisor_width=64, dividend_width=64, name="bench")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = divider.divide_real(dividends, divisors)

    expected = [remainder_mode(int(n), int(d), True, 64, 64) for n, d in zip(dividends, divisors)]
    assert result.quotient.tolist() == [_as_double(q) for q, _, _ in expected]
    assert result.remainder.tolist() == [_as_double(r) for _, r, _ in expected]
    counts = [int(np.sum(np.trunc(divisors) != divisors)), int(np.sum(np.trunc(dividends) != dividends)),
              sum(not _exact_double(q) for q, _, _ in expected),
              sum(not _exact_double(r) for _, r, _ in expected)]
    assert counts == [2, 3, 5, 4]
    texts = ["Truncating non-integer divisor input", "Truncating non-integer dividend input",
             "Quotient truncated to fit double precision", "Remainder truncated to fit double precision"]
    assert [str(w.message) for w in caught] == [
        "bench WARNING: " + text for text, count in zip(texts, counts) for _ in range(count)]


@pytest.mark.parametrize("settings, message", [
    (dict(), "Non-finite divisor input cannot be converted to an integer"),
    # One call refuses the infinity before it looks at the widths.
    (dict(output="fractional", fractional_width=-1),
     "Non-finite divisor input cannot be converted to an integer"),
])
def test_a_non_finite_operand_in_a_later_slice_is_refused_as_one_call_refuses_it(settings, message):
    dividends = np.full(3 * SLICE, 12.5)   # warnings in every slice, none given
    dividends[5] = np.nan                   # a dividend in slice 0 ...
    divisors = np.full(3 * SLICE, 5.0)
    divisors[2 * SLICE + 1] = np.inf        # ... and a divisor, checked first, in slice 2
    divider = quodra.Divider(divisor_width=32, dividend_width=32, **settings)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        with pytest.raises(quodra.DivisionError) as raised:
            divider.divide_real(dividends, divisors)
    assert str(raised.value) == "Default configuration ERROR: " + message
    assert caught == []


def _native_call(core, count):
    values = np.full(count, 7, dtype=np.int64)
    quotient, remainder = np.zeros(count, np.int64), np.zeros(count, np.int64)
    flags = np.zeros(count, np.uint32)
    return lambda: core.divide_native(values, values, quotient, remainder, flags)


def _real_call(core, count):
    values = np.full(count, 7.0)
    return lambda: core.divide_real(values, values)


@pytest.mark.parametrize("make_call", [_native_call, _real_call], ids=["divide_native", "divide_real"])
def test_ctrl_c_ends_a_batch_inside_the_library_call(make_call):
    # The helper thread can run only once the batch has released the GIL (the
    # switch interval keeps it waiting until then); it interrupts the main
    # thread, and the call itself must raise, not return and leave the
    # interrupt to the next Python line.
    call = make_call(quodra.Divider(divisor_width=32, dividend_width=32)._core, 64 * SLICE)
    started = threading.Event()
    helper = threading.Thread(target=lambda: (started.wait(), _thread.interrupt_main()))
    helper.start()
    events = []

    def profile(frame, event, function):
        if event.startswith("c_") and getattr(function, "__name__", "").startswith("divide_"):
            events.append(event)

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000.0)
    try:
        started.set()
        sys.setprofile(profile)
        with pytest.raises(KeyboardInterrupt):
            call()
    finally:
        sys.setprofile(None)
        sys.setswitchinterval(interval)
        helper.join()
    assert events == ["c_call", "c_exception"]
