"""quodra: a bit-exact model of a hardware divider core, from Python.

    >>> import quodra
    >>> d = quodra.Divider(divisor_width=8, dividend_width=8)   # signed, remainder output
    >>> r = d.divide(-7, 2)                                     # dividend first: -7 / 2
    >>> r.quotient, r.remainder, r.div_by_zero                  # the patterns the core writes
    (253, 255, False)
    >>> r.signed_quotient, r.signed_remainder                   # read as signed numbers
    (-3, -1)

Operands are Python ints of any width (or numpy integer arrays for
divide_many), given as values, not bit patterns: -7 is -7. The dividend comes
first, as in `dividend / divisor`; the C interface takes the divisor first.
"""
import enum
import math
import operator
import warnings
from dataclasses import dataclass, field
from typing import Any, NamedTuple, Optional

import numpy as np

from . import _quodra
from ._fields import Fields, value_text

__all__ = ["Algorithm", "BatchResult", "CheckReport", "ConfigurationError", "CornerBin",
           "DivisionError", "Divider", "Error", "MismatchClass", "check",
           "LibraryWarning", "OperandError", "Result", "library_version", "__version__"]

__version__ = _quodra.__version__
#: The version text the library itself reports ("5.1").
library_version = _quodra.library_version

Error = _quodra.Error
ConfigurationError = _quodra.ConfigurationError
DivisionError = _quodra.DivisionError
for _exception in (Error, ConfigurationError, DivisionError):
    _exception.__module__ = __name__


class OperandError(Error, ValueError):
    """An operand value that the configured field cannot hold."""


class LibraryWarning(UserWarning):
    """A warning or note the library reported during a division."""


class Algorithm(enum.IntEnum):
    RADIX2 = 1
    HIGH_RADIX = 3
    LUTMULT = 4


_ALGORITHM_NAMES = {"radix2": Algorithm.RADIX2, "highradix": Algorithm.HIGH_RADIX,
                    "lutmult": Algorithm.LUTMULT}
_OUTPUTS = {"remainder": 0, "fractional": 1}
_READINGS = ("raw", "signed")
_INT32 = (-(1 << 31), (1 << 31) - 1)


def _algorithm_number(algorithm):
    if isinstance(algorithm, str):
        key = algorithm.lower().replace("-", "").replace("_", "").replace(" ", "")
        if key not in _ALGORITHM_NAMES:
            raise ConfigurationError(
                "unknown algorithm %r: use 'radix2' (1), 'high_radix' (3) or 'lutmult' (4)"
                % algorithm)
        return _ALGORITHM_NAMES[key]
    number = _config_int("algorithm", algorithm)
    try:
        return Algorithm(number)
    except ValueError:
        # The library would divide with any number in remainder mode (every
        # algorithm divides exactly there), but a number no core has is a slip.
        raise ConfigurationError(
            "unknown algorithm %d: use 'radix2' (1), 'high_radix' (3) or 'lutmult' (4)"
            % number) from None


def _config_int(what, value):
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)):
        raise ConfigurationError("%s must be an integer, not %s" % (what, type(value).__name__))
    value = int(value)
    if not _INT32[0] <= value <= _INT32[1]:
        raise ConfigurationError("%s must fit a 32-bit signed integer, not %d" % (what, value))
    return value


def _operand(what, value):
    if isinstance(value, bool) or isinstance(value, (float, complex, str, bytes)):
        raise TypeError("%s must be an integer, not %s" % (what, type(value).__name__))
    try:
        return operator.index(value)
    except TypeError:
        raise TypeError("%s must be an integer, not %s" % (what, type(value).__name__)) from None


@dataclass(frozen=True)
class Result:
    """One sample's outputs, exact Python ints.

    quotient and remainder are what the core writes: non-negative
    two's-complement patterns of their fields in remainder mode and for
    Radix-2, a signed integer for the High Radix quotient. remainder is None
    in fractional mode; quotient is None for a High Radix sample with a zero
    divisor (the datapath writes no quotient then). signed_quotient and
    signed_remainder read the patterns as signed numbers (in fractional mode
    the quotient in units of 2^-fractional_width).
    """
    quotient: Optional[int]
    remainder: Optional[int]
    div_by_zero: bool
    # How to read the patterns as signed numbers; set by the Divider that
    # made the result, not a constructor argument.
    _fields: Optional[Fields] = field(default=None, init=False, repr=False, compare=False)

    @property
    def signed_quotient(self):
        return self._fields.signed_quotient(self.quotient)

    @property
    def signed_remainder(self):
        return self._fields.signed_remainder(self.remainder)


