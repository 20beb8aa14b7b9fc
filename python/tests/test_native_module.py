"""The compiled module on its own, at the int64/uint64 edges, without the
package's field checks in front: int64 and uint64 buffers are read exactly,
a result that its native output cannot hold is reported (False) and left
unwritten, and Python ints cross at 2^63 either way exactly."""
import numpy as np
import pytest

from quodra import _quodra
from reference import remainder_mode

SENTINEL = 12345


def core(width, signed):
    return _quodra.CoreModel("edge", 1, width, width, 1 if signed else 0, 0, 16)


def native(model, dividends, divisors, in_type, out_type):
    """(every result fit, quotients, remainders, flags) of divide_native."""
    count = len(dividends)
    quotient = np.full(count, SENTINEL, out_type)
    remainder = np.full(count, SENTINEL, out_type)
    flags = np.zeros(count, np.uint32)
    fit = model.divide_native(np.array(divisors, in_type), np.array(dividends, in_type),
                              quotient, remainder, flags)
    return fit, quotient.tolist(), remainder.tolist(), flags.tolist()


def test_a_result_past_int64_is_reported_and_left_unwritten():
    # 2^63 / 1 into int64 outputs: the quotient does not fit, its remainder does.
    fit, quotients, remainders, _ = native(core(64, False), [2**63, 6], [1, 3], np.uint64, np.int64)
    assert not fit
    assert quotients == [SENTINEL, 2] and remainders == [0, 0]


@pytest.mark.parametrize("out_type, fits", [(np.int64, True), (np.uint64, False)])
def test_negative_int64_operands_in_an_unsigned_configuration(out_type, fits):
    # The library divides a stored negative value as it is, truncating:
    # -7 / 2 is -3 remainder -1, which a uint64 output cannot hold.
    dividends, divisors = [-7, 7, -(2**63), 2**63 - 1], [2, -2, 1, -1]
    want = [(-3, -1), (-3, 1), (-(2**63), 0), (-(2**63) + 1, 0)]
    fit, quotients, remainders, _ = native(core(64, False), dividends, divisors, np.int64, out_type)
    assert fit == fits
    if fits:
        assert list(zip(quotients, remainders)) == want
    quotients, remainders, _ = core(64, False).divide_integers(divisors, dividends)
    assert list(zip(quotients, remainders)) == want


def test_python_ints_cross_2_63_exactly():
    # -2^63 is the last value the 64-bit conversion takes, 2^63 the first of
    # the wide one; both ends of each conversion, in a signed 66-bit field.
    dividends = [-(2**63), 2**63, -(2**63) - 1, 2**63 - 1, -(2**65), 2**65 - 1]
    divisors = [-1, -1, 1, 1, 2**63, -(2**63) - 1]
    quotients, remainders, flags = core(66, True).divide_integers(divisors, dividends)
    assert list(zip(quotients, remainders, flags)) == [
        remainder_mode(n, d, True, 66, 66) for n, d in zip(dividends, divisors)]


@pytest.mark.parametrize("call, error, text", [
    (lambda m: native(m, [1.0], [1.0], np.float64, np.int64), TypeError,
     "divisors must be an int64 or uint64 array"),
    (lambda m: m.divide_native(np.ones(2, np.int64), np.ones(2, np.int64), np.zeros(1, np.int64),
                               np.zeros(2, np.int64), np.zeros(2, np.uint32)),
     ValueError, "quotient must be a contiguous 1-D array of 2 elements"),
    (lambda m: m.divide_integers([1, 2], [1]), ValueError, "dividends and divisors differ in length"),
    (lambda m: m.divide_integers([1.5], [1]), TypeError, ""),
])
def test_buffers_the_module_cannot_read_are_refused(call, error, text):
    with pytest.raises(error, match=text):
        call(core(64, False))
