// Writing a result held as sign and magnitude in fixed 64-bit words into a
// GNU MP integer, for the fast path's rounding tiers.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_SIGNED_LIMBS_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_SIGNED_LIMBS_H

#include <gmp.h>

#include <cstdint>

// Q = +/- the magnitude held in `limbs` 64-bit words, low word first,
// written straight into Q's limbs (no allocation once Q has grown). Once Q
// holds all `limbs` words, every word is copied and the size and sign are
// chosen without branches: with random operands they follow no pattern a
// branch predictor could learn.
inline void write_signed(mpz_ptr Q, const uint64_t *magnitude, unsigned limbs, bool negative) {
    const auto words = static_cast<mp_size_t>(limbs);
    // Grows Q once, on the first sample of a call.
    mp_limb_t *out = Q->_mp_alloc >= words ? Q->_mp_d : mpz_limbs_write(Q, words);
    int size = 0;
    for (unsigned i = 0; i < limbs; ++i) {
        out[i] = static_cast<mp_limb_t>(magnitude[i]);
        size = magnitude[i] != 0 ? static_cast<int>(i) + 1 : size;
    }
    const int sign = -static_cast<int>(negative); // 0 or -1
    Q->_mp_size = (size ^ sign) - sign;
}

#endif
