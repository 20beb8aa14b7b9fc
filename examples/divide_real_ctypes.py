#!/usr/bin/env python3
"""Divides a few samples through the library from Python with ctypes, as a
cocotb test bench would: doubles in, doubles out, through
qor_quodra_v5_1_data_real_do.

Usage: divide_real_ctypes.py [path/to/libquodra.so]
"""
import ctypes
import sys


class Config(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p)] + [
        (field, ctypes.c_int32)
        for field in ("algorithm_type", "divisor_width", "dividend_width", "operand_sign",
                      "remainder_type", "fractional_width", "aux_param_1", "aux_param_2")
    ]


def descriptor(element):
    class Array(ctypes.Structure):
        _fields_ = [("data", ctypes.POINTER(element)), ("data_size", ctypes.c_size_t),
                    ("data_capacity", ctypes.c_size_t), ("dim", ctypes.POINTER(ctypes.c_size_t)),
                    ("dim_size", ctypes.c_size_t), ("dim_capacity", ctypes.c_size_t),
                    ("owner", ctypes.c_int32), ("ops", ctypes.c_void_p)]
    return Array


RealArray = descriptor(ctypes.c_double)
UintArray = descriptor(ctypes.c_uint32)
Handler = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_int32, ctypes.c_char_p)


def bind(lib):
    prefix = "qor_quodra_v5_1_"
    signatures = {
        "default_config": (ctypes.c_int32, [ctypes.POINTER(Config)]),
        "create": (ctypes.c_void_p, [ctypes.POINTER(Config), Handler, ctypes.c_void_p]),
        "destroy": (ctypes.c_int32, [ctypes.c_void_p]),
        "data_real_do": (ctypes.c_int32, [ctypes.c_void_p] + [ctypes.POINTER(RealArray)] * 4 +
                         [ctypes.POINTER(UintArray), ctypes.c_uint32]),
        "qor_array_real_create": (ctypes.POINTER(RealArray), []),
        "qor_array_real_reserve_dim": (ctypes.c_int, [ctypes.POINTER(RealArray), ctypes.c_size_t]),
        "qor_array_real_reserve_data": (ctypes.c_int, [ctypes.POINTER(RealArray), ctypes.c_size_t]),
        "qor_array_real_destroy": (ctypes.c_void_p, [ctypes.POINTER(RealArray)]),
        "qor_array_uint_alloc": (ctypes.POINTER(UintArray), [ctypes.c_size_t]),
        "qor_array_uint_destroy": (ctypes.c_void_p, [ctypes.POINTER(UintArray)]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(lib, prefix + name)
        function.restype = result
        function.argtypes = arguments
    return lambda name: getattr(lib, prefix + name)


def real_vector(q, values):
    """A one-dimensional real array holding `values`."""
    array = q("qor_array_real_create")()
    if not array or q("qor_array_real_reserve_dim")(array, 1) or \
            q("qor_array_real_reserve_data")(array, len(values)):
        raise MemoryError("cannot allocate a real array")
    array.contents.dim[0] = len(values)
    array.contents.dim_size = 1
    array.contents.data_size = len(values)
    for i, value in enumerate(values):
        array.contents.data[i] = value
    return array


def main():
    q = bind(ctypes.CDLL(sys.argv[1] if len(sys.argv) > 1 else "libquodra.so"))

    @Handler
    def report(_handle, error, message):
        print(("error: " if error else "warning: ") + message.decode(), file=sys.stderr)

    config = Config()
    q("default_config")(ctypes.byref(config))
    config.divisor_width = config.dividend_width = 8
    model = q("create")(ctypes.byref(config), report, None)
    if not model:
        return 1

    dividends = [100.0, -7.0, 7.0, 5.0]
    divisors = [7.0, 2.0, -2.0, 0.0]
    n = len(dividends)
    divisor, dividend = real_vector(q, divisors), real_vector(q, dividends)
    quotient, remainder = real_vector(q, [0.0] * n), real_vector(q, [0.0] * n)
    div_by_zero = q("qor_array_uint_alloc")(n)

    status = q("data_real_do")(model, divisor, dividend, quotient, remainder, div_by_zero, n)
    for i in range(n):
        print("%g / %g -> quotient %g remainder %g div_by_zero %d" % (
            dividends[i], divisors[i], quotient.contents.data[i], remainder.contents.data[i],
            div_by_zero.contents.data[i]))

    for array in (divisor, dividend, quotient, remainder):
        q("qor_array_real_destroy")(array)
    q("qor_array_uint_destroy")(div_by_zero)
    q("destroy")(model)
    return status


if __name__ == "__main__":
    sys.exit(main())
