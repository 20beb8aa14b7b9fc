// The real array family: doubles, as used by the real-valued front end.
#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {
constexpr qor_array_real_ops default_real_ops =
    quodra_arrays::plain_element_table<qor_array_real_ops, double>();
} // namespace

QOR_DEFINE_ARRAY_FAMILY(real, default_real_ops)