class BatchResult(NamedTuple):
    """Outputs of a batch as numpy arrays of the operands' shape. Integer
    results are int64 or uint64 when the field always fits, object arrays of
    Python ints otherwise; div_by_zero is bool. remainder is None in
    fractional mode."""
    quotient: Any
    remainder: Any
    div_by_zero: Any


class Divider:
    """A divider core of one configuration.

    Every argument is a keyword (dividend_width=16, not 16), so no two can
    be swapped. algorithm: 'radix2' (1), 'high_radix' (3), 'lutmult' (4) or
    an Algorithm; other names and numbers raise ConfigurationError.
    signed: two's-complement operands. output: 'remainder'
    (integer quotient and remainder) or 'fractional' (a quotient with
    fractional_width fraction bits). name starts every library message.
    Defaults are the library's own. Creation failures raise
    ConfigurationError with the library's text.

    A Divider is immutable (setting any attribute raises AttributeError) and
    may be used from several threads at once; the GIL is released while the
    library divides.
    """

    def __init__(self, *, algorithm=None, divisor_width=None, dividend_width=None, signed=None,
                 output=None, fractional_width=None, name=None):
        default = _DEFAULTS
        self._algorithm = _algorithm_number(default["algorithm"] if algorithm is None else algorithm)
        self._divisor_width = _config_int(
            "divisor_width", default["divisor_width"] if divisor_width is None else divisor_width)
        self._dividend_width = _config_int(
            "dividend_width", default["dividend_width"] if dividend_width is None else dividend_width)
        signed = default["signed"] if signed is None else signed
        if signed not in (True, False):  # also 1 and 0
            raise ConfigurationError("signed must be True or False, not %r" % (signed,))
        self._signed = bool(signed)
        output = default["output"] if output is None else output
        if output not in _OUTPUTS:
            raise ConfigurationError("output must be 'remainder' or 'fractional', not %r" % (output,))
        self._output = output
        self._fractional_width = _config_int(
            "fractional_width",
            default["fractional_width"] if fractional_width is None else fractional_width)
        self._name = default["name"] if name is None else name
        if not isinstance(self._name, str) or "\0" in self._name:
            raise ConfigurationError("name must be a text without NUL characters")
        self._core = _quodra.CoreModel(self._name, int(self._algorithm), self._divisor_width,
                                       self._dividend_width, 1 if self._signed else 0,
                                       _OUTPUTS[output], self._fractional_width)
        self._fields = Fields(int(self._algorithm), self._divisor_width, self._dividend_width,
                              self._signed, output == "fractional", self._fractional_width)
        # One sample of two ints in their fields, with fields of up to 64
        # bits, divides on machine words in the compiled half, which also
        # makes the Result; it answers None for any other sample, which then
        # takes the exact path with all its checks and messages.
        self._core.bind_result(Result, self._fields)
        self._divide_one = self._core.one_sample_function()
        self._frozen = True

    def __setattr__(self, name, value):
        if getattr(self, "_frozen", False):
            raise AttributeError("a Divider is immutable: make another for another configuration")
        object.__setattr__(self, name, value)

    def __delattr__(self, name):
        raise AttributeError("a Divider is immutable: make another for another configuration")

    algorithm = property(lambda self: self._algorithm)
    divisor_width = property(lambda self: self._divisor_width)
    dividend_width = property(lambda self: self._dividend_width)
    signed = property(lambda self: self._signed)
    output = property(lambda self: self._output)
    fractional_width = property(lambda self: self._fractional_width)
    name = property(lambda self: self._name)

    def __repr__(self):
        return ("Divider(algorithm=%r, divisor_width=%d, dividend_width=%d, signed=%r, output=%r, "
                "fractional_width=%d, name=%r)" % (
                    self._algorithm, self._divisor_width, self._dividend_width, self._signed,
                    self._output, self._fractional_width, self._name))

    # ---- one sample -----------------------------------------------------
    def divide(self, dividend, divisor):
        """dividend / divisor for one sample: a Result of exact ints."""
        result = self._divide_one(dividend, divisor)
        if result is not None:
            return result
        return self._divide_exact(dividend, divisor)

    def _divide_exact(self, dividend, divisor):
        """divide() on GNU MP integers, for any sample and configuration."""
        dividend = _operand("dividend", dividend)
        divisor = _operand("divisor", divisor)
        self._require_in_field("dividend", dividend, self._dividend_width)
        self._require_in_field("divisor", divisor, self._divisor_width)
        quotients, remainders, flags = self._core.divide_integers([divisor], [dividend])
        quotient = quotients[0]
        if flags[0] and self._fields.high_radix:
            quotient = None
        result = Result(quotient, None if remainders is None else remainders[0], flags[0])
        object.__setattr__(result, "_fields", self._fields)
        return result

    # ---- batches --------------------------------------------------------
    def divide_many(self, dividends, divisors, reading="raw"):
        """Element-wise dividends / divisors: sequences of ints or numpy
        integer arrays (broadcast together). reading='raw' gives the patterns
        the core writes, reading='signed' their signed readings (see Result).
        Returns a BatchResult. A High Radix sample with a zero divisor has
        quotient 0 here; its div_by_zero is True."""
        if reading not in _READINGS:
            raise ValueError("reading must be 'raw' or 'signed', not %r" % (reading,))
        dividends = _integer_array("dividends", dividends)
        divisors = _integer_array("divisors", divisors)
        try:
            dividends, divisors = np.broadcast_arrays(dividends, divisors)
        except ValueError:
            raise ValueError("dividends of shape %s and divisors of shape %s do not broadcast"
                             % (dividends.shape, divisors.shape)) from None
        shape = dividends.shape
        dividends, divisors = dividends.ravel(), divisors.ravel()
        self._require_array_in_field("dividends", dividends, self._dividend_width)
        self._require_array_in_field("divisors", divisors, self._divisor_width)

        quotient, remainder, flags = self._divide_raw(dividends, divisors)
        if reading == "signed":
            quotient = self._fields.signed_quotient_array(quotient)
            if remainder is not None:
                remainder = self._fields.signed_remainder_array(remainder)
        return BatchResult(quotient.reshape(shape),
                           None if remainder is None else remainder.reshape(shape),
                           flags.astype(bool).reshape(shape))

    def divide_real(self, dividends, divisors):
        """The library's double-precision entry point, element-wise: float
        arrays in, float arrays out (remainder None in fractional mode), with
        every truncation the library reports raised as a LibraryWarning.
        Results keep the library's reading: remainder-mode patterns, and in
        fractional mode the quotient register divided by 2^fractional_width.
        Operands must be numbers (not strings, bools or None), and each
        finite one, truncated towards zero as the library converts it, must
        fit its field, as in divide(); non-finite ones are the library's to
        refuse."""
        dividends = _real_array("dividends", dividends)
        divisors = _real_array("divisors", divisors)
        dividends, divisors = np.broadcast_arrays(dividends, divisors)
        shape = dividends.shape
        self._require_reals_in_field("dividends", dividends.ravel(), self._dividend_width)
        self._require_reals_in_field("divisors", divisors.ravel(), self._divisor_width)
        quotient, remainder, flags, messages = self._core.divide_real(
            np.ascontiguousarray(divisors.ravel()), np.ascontiguousarray(dividends.ravel()))
        for text, times in messages:
            for _ in range(times):
                warnings.warn(text, LibraryWarning, stacklevel=2)
        return BatchResult(quotient.reshape(shape),
                           None if remainder is None else remainder.reshape(shape),
                           flags.astype(bool).reshape(shape))

    # ---- internals ------------------------------------------------------
    def _require_in_field(self, what, value, width):
        if not self._fields.operand_fits(value, width):
            raise OperandError("%s %s does not fit %s"
                               % (what, value_text(value), self._fields.describe_field(width)))

    def _require_array_in_field(self, what, values, width):
        if width <= 0 or values.size == 0:
            return
        if values.dtype == object:
            fits = self._fields.operand_fits
            outside = [i for i, v in enumerate(values) if not fits(v, width)]
        else:
            outside = _outside_native(values, self._fields.clipped_operand_range(width, 64))
        if len(outside):
            i = int(outside[0])
            raise OperandError("%s[%d] = %s does not fit %s"
                               % (what, i, value_text(int(values[i])), self._fields.describe_field(width)))

    def _require_reals_in_field(self, what, values, width):
        if width <= 0 or values.size == 0:
            return
        # A finite double is below 2^1024 in magnitude.
        low, high = self._fields.clipped_operand_range(width, 1024)
        finite = np.flatnonzero(np.isfinite(values))
        truncated = np.trunc(values[finite])
        # A bound wider than a double's mantissa rounds as a float: the
        # values at or past either rounded bound are decided as exact ints.
        near = np.flatnonzero((truncated <= _rounded(low)) | (truncated >= _rounded(high)))
        for j in near:
            if not low <= int(truncated[j]) <= high:
                i = int(finite[j])
                raise OperandError("%s[%d] = %r does not fit %s"
                                   % (what, i, float(values[i]), self._fields.describe_field(width)))

    def _divide_raw(self, dividends, divisors):
        q_type = self._fields.quotient_dtype("raw")
        r_type = None if self._fields.fractional else self._fields.remainder_dtype("raw")
        native = (dividends.dtype != object and divisors.dtype != object and q_type != object
                  and r_type != object)
        if native:
            count = dividends.size
            quotient = np.zeros(count, dtype=q_type)
            remainder = None if r_type is None else np.zeros(count, dtype=r_type)
            flags = np.zeros(count, dtype=np.uint32)
            if self._core.divide_native(np.ascontiguousarray(divisors), np.ascontiguousarray(dividends),
                                        quotient, remainder, flags):
                return quotient, remainder, flags
        quotients, remainders, flags = self._core.divide_integers(divisors.tolist(), dividends.tolist())
        return (_as_array(quotients, q_type),
                None if remainders is None else _as_array(remainders, r_type),
                np.array(flags, dtype=bool))


