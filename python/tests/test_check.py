"""quodra.check: the corner bins a vector set reached and the class of each
way a design can be broken, with every expectation worked out here."""
import numpy as np
import pytest

import quodra


def every_pair(width):
    values = np.arange(-(1 << (width - 1)), 1 << (width - 1))
    return np.repeat(values, len(values)), np.tile(values, len(values))


def test_a_correct_exhaustive_set_reaches_every_bin_with_its_count():
    divider = quodra.Divider(divisor_width=4, dividend_width=4)
    n, d = every_pair(4)
    model = divider.divide_many(n, d)
    report = quodra.check(divider, n, d, model.quotient, model.remainder, model.div_by_zero)
    assert report.all_agree and report.rows == 256 and report.every_required_bin_reached
    zero_quotient = sum(1 for a, b in zip(n, d) if b != 0 and abs(a) < abs(b))
    expected = {
        "dividend >= 0, divisor > 0": 8 * 7, "dividend >= 0, divisor < 0": 8 * 8,
        "dividend < 0, divisor > 0": 8 * 7, "dividend < 0, divisor < 0": 8 * 8,
        "zero divisor": 16, "divisor 1": 16, "divisor -1": 16, "dividend at its minimum": 16,
        "dividend at its maximum": 16, "most negative dividend / -1": 1,
        "power-of-two divisor": 5 * 16,  # 2, 4, -2, -4, -8
        "|dividend| < |divisor| (zero quotient)": zero_quotient, "quotient wraps its field": 1,
    }
    assert {b.name: b.rows for b in report.bins} == expected
    assert report.classes == []
    assert str(report).endswith("0 of 256 rows differ\n")


def bump_quotient(model, divider):
    q = model.quotient.astype(object)
    changed = ~model.div_by_zero
    modulus = 1 << divider._fields.quotient_width()
    q[changed] = [(int(v) + 1) % modulus if not divider._fields.high_radix else int(v) + 1
                  for v in q[changed]]
    return q, model.remainder, int(changed.sum())


def swap_outputs(model, divider):
    q, r = model.quotient, model.remainder
    changed = q != r
    return np.where(changed, r, q), np.where(changed, q, r), int(changed.sum())


def flip_fraction_bit(model, divider):
    q = model.quotient.astype(object)
    changed = ~model.div_by_zero
    q[changed] = [int(v) ^ 2 for v in q[changed]]
    return q, None, int(changed.sum())


BROKEN = [
    ("remainder mode, quotient one too large", dict(divisor_width=6, dividend_width=6),
     bump_quotient, "quotient off by 1 in its last place"),
    ("remainder mode, outputs crossed", dict(divisor_width=6, dividend_width=6), swap_outputs,
     "quotient and remainder swapped"),
    ("Radix-2, register one too large",
     dict(divisor_width=6, dividend_width=6, output="fractional", fractional_width=4),
     bump_quotient, "quotient off by 1 in its last place"),
    ("Radix-2, fraction bit 1 flipped",
     dict(divisor_width=6, dividend_width=6, output="fractional", fractional_width=4),
     flip_fraction_bit, "fraction field wrong, integer part right"),
    ("High Radix, register one too large",
     dict(algorithm="high_radix", divisor_width=6, dividend_width=6, output="fractional",
          fractional_width=4), bump_quotient, "quotient off by 1 in its last place"),
    ("High Radix, fraction bit 1 flipped",
     dict(algorithm="high_radix", divisor_width=6, dividend_width=6, output="fractional",
          fractional_width=4), flip_fraction_bit, "fraction field wrong, integer part right"),
]


@pytest.mark.parametrize("fault, settings, breaks, expected", BROKEN, ids=[b[0] for b in BROKEN])
def test_each_broken_design_falls_in_its_class(fault, settings, breaks, expected):
    divider = quodra.Divider(**settings)
    n, d = every_pair(6)
    model = divider.divide_many(n, d)
    q, r, changed = breaks(model, divider)
    report = quodra.check(divider, n, d, q, r, model.div_by_zero)
    assert report.differing == changed > 0
    assert [(c.name, c.rows) for c in report.classes] == [(expected, changed)]


def test_a_flag_left_out_is_not_compared_and_a_wrong_one_is_its_own_class():
    divider = quodra.Divider(divisor_width=8, dividend_width=8)
    model = divider.divide_many([5, 100], [0, 7])
    assert quodra.check(divider, [5, 100], [0, 7], model.quotient, model.remainder).all_agree
    report = quodra.check(divider, [5, 100], [0, 7], model.quotient, model.remainder,
                          [False, False])
    assert [(c.name, c.rows, c.example) for c in report.classes] == [
        ("only div_by_zero wrong", 1, "sample 0 (5 / 0)")]


def test_the_signed_reading_gives_the_raw_readings_report():
    divider = quodra.Divider(divisor_width=5, dividend_width=5)
    n, d = every_pair(5)
    raw = divider.divide_many(n, d)
    signed = divider.divide_many(n, d, reading="signed")
    q = signed.quotient.copy()
    q[q == -3] = -4
    as_raw = quodra.check(divider, n, d, q & 31, raw.remainder, raw.div_by_zero)
    as_signed = quodra.check(divider, n, d, q, signed.remainder, signed.div_by_zero,
                             reading="signed")
    assert str(as_signed) == str(as_raw) and as_signed.differing > 0
    fractional = quodra.Divider(output="fractional", fractional_width=4)
    with pytest.raises(ValueError, match="reading='raw'"):
        quodra.check(fractional, [7], [2], [56], reading="signed")


def test_the_map_is_red_where_rows_differ_and_green_where_they_agree():
    divider = quodra.Divider(divisor_width=4, dividend_width=4)
    n, d = every_pair(4)
    model = divider.divide_many(n, d)
    q = model.quotient.copy()
    q[n < 0] ^= 1  # only negative dividends are wrong
    report = quodra.check(divider, n, d, q, model.remainder, model.div_by_zero)
    dividends, divisors, share = report.map_shares()
    assert dividends[0] == "-8" and divisors[-1] == "7" and share.shape == (16, 16)
    assert np.all(share[:, :8] == 1) and np.all(share[:, 8:] == 0)
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    image = report.plot()
    drawn = image.get_array()
    assert drawn[0, 0] == 1 and drawn[0, 15] == 0
