"""quodra.check: a design's results against the model, with what the rows
covered and how the differing ones differ (the same corner bins, classes
and operand map as `quodra-div --check`)."""
from typing import NamedTuple

import numpy as np

from . import _quodra

HIGH_RADIX = 3


class CornerBin(NamedTuple):
    name: str
    rows: int
    required: bool
    example: str


class MismatchClass(NamedTuple):
    name: str
    rows: int
    example: str


class CheckReport:
    """What check() found: rows, differing, the corner bins (CornerBin:
    name, rows, required, example), the classes of the differing rows
    (MismatchClass: name, rows, example) and the operand map. str() gives
    the text `quodra-div --check` prints after its differing rows."""

    def __init__(self, diagnosis, rows, differing):
        self.rows = rows
        self.differing = differing
        self.bins = [CornerBin(*bin) for bin in diagnosis.bins()]
        self.classes = [MismatchClass(*kind) for kind in diagnosis.classes()]
        self.every_required_bin_reached = diagnosis.every_required_bin_reached()
        self._text = diagnosis.text()
        self._map = diagnosis.map()

    @property
    def all_agree(self):
        return self.differing == 0

    def __str__(self):
        return self._text + "%d of %d rows differ\n" % (self.differing, self.rows)

    def __repr__(self):
        return "<CheckReport: %d of %d rows differ>" % (self.differing, self.rows)

    def map_shares(self):
        """The operand map as (dividend labels, divisor labels, share): share
        a 2-D array, divisor cells down, dividend cells across, of the share
        of each cell's rows that differ (NaN where a cell has no rows)."""
        rows = np.array(self._map["rows"], dtype=float)
        differing = np.array(self._map["differing"], dtype=float)
        with np.errstate(invalid="ignore", divide="ignore"):
            share = np.where(rows > 0, differing / rows, np.nan)
        return self._map["dividends"], self._map["divisors"], share

    def plot(self, ax=None):
        """Draws the operand map with matplotlib (Debian python3-matplotlib),
        green where rows agree, red where they differ, grey without rows;
        returns the image."""
        try:
            import matplotlib.pyplot as plt
            from matplotlib.colors import LinearSegmentedColormap
        except ImportError:
            raise ImportError("CheckReport.plot needs matplotlib (Debian: python3-matplotlib)") from None
        dividends, divisors, share = self.map_shares()
        if ax is None:
            ax = plt.figure().add_subplot()
        colours = LinearSegmentedColormap.from_list("share", ["#2e7d32", "#d32f2f"])
        colours.set_bad("#eeeeee")
        image = ax.imshow(np.ma.masked_invalid(share), cmap=colours, vmin=0, vmax=1,
                          interpolation="nearest", aspect="auto")
        for axis, labels in ((ax.set_xticks, dividends), (ax.set_yticks, divisors)):
            ends = sorted({0, len(labels) // 2, len(labels) - 1})
            axis(ends, [labels[i] for i in ends])
        ax.set_xlabel("dividend")
        ax.set_ylabel("divisor")
        ax.set_title("%d of %d rows differ" % (self.differing, self.rows))
        ax.figure.colorbar(image, ax=ax, label="share of rows that differ")
        return image


def _raw(divider, values, reading, field):
    """The design's results as the raw reading's patterns."""
    if values is None:
        return None
    values = np.asarray(values, dtype=object).ravel()
    if reading == "raw":
        return values
    f = divider._fields
    if field == "quotient":
        if f.high_radix or not divider.signed:
            return values
        if f.signed_radix2_fraction and f.fractional_width > 0:
            raise ValueError("a signed Radix-2 fractional quotient read as signed "
                             "(integer * 2^F + 2 * fraction) does not give its fields back: "
                             "pass the quotients with reading='raw'")
        width = f.quotient_width()
    else:
        width = divider.divisor_width
    return np.array([int(v) & ((1 << width) - 1) for v in values], dtype=object)


def check(divider, dividends, divisors, quotients, remainders=None, div_by_zero=None,
          reading="raw"):
    """Compares a design's results for the given operands with the model's.
    quotients (and remainders in remainder output, div_by_zero if given)
    are read as divide_many(reading=...) writes them; a field left out is
    not compared, and a None element is a result the design left undefined.
    Returns a CheckReport."""
    model = divider.divide_many(dividends, divisors, reading="raw")
    dividends = np.asarray(dividends, dtype=object).ravel()
    divisors = np.asarray(divisors, dtype=object).ravel()
    design_q = _raw(divider, quotients, reading, "quotient")
    design_r = _raw(divider, remainders, reading, "remainder")
    flags = None if div_by_zero is None else np.asarray(div_by_zero).ravel()
    model_q = model.quotient.ravel()
    model_r = None if model.remainder is None else model.remainder.ravel()
    model_flags = model.div_by_zero.ravel()
    high_radix = divider._fields.high_radix
    diagnosis = _quodra.CheckDiagnosis(int(divider.algorithm), divider.signed,
                                       divider.output == "fractional", divider.dividend_width,
                                       divider.divisor_width, divider.fractional_width)
    differing = 0
    for i in range(len(model_q)):
        flag = bool(model_flags[i])
        undefined = high_radix and flag  # the datapath writes no quotient
        written_q = None if design_q is None or design_q[i] is None else int(design_q[i])
        written_r = None if design_r is None or design_r[i] is None else int(design_r[i])
        differing += diagnosis.add(
            int(dividends[i]), int(divisors[i]), None if undefined else int(model_q[i]),
            None if model_r is None else int(model_r[i]), flag, written_q, written_r,
            None if flags is None else bool(flags[i]),
            "sample %d (%d / %d)" % (i, int(dividends[i]), int(divisors[i])))
    return CheckReport(diagnosis, len(model_q), differing)
