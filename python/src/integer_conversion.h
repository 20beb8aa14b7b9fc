// Python integers of any size to GNU MP integers and back. Values that fit
// 64 bits take the direct route; wider ones go through hexadecimal text,
// which both sides convert in linear time. Call with the GIL held.
#ifndef QUODRA_PYTHON_INTEGER_CONVERSION_H
#define QUODRA_PYTHON_INTEGER_CONVERSION_H

#include <pybind11/pybind11.h>

#include <gmpxx.h>

namespace quodra_python {

// Throws pybind11::error_already_set when `value` is not an integer.
void assign_from_python(mpz_class &target, pybind11::handle value);

pybind11::int_ to_python(const mpz_class &value);

} // namespace quodra_python

#endif
