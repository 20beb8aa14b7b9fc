"""Radix-2 and High Radix fractional quotients against their arithmetic
laws: unsigned Radix-2 is floor(N * 2^F / D); signed Radix-2 is the
truncated quotient split into an integer field and a fraction field with one
bit less; High Radix is within one of N * 2^C / D rounded."""
from fractions import Fraction

import numpy as np
from hypothesis import assume, given, strategies as st

import quodra
from reference import field_bounds, in_field


@st.composite
def radix2_case(draw, signed):
    w = draw(st.integers(1, 100))
    f = draw(st.integers(0, 100))
    a = draw(st.integers(1, 100))
    n = draw(st.integers(*field_bounds(w, signed)))
    d = draw(st.integers(*field_bounds(a, signed)))
    divider = quodra.Divider(algorithm="radix2", output="fractional", signed=signed,
                             divisor_width=a, dividend_width=w, fractional_width=f)
    return divider, n, d


@given(radix2_case(signed=False))
def test_unsigned_radix2_is_the_floor_of_the_scaled_quotient(case):
    divider, n, d = case
    w, f = divider.dividend_width, divider.fractional_width
    result = divider.divide(n, d)
    assert result.remainder is None
    assert result.div_by_zero == (d == 0)
    assert result.quotient == (n << f) // d if d else result.quotient == (1 << (w + f)) - 1


@given(radix2_case(signed=True))
def test_signed_radix2_splits_the_truncated_quotient(case):
    divider, n, d = case
    assume(d != 0)
    w, f = divider.dividend_width, divider.fractional_width
    scaled = (abs(n) << f) // abs(d)
    integer, fraction = scaled >> f, (scaled & ((1 << f) - 1)) >> 1
    if (n < 0) != (d < 0):
        integer, fraction = -integer, -fraction
    result = divider.divide(n, d)
    assert result.quotient == (in_field(integer, w) << f) + (in_field(fraction, f) if f else 0)
    if integer != 1 << (w - 1):  # not the one quotient that wraps (min / -1)
        assert result.signed_quotient == (integer << f) + 2 * fraction


@st.composite
def high_radix_case(draw):
    a, b, c = draw(st.integers(1, 80)), draw(st.integers(1, 80)), draw(st.integers(0, 60))
    n = draw(st.integers(*field_bounds(b, True)))
    d = draw(st.integers(*field_bounds(a, True)).filter(lambda v: v != 0))
    divider = quodra.Divider(algorithm="high_radix", output="fractional", divisor_width=a,
                             dividend_width=b, fractional_width=c)
    return divider, n, d


@given(high_radix_case())
def test_high_radix_is_within_one_of_the_rounded_quotient(case):
    divider, n, d = case
    exact = Fraction(n << divider.fractional_width, d)
    result = divider.divide(n, d)
    assert abs(result.quotient - round(exact)) <= 1
    assert result.signed_quotient == result.quotient  # written as a signed integer already


def test_high_radix_zero_divisor_has_no_quotient():
    divider = quodra.Divider(algorithm=3, output="fractional", divisor_width=8, dividend_width=8,
                             fractional_width=4)
    assert divider.divide(5, 0).quotient is None
    batch = divider.divide_many([100, 5, -100], [7, 0, 7])
    assert batch.quotient.tolist() == [229, 0, -229]
    assert batch.div_by_zero.tolist() == [False, True, False]


@given(st.lists(st.tuples(st.integers(-128, 127), st.integers(-128, 127)), min_size=1, max_size=20),
       st.sampled_from(["radix2", "high_radix"]))
def test_fractional_batches_agree_with_single_samples(pairs, algorithm):
    divider = quodra.Divider(algorithm=algorithm, output="fractional", divisor_width=8,
                             dividend_width=8, fractional_width=4)
    dividends = np.array([n for n, _ in pairs], dtype=np.int64)
    divisors = np.array([d for _, d in pairs], dtype=np.int64)
    for reading in ("raw", "signed"):
        batch = divider.divide_many(dividends, divisors, reading=reading)
        for i, (n, d) in enumerate(pairs):
            single = divider.divide(int(n), int(d))
            want = single.quotient if reading == "raw" else single.signed_quotient
            assert batch.quotient[i] == (0 if want is None else want)
