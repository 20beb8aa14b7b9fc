"""Wide values survive the trip into the library and back, exactly; the
64-bit boundaries of the fast conversions are crossed both ways."""
import numpy as np
import pytest

import quodra

WIDE = [2**255, -(2**255), 2**299 - 1, -(2**299), 3**180, -(3**180), 2**64, -(2**64) - 1,
        2**63, -(2**63), 2**63 - 1, -(2**63) + 1, 0, 1, -1]


@pytest.mark.parametrize("value", WIDE)
def test_wide_value_divided_by_one_comes_back(value):
    divider = quodra.Divider(divisor_width=8, dividend_width=301)
    result = divider.divide(value, 1)
    assert result.signed_quotient == value
    assert result.quotient == (value if value >= 0 else value + 2**301)
    assert result.remainder == 0


def test_wide_values_round_trip_in_batches():
    divider = quodra.Divider(divisor_width=301, dividend_width=301)
    batch = divider.divide_many(WIDE, WIDE[::-1], reading="signed")
    assert batch.quotient.dtype == object
    for n, d, q, r in zip(WIDE, WIDE[::-1], batch.quotient, batch.remainder):
        if d:
            assert (type(q), type(r)) == (int, int)
            assert q * d + r == n and abs(r) < abs(d)
    unsigned = quodra.Divider(divisor_width=300, dividend_width=300, signed=False)
    big = [v for v in WIDE if 0 <= v < 2**300]
    assert unsigned.divide_many(big, [1] * len(big)).quotient.tolist() == big


@pytest.mark.parametrize("settings, reading, quotient_dtype, remainder_dtype", [
    (dict(divisor_width=63, dividend_width=63), "raw", np.int64, np.int64),
    (dict(divisor_width=64, dividend_width=64), "raw", np.uint64, np.uint64),
    (dict(divisor_width=64, dividend_width=64), "signed", np.int64, np.int64),
    (dict(divisor_width=65, dividend_width=8), "raw", np.int64, object),
    (dict(dividend_width=40, fractional_width=24, output="fractional"), "raw", np.uint64, None),
    (dict(dividend_width=40, fractional_width=25, output="fractional"), "raw", object, None),
    (dict(algorithm="high_radix", dividend_width=40, fractional_width=23, output="fractional"),
     "raw", np.int64, None),
    (dict(algorithm="high_radix", dividend_width=40, fractional_width=24, output="fractional"),
     "raw", object, None),
])
def test_result_types_follow_the_field_widths(settings, reading, quotient_dtype, remainder_dtype):
    batch = quodra.Divider(**settings).divide_many(np.arange(1, 5), np.arange(1, 5), reading=reading)
    assert batch.quotient.dtype == quotient_dtype
    assert (batch.remainder is None) if remainder_dtype is None else batch.remainder.dtype == remainder_dtype
    assert batch.div_by_zero.dtype == bool


def test_batches_keep_shape_and_broadcast():
    divider = quodra.Divider(divisor_width=8, dividend_width=8)
    dividends = np.array([[100, -7], [7, -128]], dtype=np.int16)
    batch = divider.divide_many(dividends, 7, reading="signed")
    assert batch.quotient.shape == (2, 2)
    assert batch.quotient.tolist() == [[14, -1], [1, -18]]
    assert batch.remainder.tolist() == [[2, 0], [0, -2]]
    empty = divider.divide_many([], [])
    assert empty.quotient.shape == (0,) and empty.div_by_zero.shape == (0,)


def test_version_texts():
    assert quodra.library_version == "5.1"
    assert quodra.__version__.startswith("5.1")
