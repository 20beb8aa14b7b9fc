"""The double-precision entry point with its warnings, and several threads
dividing with one Divider at once."""
import re
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
    bad = quodra.Divider(dividend_width=-1, name="bad")
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
    assert set(errors) == {"bad ERROR: Dividend width must not be negative for signed remainder "
                           "output"} and len(errors) == 200


@pytest.mark.parametrize("dividends, divisors, error, text", [
    # 1e9 / 3 in 16-bit fields: divide() refuses 10**9, so must divide_real.
    ([1e9], [3.0], quodra.OperandError, "dividends[0] = 1000000000.0 does not fit"),
    ([7.0, -32768.9], [2.0, 1.0], None, None),              # truncates to -32768: fits
    ([7.0, -32769.0], [2.0, 1.0], quodra.OperandError, "dividends[1] = -32769.0"),
    ([7.0], [32768.0], quodra.OperandError, "divisors[0] = 32768.0"),
    (["7"], [2.0], TypeError, "must hold numbers"),
    ([True], [2.0], TypeError, "must hold numbers"),
    ([None], [2.0], TypeError, "dividends[0] must be a number, not NoneType"),
    ([7.0], ["2"], TypeError, "must hold numbers"),
])
def test_real_division_checks_operands_as_divide_does(dividends, divisors, error, text):
    divider = quodra.Divider(divisor_width=16, dividend_width=16)
    if error is None:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            divider.divide_real(dividends, divisors)
        return
    with pytest.raises(error, match=re.escape(text)):
        divider.divide_real(dividends, divisors)


def test_real_division_decides_wide_bounds_exactly():
    # 2**63 - 1 rounds to 2**63 as a double: 2**63 itself must still be refused.
    divider = quodra.Divider(divisor_width=64, dividend_width=64)
    with pytest.raises(quodra.OperandError, match="dividends"):
        divider.divide_real([2.0 ** 63], [3.0])
    result = divider.divide_real([-(2.0 ** 63)], [-1.0])
    assert result.div_by_zero.tolist() == [False]
