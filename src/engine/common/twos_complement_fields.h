// Reads fixed-width bit fields of a GNU MP integer as the hardware sees it:
// two's complement with the sign repeated above the top bit, straight from
// the limbs, so the High Radix divider slices its operands without
// allocating shifted copies; and the range test of a two's-complement port.
#ifndef QUODRA_ENGINE_COMMON_TWOS_COMPLEMENT_FIELDS_H
#define QUODRA_ENGINE_COMMON_TWOS_COMPLEMENT_FIELDS_H

#include <gmp.h>

#include <cstddef>
#include <cstdint>

// Number of limbs of |value|. |size| as (size ^ s) - s with s the sign
// mask: the compiler makes a branch of the library's absolute value, and
// random operands' signs make that branch a coin toss.
inline size_t limb_count(mpz_srcptr value) {
    const int size = value->_mp_size;
    const int sign_mask = -static_cast<int>(static_cast<unsigned>(size) >> 31);
    return static_cast<size_t>(static_cast<unsigned>((size ^ sign_mask) - sign_mask));
}

// Reads `length` (<= 32) bits at `position` through reader.bits(position,
// length), for position >= 0; a negative position reads the value as
// shifted left, with zeros below bit 0.
template <class Reader>
uint32_t field_with_zeros_below(const Reader &reader, int64_t position, uint32_t length) {
    if (position >= 0) return reader.bits(static_cast<uint64_t>(position), length);
    const uint64_t zeros = static_cast<uint64_t>(-position);
    if (zeros >= length) return 0;
    const uint32_t kept = length - static_cast<uint32_t>(zeros);
    return reader.bits(0, kept) << zeros;
}

// `length` (<= 32) bits at `bit` >= 0 of the limbs reader.limb(index).
template <class Limbs> uint32_t bits_of_limbs(const Limbs &reader, uint64_t bit, uint32_t length) {
    const uint64_t index = bit / GMP_NUMB_BITS;
    const unsigned offset = static_cast<unsigned>(bit % GMP_NUMB_BITS);
    uint64_t word = static_cast<uint64_t>(reader.limb(index) >> offset);
    if (offset + length > GMP_NUMB_BITS) {
        word |= static_cast<uint64_t>(reader.limb(index + 1)) << (GMP_NUMB_BITS - offset);
    }
    return static_cast<uint32_t>(word & ((uint64_t{1} << length) - 1));
}

class twos_complement_fields {
public:
    explicit twos_complement_fields(mpz_srcptr value)
        : value(value), negative(mpz_sgn(value) < 0),
          lowest_one(negative ? mpz_scan1(value, 0) : 0) {}

    // floor(value / 2^position) mod 2^length for length <= 32. A negative
    // position reads the value as shifted left: the bits below bit 0 are 0.
    uint32_t field(int64_t position, uint32_t length) const {
        return field_with_zeros_below(*this, position, length);
    }

    uint32_t bits(uint64_t bit, uint32_t length) const { return bits_of_limbs(*this, bit, length); }

private:
    template <class Limbs> friend uint32_t bits_of_limbs(const Limbs &, uint64_t, uint32_t);

    // Limb `index` of the two's complement form. A negative value -m is
    // ~(m - 1); the borrow of the "- 1" reaches a limb only when every limb
    // below it is zero, that is when the lowest one bit lies at or above it.
    mp_limb_t limb(uint64_t index) const {
        const mp_limb_t magnitude = index < mpz_size(value)
                                        ? mpz_getlimbn(value, static_cast<mp_size_t>(index))
                                        : mp_limb_t{0};
        if (!negative) return magnitude;
        const bool borrow = lowest_one >= index * GMP_NUMB_BITS;
        return static_cast<mp_limb_t>(~(magnitude - (borrow ? 1 : 0))) & GMP_NUMB_MASK;
    }

    mpz_srcptr value;
    bool negative;
    mp_bitcnt_t lowest_one;
};

// Number of bits of |value|; 0 for 0. Read from the top limb, as this runs
// several times per sample.
inline uint64_t magnitude_bits(mpz_srcptr value) {
    const size_t limbs = limb_count(value);
    if (limbs == 0) return 0;
    mp_limb_t top = mpz_getlimbn(value, static_cast<mp_size_t>(limbs - 1));
    uint64_t bits = static_cast<uint64_t>(limbs - 1) * GMP_NUMB_BITS;
#if defined(__GNUC__)
    return bits + 64 - static_cast<uint64_t>(__builtin_clzll(static_cast<unsigned long long>(top)));
#else
    for (; top != 0; top >>= 1) ++bits;
    return bits;
#endif
}

// True when value lies in [-2^(width-1), 2^(width-1)), the range of a
// width-bit two's complement port; only 0 fits a port of width 0.
inline bool fits_twos_complement(mpz_srcptr value, uint64_t width) {
    const int size = value->_mp_size;
    if (size == 0) return true;
    if (width == 0) return false;
    const uint64_t bits = magnitude_bits(value);
    if (bits < width) return true;
    // -2^(width-1) is the one value of `width` magnitude bits that fits.
    // The sign is read only here, after the common case, so that no branch
    // on it comes before.
    const bool negative = (static_cast<unsigned>(size) >> 31) != 0;
    return negative && bits == width && mpz_scan1(value, 0) == width - 1;
}

#endif
