"""Every error route raises its own exception with its message, and nothing
is printed."""
import inspect
import pydoc

import numpy as np
import pytest

import quodra


@pytest.mark.parametrize("settings, message", [
    (dict(algorithm="high_radix", signed=False, output="fractional"),
     "Operand sign must be Signed for the High Radix algorithm"),
    (dict(algorithm="high_radix", output="remainder"),
     "Remainder type must be Fractional for the High Radix algorithm"),
    (dict(algorithm="lutmult", output="fractional"),
     "Remainder type must be Remainder for the LutMult algorithm"),
    (dict(algorithm="newton"),
     "unknown algorithm 'newton': use 'radix2' (1), 'high_radix' (3) or 'lutmult' (4)"),
    # No core has these numbers: refused when made, not at the first division.
    (dict(algorithm=2, output="fractional"),
     "unknown algorithm 2: use 'radix2' (1), 'high_radix' (3) or 'lutmult' (4)"),
    (dict(algorithm=0), "unknown algorithm 0: use 'radix2' (1), 'high_radix' (3) or 'lutmult' (4)"),
    (dict(output="float"), "output must be 'remainder' or 'fractional', not 'float'"),
    (dict(divisor_width=2**31), "divisor_width must fit a 32-bit signed integer, not 2147483648"),
    (dict(dividend_width=8.0), "dividend_width must be an integer, not float"),
    (dict(name="a\0b"), "name must be a text without NUL characters"),
    (dict(signed="no"), "signed must be True or False, not 'no'"),
])
def test_configuration_errors_carry_their_message(settings, message, capfd):
    with pytest.raises(quodra.ConfigurationError) as raised:
        quodra.Divider(**settings)
    assert str(raised.value) == message
    assert isinstance(raised.value, quodra.Error)
    assert capfd.readouterr() == ("", "")


@pytest.mark.parametrize("settings, message", [
    (dict(output="fractional", fractional_width=-1),
     "Default configuration ERROR: Fractional width must not be negative for the Radix-2 algorithm"),
    (dict(dividend_width=-1, name="bench"),
     "bench ERROR: Dividend width must not be negative for signed remainder output"),
])
def test_division_errors_carry_the_library_message(settings, message, capfd):
    divider = quodra.Divider(**settings)
    for call in (lambda: divider.divide(1, 1), lambda: divider.divide_many([1, 2], [1, 1]),
                 lambda: divider.divide_many(np.ones(3, np.int64), np.ones(3, np.int64)),
                 lambda: divider.divide_real([1.0], [1.0])):
        with pytest.raises(quodra.DivisionError) as raised:
            call()
        assert str(raised.value) == message
    assert capfd.readouterr() == ("", "")


@pytest.mark.parametrize("dividend, message", [
    (1.5, "dividend must be an integer, not float"),
    ("7", "dividend must be an integer, not str"),
    (True, "dividend must be an integer, not bool"),
    (None, "dividend must be an integer, not NoneType"),
])
def test_operand_types_are_refused(dividend, message):
    with pytest.raises(TypeError) as raised:
        quodra.Divider().divide(dividend, 3)
    assert str(raised.value) == message


@pytest.mark.parametrize("dividends, message", [
    (np.array([1.0, 2.0]), "dividends must hold integers, not float64"),
    (np.array([True]), "dividends must hold integers, not bool"),
    ([1.0, 2.0], "dividends[0] must be an integer, not float"),
    ([1, "2"], "dividends[1] must be an integer, not str"),
    (np.array([1, 2.5], dtype=object), "dividends[1] must be an integer, not float"),
])
def test_batch_operand_types_are_refused(dividends, message):
    with pytest.raises(TypeError) as raised:
        quodra.Divider().divide_many(dividends, [1] * len(dividends))
    assert str(raised.value) == message


