// The mpz_complex array family: pairs of GNU MP integers, real part first.
// Every operation acts on the real part, then on the imaginary part; copies
// are deep.
#include <gmp.h>

#include "arrays/array_family_exports.h"
#include "arrays/default_element_ops.h"

namespace {

void mpz_pair_init(qor_array_mpz_complex_ops *, qor_mpz_complex *slot) noexcept {
    mpz_init(slot->re);
    mpz_init(slot->im);
}

void mpz_pair_copy(qor_array_mpz_complex_ops *, qor_mpz_complex *destination,
                   const qor_mpz_complex *source) noexcept {
    mpz_set(destination->re, source->re);
    mpz_set(destination->im, source->im);
}

void mpz_pair_swap(qor_array_mpz_complex_ops *, qor_mpz_complex *a, qor_mpz_complex *b) noexcept {
    mpz_swap(a->re, b->re);
    mpz_swap(a->im, b->im);
}

void mpz_pair_clear(qor_array_mpz_complex_ops *, qor_mpz_complex *slot) noexcept {
    mpz_clear(slot->re);
    mpz_clear(slot->im);
}

constexpr qor_array_mpz_complex_ops default_mpz_complex_ops = {
    quodra_arrays::heap_realloc<qor_array_mpz_complex_ops>,
    quodra_arrays::heap_free<qor_array_mpz_complex_ops>,
    mpz_pair_init,
    mpz_pair_copy,
    mpz_pair_swap,
    mpz_pair_clear,
    nullptr,
};

} // namespace

QOR_DEFINE_ARRAY_FAMILY(mpz_complex, default_mpz_complex_ops)
