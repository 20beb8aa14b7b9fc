"""Remainder mode against Python's own integer arithmetic, at widths from 1
to 300 bits, one sample at a time and in batches (the numpy fast path for
fields up to 64 bits, Python ints above)."""
import numpy as np
import pytest
from hypothesis import given, strategies as st

import quodra
from reference import field_bounds, remainder_mode


@st.composite
def configurations_and_operands(draw, max_width=300, samples=1):
    signed = draw(st.booleans())
    divisor_width = draw(st.integers(1, max_width))
    dividend_width = draw(st.integers(1, max_width))
    algorithm = draw(st.sampled_from(["radix2", "lutmult", 1, 4]))
    dividends = draw(st.lists(st.integers(*field_bounds(dividend_width, signed)),
                              min_size=samples, max_size=samples))
    divisors = draw(st.lists(st.integers(*field_bounds(divisor_width, signed)),
                             min_size=samples, max_size=samples))
    divider = quodra.Divider(algorithm=algorithm, divisor_width=divisor_width,
                             dividend_width=dividend_width, signed=signed, output="remainder")
    return divider, dividends, divisors


def expected(divider, dividend, divisor):
    return remainder_mode(dividend, divisor, divider.signed, divider.dividend_width,
                          divider.divisor_width)


@given(configurations_and_operands())
def test_one_sample_matches_integer_arithmetic(case):
    divider, (dividend,), (divisor,) = case
    result = divider.divide(dividend, divisor)
    assert (result.quotient, result.remainder, result.div_by_zero) == expected(divider, dividend, divisor)


@given(configurations_and_operands())
def test_signed_reading_is_the_truncating_quotient(case):
    divider, (dividend,), (divisor,) = case
    result = divider.divide(dividend, divisor)
    if divisor == 0:
        return
    magnitude = abs(dividend) // abs(divisor)
    quotient = -magnitude if (dividend < 0) != (divisor < 0) else magnitude
    wraps = divider.signed and quotient == 1 << (divider.dividend_width - 1)  # min / -1
    if not wraps:
        assert result.signed_quotient == quotient
    assert result.signed_remainder == dividend - quotient * divisor


@given(configurations_and_operands(samples=12))
def test_batch_matches_integer_arithmetic(case):
    divider, dividends, divisors = case
    batch = divider.divide_many(dividends, divisors)
    got = list(zip(batch.quotient.tolist(), batch.remainder.tolist(), batch.div_by_zero.tolist()))
    assert got == [expected(divider, n, d) for n, d in zip(dividends, divisors)]


@given(configurations_and_operands(max_width=64, samples=12))
def test_numpy_batch_agrees_with_single_samples(case):
    divider, dividends, divisors = case
    dtype = np.int64 if divider.signed or max(divider.divisor_width, divider.dividend_width) < 64 \
        else np.uint64
    for reading in ("raw", "signed"):
        batch = divider.divide_many(np.array(dividends, dtype=dtype), np.array(divisors, dtype=dtype),
                                    reading=reading)
        assert batch.quotient.dtype != object
        singles = [divider.divide(n, d) for n, d in zip(dividends, divisors)]
        if reading == "raw":
            want = [(r.quotient, r.remainder) for r in singles]
        else:
            want = [(r.signed_quotient, r.signed_remainder) for r in singles]
        assert list(zip(batch.quotient.tolist(), batch.remainder.tolist())) == want


@pytest.mark.parametrize("dividend, divisor, quotient, remainder, flag", [
    (100, 7, 14, 2, False),
    (-7, 2, 253, 255, False),
    (7, -2, 253, 1, False),
    (-7, -2, 3, 255, False),
    (-6, 3, 254, 0, False),
    (-128, -1, 128, 0, False),
    (5, 0, 0, 0, True),
    (-5, 0, 0, 0, True),
])
def test_signed_8_bit_table(dividend, divisor, quotient, remainder, flag):
    result = quodra.Divider(divisor_width=8, dividend_width=8).divide(dividend, divisor)
    assert (result.quotient, result.remainder, result.div_by_zero) == (quotient, remainder, flag)


def test_unsigned_64_bit_is_exact():
    # Through doubles this came back as 384307168202282304 remainder 1.
    divider = quodra.Divider(divisor_width=64, dividend_width=64, signed=False)
    result = divider.divide(2**60 + 1, 3)
    assert (result.quotient, result.remainder) == (384307168202282325, 2)
    batch = divider.divide_many(np.array([2**64 - 1], dtype=np.uint64), np.array([1], dtype=np.uint64))
    assert batch.quotient.dtype == np.uint64 and int(batch.quotient[0]) == 2**64 - 1


def test_long_batch_matches_numpy_arithmetic():
    # Long enough to reach the library in several calls.
    generator = np.random.default_rng(3)
    dividends = generator.integers(-(2**31), 2**31, size=200_003)
    divisors = generator.integers(-(2**15), 2**15, size=200_003)
    divisors[::1000] = 0
    batch = quodra.Divider(divisor_width=16, dividend_width=32).divide_many(dividends, divisors,
                                                                           reading="signed")
    safe = np.where(divisors == 0, 1, divisors)
    quotient = np.abs(dividends) // np.abs(safe) * np.where((dividends < 0) != (safe < 0), -1, 1)
    quotient[divisors == 0] = 0
    remainder = np.where(divisors == 0, 0, dividends - quotient * safe)
    assert np.array_equal(batch.quotient, quotient)
    assert np.array_equal(batch.remainder, remainder)
    assert np.array_equal(batch.div_by_zero, divisors == 0)


@pytest.mark.parametrize("dividend, divisor, quotient, remainder", [
    (2**64 - 2, 2, 2**63 - 1, 0),
    (2**63, 3, 3074457345618258602, 2),
    (2**64 - 1, 2**63, 1, 2**63 - 1),
    (2**64 - 1, 2**32 + 1, 2**32 - 1, 0),
    (2**63 + 7, 2**63 + 8, 0, 2**63 + 7),
])
def test_unsigned_64_bit_dividends_past_2_63(dividend, divisor, quotient, remainder):
    divider = quodra.Divider(divisor_width=64, dividend_width=64, signed=False)
    result = divider.divide(dividend, divisor)
    assert (result.quotient, result.remainder, result.div_by_zero) == (quotient, remainder, False)
    for dividends, divisors in (([dividend], [divisor]),
                                (np.array([dividend], np.uint64), np.array([divisor], np.uint64))):
        batch = divider.divide_many(dividends, divisors)
        assert batch.quotient.dtype == np.uint64
        assert (int(batch.quotient[0]), int(batch.remainder[0])) == (quotient, remainder)


def test_long_batch_of_wide_python_ints_matches_the_reference():
    # Three slices of 100-bit by 70-bit samples, every element checked.
    generator = np.random.default_rng(11)
    count = 2 * 65536 + 1001
    halves = generator.integers(0, 2**50, size=(2, count)).tolist()
    dividends = [(high << 50 | low) - 2**99 for high, low in zip(*halves)]
    divisors = [(high << 20 | low % 2**20) - 2**69 for high, low in zip(*halves)]
    divisors[::997] = [0] * len(divisors[::997])
    divisors[65536] = -(2**69)
    dividends[65536] = -(2**99)
    batch = quodra.Divider(divisor_width=70, dividend_width=100).divide_many(dividends, divisors)
    assert batch.quotient.dtype == object
    got = list(zip(batch.quotient.tolist(), batch.remainder.tolist(), batch.div_by_zero.tolist()))
    assert got == [remainder_mode(n, d, True, 100, 70) for n, d in zip(dividends, divisors)]