def _integer_array(what, values):
    """numpy int64/uint64 arrays stay as they are, other numpy integer types
    widen to int64. Sequences (and object arrays) must hold integers; they
    become int64 arrays when every value fits, object arrays of Python ints
    otherwise. Anything else is refused."""
    if isinstance(values, (np.ndarray, np.generic)) and values.dtype != object:
        if values.dtype.kind in "iu" and not values.dtype.isnative:
            # Data of the other byte order (">u8", ">i8") in the machine's.
            wide_unsigned = values.dtype.kind == "u" and values.dtype.itemsize == 8
            return np.asarray(values).astype(np.uint64 if wide_unsigned else np.int64)
        if values.dtype.kind == "u" and values.dtype.itemsize == 8:
            return np.asarray(values)
        if values.dtype.kind in "iu":
            return np.asarray(values).astype(np.int64, copy=False)
        raise TypeError("%s must hold integers, not %s" % (what, values.dtype))
    shaped = np.asarray(values, dtype=object)
    flat = [_operand("%s[%d]" % (what, i), v) for i, v in enumerate(shaped.ravel().tolist())]
    if not flat or (min(flat) >= -(1 << 63) and max(flat) < (1 << 63)):
        return np.array(flat, dtype=np.int64).reshape(shaped.shape)
    return _as_array(flat, object).reshape(shaped.shape)


