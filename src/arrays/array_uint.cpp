// The uint array family: unsigned int elements, the divide-by-zero flags.
#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {
constexpr qor_array_uint_ops default_uint_ops =
    quodra_arrays::plain_element_table<qor_array_uint_ops, unsigned int>();
} // namespace

QOR_DEFINE_ARRAY_FAMILY(uint, default_uint_ops)
