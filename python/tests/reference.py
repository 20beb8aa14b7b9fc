"""Independent references in plain Python integer arithmetic."""


def in_field(value, width):
    """The two's-complement pattern of a value that fits `width` bits."""
    return value + (1 << width) if value < 0 else value


def remainder_mode(dividend, divisor, signed, dividend_width, divisor_width):
    """(quotient, remainder, div_by_zero) as the core writes them: truncating
    division, remainder with the dividend's sign, patterns of the fields."""
    if divisor == 0:
        return 0, 0, True
    if not signed:
        return dividend // divisor, dividend % divisor, False
    magnitude = abs(dividend) // abs(divisor)
    quotient = -magnitude if (dividend < 0) != (divisor < 0) else magnitude
    remainder = dividend - quotient * divisor
    return in_field(quotient, dividend_width), in_field(remainder, divisor_width), False


def field_bounds(width, signed):
    if signed:
        return -(1 << (width - 1)), (1 << (width - 1)) - 1
    return 0, (1 << width) - 1
