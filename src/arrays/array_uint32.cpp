// The uint32 array family: fixed-width 32-bit unsigned integers. A family
// of its own with its own default table, behaving exactly as uint.
#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {
constexpr qor_array_uint32_ops default_uint32_ops =
    quodra_arrays::plain_element_table<qor_array_uint32_ops, uint32_t>();
} // namespace

QOR_DEFINE_ARRAY_FAMILY(uint32, default_uint32_ops)
