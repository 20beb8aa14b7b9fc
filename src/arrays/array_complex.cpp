// The complex array family: pairs of doubles, real part first.
#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {
constexpr qor_array_complex_ops default_complex_ops =
    quodra_arrays::plain_element_table<qor_array_complex_ops, qor_complex>();
} // namespace

QOR_DEFINE_ARRAY_FAMILY(complex, default_complex_ops)
