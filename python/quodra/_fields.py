"""The bit fields of one divider configuration: which operand values fit,
how wide each result field is, which numpy type holds it, and how a raw
result pattern reads as a signed number.

The core writes remainder-mode and Radix-2 results as non-negative
two's-complement patterns of their field; the High Radix quotient comes out
as a signed integer already.
"""
import numpy as np

RADIX2 = 1
HIGH_RADIX = 3


def from_twos_complement(pattern, width):
    """The signed value of a `width`-bit two's-complement pattern."""
    if width <= 0 or pattern.bit_length() < width:  # sign bit clear
        return pattern
    return pattern - (1 << width)


def _sign_extend_array(patterns, width):
    """Vector form of from_twos_complement for int64/uint64 arrays, width <= 64."""
    if width <= 0:
        return patterns.astype(np.int64)
    shift = np.int64(64 - width)
    return (patterns.view(np.int64) << shift) >> shift


class Fields:
    """Field widths and readings of one configuration."""

    def __init__(self, algorithm, divisor_width, dividend_width, signed, fractional,
                 fractional_width):
        self.algorithm = algorithm
        self.divisor_width = divisor_width
        self.dividend_width = dividend_width
        self.signed = signed
        self.fractional = fractional
        self.fractional_width = fractional_width

    # ---- operands -------------------------------------------------------
    def operand_range(self, width):
        """(lowest, highest) value an operand field of `width` bits holds, or
        None when the width is not positive (the library judges those)."""
        if width <= 0:
            return None
        if self.signed:
            return -(1 << (width - 1)), (1 << (width - 1)) - 1
        return 0, (1 << width) - 1

    def operand_fits(self, value, width):
        """True when the field holds `value` (always when the width is not
        positive). Decided from the value's bit length, so a field of 2^31
        bits costs no more than one of 8: its bounds are never built."""
        if width <= 0:
            return True
        if self.signed:
            # -2^(W-1) <= v < 2^(W-1): v, or -v - 1 when negative, has W-1 bits
            return (value if value >= 0 else ~value).bit_length() < width
        return value >= 0 and value.bit_length() <= width

    def clipped_operand_range(self, width, value_bits):
        """operand_range for values of at most `value_bits` bits of
        magnitude: a wider field holds every such value exactly as a field
        one bit wider than them does, so its bounds stay that small."""
        return self.operand_range(min(width, value_bits + 1))

    def describe_field(self, width):
        kind = "signed" if self.signed else "unsigned"
        if width > _DECIMAL_BITS:
            # Past what Python converts to decimal by default: as powers of two.
            low_text = "-2**%d" % (width - 1) if self.signed else "0"
            high_text = "2**%d - 1" % (width - 1 if self.signed else width)
            return "the %d-bit %s field [%s, %s]" % (width, kind, low_text, high_text)
        low, high = self.operand_range(width)
        return "the %d-bit %s field [%d, %d]" % (width, kind, low, high)

    # ---- results --------------------------------------------------------
    @property
    def high_radix(self):
        return self.fractional and self.algorithm == HIGH_RADIX

    @property
    def signed_radix2_fraction(self):
        return self.fractional and self.signed and self.algorithm == RADIX2

    def quotient_width(self):
        """Bits of the quotient field as written (High Radix: with its sign)."""
        if self.high_radix:
            return self.dividend_width + self.fractional_width + 1
        if self.fractional:
            return self.dividend_width + self.fractional_width
        return self.dividend_width

    def raw_dtype(self, width, signed_value=False):
        """numpy type that holds every value of the field, or object."""
        if signed_value or width <= 63:
            return np.dtype(np.int64) if width <= 64 else np.dtype(object)
        return np.dtype(np.uint64) if width == 64 else np.dtype(object)

    def quotient_dtype(self, reading):
        width = self.quotient_width()
        return self.raw_dtype(width, self.high_radix or (reading == "signed" and self.signed))

    def remainder_dtype(self, reading):
        return self.raw_dtype(self.divisor_width, reading == "signed" and self.signed)

    # ---- signed readings ------------------------------------------------
    def signed_quotient(self, pattern):
        """The quotient as a signed number; in fractional mode in units of
        2^-fractional_width. Signed Radix-2 holds an integer field above a
        fraction field with one bit less of precision, each in two's
        complement: the value is integer * 2^F + 2 * fraction."""
        if pattern is None or not self.signed or self.high_radix:
            return pattern
        if self.signed_radix2_fraction:
            f = self.fractional_width
            if f <= 0:
                return from_twos_complement(pattern, self.dividend_width)
            integer = from_twos_complement(pattern >> f, self.dividend_width)
            fraction = from_twos_complement(pattern & ((1 << f) - 1), f)
            return (integer << f) + 2 * fraction
        return from_twos_complement(pattern, self.dividend_width)

    def signed_remainder(self, pattern):
        if pattern is None or not self.signed:
            return pattern
        return from_twos_complement(pattern, self.divisor_width)

    def signed_quotient_array(self, patterns):
        if not self.signed or self.high_radix:
            return patterns
        if patterns.dtype == object:
            return np.array([self.signed_quotient(int(p)) for p in patterns], dtype=object)
        if self.signed_radix2_fraction:
            f = self.fractional_width
            if f <= 0:
                return _sign_extend_array(patterns, self.dividend_width)
            unsigned = patterns.view(np.uint64)
            integer = _sign_extend_array(unsigned >> np.uint64(f), self.dividend_width)
            fraction = _sign_extend_array(unsigned & np.uint64((1 << f) - 1), f)
            return (integer << np.int64(f)) + 2 * fraction
        return _sign_extend_array(patterns, self.dividend_width)

    def signed_remainder_array(self, patterns):
        if not self.signed:
            return patterns
        if patterns.dtype == object:
            return np.array([self.signed_remainder(int(p)) for p in patterns], dtype=object)
        return _sign_extend_array(patterns, self.divisor_width)


# Integers up to this many bits have fewer than 4300 decimal digits, the
# most that Python converts to text by default.
_DECIMAL_BITS = 14000


def value_text(value):
    """An operand as a message quotes it: in decimal, or, past what Python
    converts to decimal by default, by its size."""
    if value.bit_length() <= _DECIMAL_BITS:
        return "%d" % value
    return "%s(an integer of %d bits)" % ("-" if value < 0 else "", value.bit_length())
