#include "integer_conversion.h"

#include <string>
#include <vector>

#include "quodra.hpp"

namespace py = pybind11;

namespace quodra_python {

void assign_from_python(mpz_class &target, py::handle value) {
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (small == -1 && PyErr_Occurred() != nullptr) {
        throw py::error_already_set();
    }
    if (overflow == 0) {
        quodra::detail::assign(target.get_mpz_t(), static_cast<int64_t>(small));
        return;
    }
    // "-0x1f" or "0x1f"
    const py::str hex = py::reinterpret_steal<py::str>(PyNumber_ToBase(value.ptr(), 16));
    if (!hex) {
        throw py::error_already_set();
    }
    const std::string text = hex;
    const bool negative = text[0] == '-';
    mpz_set_str(target.get_mpz_t(), text.c_str() + (negative ? 3 : 2), 16);
    if (negative) {
        mpz_neg(target.get_mpz_t(), target.get_mpz_t());
    }
}

py::int_ to_python(const mpz_class &value) {
    if (mpz_fits_slong_p(value.get_mpz_t()) && sizeof(long) >= sizeof(int64_t)) {
        return py::int_(mpz_get_si(value.get_mpz_t()));
    }
    std::vector<char> text(mpz_sizeinbase(value.get_mpz_t(), 16) + 2);
    mpz_get_str(text.data(), 16, value.get_mpz_t());
    PyObject *converted = PyLong_FromString(text.data(), nullptr, 16);
    if (converted == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::int_>(converted);
}

} // namespace quodra_python
