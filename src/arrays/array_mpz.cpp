// The mpz array family: GNU MP integers, the operands and results of the
// divider. Each slot is initialised when it is reserved and cleared when the
// array is destroyed; copies are deep, so an array never shares limbs with a
// caller's variable. An mpz_t record may be moved as raw bytes (its limbs
// live in a separate block), which is what growth through realloc does.
#include <gmp.h>

#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {

void mpz_slot_init(qor_array_mpz_ops *, mpz_t *slot) noexcept { mpz_init(*slot); }

void mpz_slot_copy(qor_array_mpz_ops *, mpz_t *destination, const mpz_t *source) noexcept {
    mpz_set(*destination, *source);
}

void mpz_slot_swap(qor_array_mpz_ops *, mpz_t *a, mpz_t *b) noexcept { mpz_swap(*a, *b); }

void mpz_slot_clear(qor_array_mpz_ops *, mpz_t *slot) noexcept { mpz_clear(*slot); }

constexpr qor_array_mpz_ops default_mpz_ops = {
    quodra_arrays::heap_realloc<qor_array_mpz_ops>,
    quodra_arrays::heap_free<qor_array_mpz_ops>,
    mpz_slot_init,
    mpz_slot_copy,
    mpz_slot_swap,
    mpz_slot_clear,
    nullptr,
};

} // namespace

QOR_DEFINE_ARRAY_FAMILY(mpz, default_mpz_ops)