@pytest.mark.parametrize("signed, call, message", [
    (True, lambda d: d.divide(128, 1), "dividend 128 does not fit the 8-bit signed field [-128, 127]"),
    (True, lambda d: d.divide(1, -129), "divisor -129 does not fit the 8-bit signed field [-128, 127]"),
    (False, lambda d: d.divide(-1, 1), "dividend -1 does not fit the 8-bit unsigned field [0, 255]"),
    (False, lambda d: d.divide_many(np.array([1, 256, 300]), np.array([1, 1, 1])),
     "dividends[1] = 256 does not fit the 8-bit unsigned field [0, 255]"),
    (True, lambda d: d.divide_many([1, 2], [2**70, 1]),
     "divisors[0] = 1180591620717411303424 does not fit the 8-bit signed field [-128, 127]"),
    (True, lambda d: d.divide_many(np.array([0, 2**63], dtype=np.uint64), np.ones(2, np.int64)),
     "dividends[1] = 9223372036854775808 does not fit the 8-bit signed field [-128, 127]"),
])
def test_operands_outside_their_field_are_refused(signed, call, message):
    divider = quodra.Divider(divisor_width=8, dividend_width=8, signed=signed)
    with pytest.raises(quodra.OperandError) as raised:
        call(divider)
    assert str(raised.value) == message
    assert isinstance(raised.value, ValueError)


def test_batch_shape_and_reading_errors():
    divider = quodra.Divider()
    with pytest.raises(ValueError, match="do not broadcast"):
        divider.divide_many([1, 2, 3], [1, 2])
    with pytest.raises(ValueError, match="reading must be 'raw' or 'signed', not 'hex'"):
        divider.divide_many([1], [1], reading="hex")


@pytest.mark.parametrize("dtype", [">u8", ">i8", "<u8", ">u4", ">i2"])
def test_integer_arrays_of_either_byte_order_divide_alike(dtype):
    divider = quodra.Divider(divisor_width=16, dividend_width=16, signed=False)
    result = divider.divide_many(np.array([7, 100, 0], dtype=dtype), np.array([2, 7, 5], dtype=dtype))
    assert result.quotient.tolist() == [3, 14, 0]
    assert result.remainder.tolist() == [1, 2, 0]


@pytest.mark.parametrize("value", [1 << 20000, -(1 << 20000) - 5], ids=["2**20000", "-2**20000-5"])
def test_operands_too_large_to_print_in_decimal_are_operand_errors(value):
    divider = quodra.Divider(divisor_width=20000, dividend_width=20000)
    with pytest.raises(quodra.OperandError, match="an integer of 2000[01] bits"):
        divider.divide(value, 3)
    with pytest.raises(quodra.OperandError, match=r"dividends\[1\]"):
        divider.divide_many([1, value], [3, 3])


def test_configuration_is_given_by_keyword_and_fixed_once_made():
    with pytest.raises(TypeError):
        quodra.Divider(8, 8)  # once silently algorithm=8, divisor_width=8
    divider = quodra.Divider(dividend_width=8)
    for name in ("dividend_width", "_dividend_width", "_core", "anything"):
        with pytest.raises(AttributeError):
            setattr(divider, name, 4)
    with pytest.raises(AttributeError):
        del divider._core
    assert divider.dividend_width == 8 and divider.divide(100, 7).quotient == 14


def test_the_module_and_its_results_show_only_the_public_interface():
    assert sorted(dir(quodra)) == sorted(quodra.__all__)
    assert list(inspect.signature(quodra.Result).parameters) == ["quotient", "remainder",
                                                                 "div_by_zero"]
    signatures = [line for line in pydoc.render_doc(quodra.Result, renderer=pydoc.plaintext)
                  .splitlines() if "__init__(" in line or "Result(" in line]
    assert signatures and not any("_fields" in line for line in signatures)
    result = quodra.Divider(dividend_width=8, divisor_width=8).divide(-7, 2)
    assert (result.signed_quotient, result.signed_remainder) == (-3, -1)