def _real_array(what, values):
    """Numbers as a float64 array: numpy integer and float arrays, Python
    ints and floats; strings, bools, None and other objects are refused."""
    array = np.asarray(values)
    if array.dtype == object:
        for i, v in enumerate(array.ravel().tolist()):
            if isinstance(v, bool) or not isinstance(v, (int, float, np.integer, np.floating)):
                raise TypeError("%s[%d] must be a number, not %s" % (what, i, type(v).__name__))
    elif array.dtype.kind not in "iuf":
        raise TypeError("%s must hold numbers, not %s" % (what, array.dtype))
    return array.astype(np.float64)


def _outside_native(values, bounds):
    """Indices of the int64/uint64 values outside (low, high)."""
    low, high = bounds
    if low <= int(values.min()) and int(values.max()) <= high:
        return []
    # Found on the failure path only; compared as Python ints, exactly.
    as_ints = values.astype(object)
    return np.flatnonzero((as_ints < low) | (as_ints > high))


def _rounded(bound):
    """An integer bound as a double; one past the double range compares as
    the infinity of its sign, which no finite operand reaches."""
    try:
        return float(bound)
    except OverflowError:
        return math.inf if bound > 0 else -math.inf


def _as_array(values, dtype):
    if dtype == object:
        array = np.empty(len(values), dtype=object)
        array[:] = values
        return array
    return np.array(values, dtype=dtype)


_DEFAULTS = _quodra.default_configuration()


from ._check import CheckReport, CornerBin, MismatchClass, check  # noqa: E402


def __dir__():
    """Only the public names: the rest are the package's own."""
    return list(__all__)
