// The bit array family: one byte per element. The family never interprets
// the byte, it only copies and exchanges it; it is unsigned so that every
// pattern converts to and from integers without sign extension.
#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {
constexpr qor_array_bit_ops default_bit_ops =
    quodra_arrays::plain_element_table<qor_array_bit_ops, unsigned char>();
} // namespace

QOR_DEFINE_ARRAY_FAMILY(bit, default_bit_ops)
