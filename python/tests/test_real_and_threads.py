"""The double-precision entry point with its warnings, and several threads
dividing with one Divider at once."""
import threading
import warnings

import numpy as np
import pytest

import quodra


def test_real_division_warns_for_each_truncation():
    divider = quodra.Divider(divisor_width=8, dividend_width=8, name="bench")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = divider.divide_real([-7.0, 100.0, 5.5], [2.0, 7.0, 2.5])
    assert result.quotient.tolist() == [253.0, 14.0, 2.0]
    assert result.remainder.tolist() == [255.0, 2.0, 1.0]
    assert [(w.category, str(w.message)) for w in caught] == [
        (quodra.LibraryWarning, "bench WARNING: Truncating non-integer divisor input"),
        (quodra.LibraryWarning, "bench WARNING: Truncating non-integer dividend input"),
    ]


def test_real_division_in_fractional_mode():
    divider = quodra.Divider(output="fractional", signed=False, dividend_width=8, fractional_width=4)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        result = divider.divide_real([7.0, 1.0, 5.0], [2.0, 3.0, 0.0])
    assert result.remainder is None
    assert result.quotient.tolist() == [3.5, 0.3125, 255.9375]
    assert result.div_by_zero.tolist() == [False, False, True]


def test_one_divider_on_several_threads():
    divider = quodra.Divider(divisor_width=48, dividend_width=48)
    generator = np.random.default_rng(7)
    dividends = generator.integers(-(2**47), 2**47, size=20000)
    divisors = generator.integers(-(2**47), 2**47, size=20000)
    expected = divider.divide_many(dividends, divisors, reading="signed")
    failures = []

    def work():
        for _ in range(5):
            got = divider.divide_many(dividends, divisors, reading="signed")
            if not (np.array_equal(got.quotient, expected.quotient)
                    and np.array_equal(got.remainder, expected.remainder)):
                failures.append("batch differs")
            if divider.divide(int(dividends[3]), int(divisors[3])).signed_quotient != expected.quotient[3]:
                failures.append("sample differs")

    threads = [threading.Thread(target=work) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []
    truncated = np.abs(dividends) // np.abs(divisors) * np.where((dividends < 0) != (divisors < 0), -1, 1)
    assert np.array_equal(expected.quotient, truncated)


def test_library_messages_are_not_shared_between_threads():
    good = quodra.Divider(name="good")
    bad = quodra.Divider(algorithm=2, output="fractional", name="bad")
    errors = []

    def refuse():
        for _ in range(200):
            try:
                bad.divide_many([1], [1])
            except quodra.DivisionError as error:
                errors.append(str(error))

    thread = threading.Thread(target=refuse)
    thread.start()
    for _ in range(200):
        assert good.divide_many([9], [2]).quotient.tolist() == [4]
    thread.join()
    assert set(errors) == {"bad ERROR: Unknown algorithm_type."} and len(errors) == 200
