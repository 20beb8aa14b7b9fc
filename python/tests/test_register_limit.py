"""Fields of any width the configuration accepts cost nothing in proportion
to the width until the library divides: a width past the library's register
limit gets the library's refusal at once, and an unsigned remainder-mode
field (which the limit does not bound) divides small operands as cheaply as
a narrow one."""
import numpy as np
import pytest

import quodra
from bounded_memory import linux_only, run_with_headroom
from reference import field_bounds

WIDE = 2**31 - 1  # 256 MB a bound, were the bounds built


@linux_only
def test_widths_near_2_31_are_judged_without_building_their_bounds():
    out = run_with_headroom("""
        def attempt(call):
            try:
                result = call()
            except quodra.Error as error:
                return "%s: %s" % (type(error).__name__, error)
            return repr([v.tolist() if hasattr(v, "tolist") else v for v in result])

        for signed in (True, False):
            d = quodra.Divider(divisor_width=WIDE, dividend_width=WIDE, signed=signed)
            print(attempt(lambda: (d.divide(7, 2).quotient, d.divide(7, 2).remainder)))
            print(attempt(lambda: d.divide_many([7, 9], [2, 4])))
            print(attempt(lambda: d.divide_many(np.array([7, 9]), np.array([2, 4]))))
            print(attempt(lambda: d.divide_real([7.0], [2.0])))
        print(attempt(lambda: d.divide(-1, 2)))
    """, headroom_mb=64, WIDE=WIDE)
    refusal = "DivisionError: Default configuration ERROR: Dividend width exceeds the limit of 1048576 bits"
    assert out.splitlines() == [refusal] * 4 + [
        "[3, 1]", "[[3, 2], [1, 1], [False, False]]", "[[3, 2], [1, 1], [False, False]]",
        "[[3.0], [1.0], [False]]",
        "OperandError: dividend -1 does not fit the %d-bit unsigned field [0, 2**%d - 1]" % (WIDE, WIDE),
    ]


@pytest.mark.parametrize("width", [1, 2, 8, 63, 64, 65, 130])
@pytest.mark.parametrize("signed", [True, False])
def test_operands_at_the_field_edges_are_judged_as_the_bounds_say(width, signed):
    low, high = field_bounds(width, signed)
    divider = quodra.Divider(divisor_width=8, dividend_width=width, signed=signed)
    for value in (low - 1, low, high, high + 1, -1, 0):
        fits = low <= value <= high
        calls = [lambda: divider.divide(value, 1), lambda: divider.divide_many([0, value], [1, 1])]
        if -(2**63) <= value < 2**64:
            dtype = "uint64" if value >= 2**63 else "int64"
            calls.append(lambda: divider.divide_many(np.array([0, value], dtype), np.ones(2, dtype)))
        for call in calls:
            if fits:
                call()
            else:
                with pytest.raises(quodra.OperandError):
                    call()


def test_real_operands_in_fields_wider_than_the_double_range():
    # Every finite double fits a signed field of 1100 bits; an unsigned one
    # still refuses a negative value.
    signed = quodra.Divider(divisor_width=1100, dividend_width=1100)
    assert signed.divide_real([-1.5e308], [-1.0]).quotient.tolist() == [1.5e308]
    unsigned = quodra.Divider(divisor_width=1100, dividend_width=1100, signed=False)
    assert unsigned.divide_real([6.0], [3.0]).quotient.tolist() == [2.0]
    with pytest.raises(quodra.OperandError, match=r"dividends\[0\] = -1.0"):
        unsigned.divide_real([-1.0], [3.0])
