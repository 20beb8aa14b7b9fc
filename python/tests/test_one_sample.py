"""Divider.divide's machine-word fast path against its exact path: the same
Result for every sample, at the int64 and uint64 edges and around the field
widths 63, 64 and 65, where the fast path must hand a sample it cannot take
to the exact path rather than answer it wrongly."""
import itertools

import pytest

import quodra

INT64_EDGES = [0, 1, -1, 2, -2, 7, -7, (1 << 31) - 1, -(1 << 31), (1 << 32) + 3, (1 << 62),
               (1 << 63) - 1, -(1 << 63), -(1 << 63) + 1, 1 << 63, (1 << 64) - 1, 1 << 64,
               -(1 << 63) - 1, (1 << 65) - 1, -(1 << 64)]

CONFIGURATIONS = [
    dict(algorithm=algorithm, divisor_width=a, dividend_width=b, signed=signed)
    for algorithm in ("radix2", "lutmult") for a, b in [(63, 63), (64, 64), (65, 65), (64, 63), (32, 65)]
    for signed in (True, False)
] + [
    dict(algorithm="radix2", divisor_width=w, dividend_width=w, signed=s, output="fractional",
         fractional_width=f) for w, f in [(32, 31), (48, 16), (63, 1)] for s in (True, False)
] + [
    dict(algorithm="high_radix", divisor_width=w, dividend_width=w, signed=True, output="fractional",
         fractional_width=f) for w, f in [(16, 16), (40, 22), (64, 8)]
]


def outcome(call, dividend, divisor):
    """A Result with its signed readings, or the error's type and text."""
    try:
        result = call(dividend, divisor)
    except Exception as error:  # the two paths must raise alike
        return type(error), str(error)
    return result, result.signed_quotient, result.signed_remainder


@pytest.mark.parametrize("config", CONFIGURATIONS, ids=lambda c: "-".join(map(str, c.values())))
def test_fast_path_gives_the_exact_path_result(config):
    divider = quodra.Divider(**config)
    for dividend, divisor in itertools.product(INT64_EDGES, repeat=2):
        assert outcome(divider.divide, dividend, divisor) == \
            outcome(divider._divide_exact, dividend, divisor), (dividend, divisor)


def test_operands_the_fast_path_leaves_to_the_exact_path():
    divider = quodra.Divider(divisor_width=16, dividend_width=16)
    # A bool, a float and an out-of-field value keep the exact path's errors.
    for dividend, divisor, error in [(True, 3, TypeError), (7.0, 3, TypeError),
                                     (1 << 15, 3, quodra.OperandError)]:
        with pytest.raises(error):
            divider.divide(dividend, divisor)
    # An int subclass is divided as its value.
    assert divider.divide(type("Big", (int,), {})(-100), 7) == divider.divide(-100, 7)
