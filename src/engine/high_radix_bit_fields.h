// Reads fixed-width bit fields of a GNU MP integer as the hardware sees it:
// two's complement with the sign repeated above the top bit. Fields are read
// straight from the limbs, or from a fixed copy of them on the stack, so the
// High Radix divider slices its operands without allocating shifted copies.
#ifndef QUODRA_ENGINE_HIGH_RADIX_BIT_FIELDS_H
#define QUODRA_ENGINE_HIGH_RADIX_BIT_FIELDS_H

#include <gmp.h>

#include <cstdint>

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

#if defined(__SIZEOF_INT128__)
__extension__ typedef __int128 int128_word;
#endif

// The same fields of a value of up to `capacity` limbs, copied once into a
// fixed buffer in two's complement (or as its magnitude), so that each field
// is a plain read of one or two limbs.
class limb_fields {
public:
    static constexpr size_t capacity = 10;

    // value must have fewer than `capacity` limbs.
    limb_fields(mpz_srcptr value, bool magnitude_only) : count(mpz_size(value)) {
        const bool negative = !magnitude_only && mpz_sgn(value) < 0;
        fill = negative ? GMP_NUMB_MASK : 0;
        // -m is ~(m - 1): the borrow of the "- 1" runs through the low zero limbs.
        mp_limb_t borrow = negative ? 1 : 0;
        for (size_t i = 0; i < count; ++i) {
            const mp_limb_t magnitude = mpz_getlimbn(value, static_cast<mp_size_t>(i));
            if (!negative) {
                buffer[i] = magnitude;
                continue;
            }
            buffer[i] = static_cast<mp_limb_t>(~(magnitude - borrow)) & GMP_NUMB_MASK;
            borrow = borrow != 0 && magnitude == 0 ? 1 : 0;
        }
    }


    uint32_t field(int64_t position, uint32_t length) const {
        return field_with_zeros_below(*this, position, length);
    }

    uint32_t bits(uint64_t bit, uint32_t length) const { return bits_of_limbs(*this, bit, length); }

    // floor(value * 2^(-offset)) * 2^zeros with bits below `zeros` cleared,
    // that is bit p >= zeros of the result is bit p - zeros + offset of the
    // value, in `limbs` limbs (at most capacity) and the same sign: the
    // fields of a shifted operand become plain reads at fixed positions.
    static limb_fields shifted(const limb_fields &source, int64_t offset, uint64_t zeros,
                               size_t limbs) {
        limb_fields result;
        result.count = limbs;
        result.fill = source.fill;
        for (size_t i = 0; i < limbs; ++i) {
            const uint64_t low_bit = uint64_t{GMP_NUMB_BITS} * i;
            if (low_bit + GMP_NUMB_BITS <= zeros) {
                result.buffer[i] = 0;
                continue;
            }
            mp_limb_t word = source.limb_at(static_cast<int64_t>(low_bit) -
                                            static_cast<int64_t>(zeros) + offset);
            if (low_bit < zeros) word &= ~((mp_limb_t{1} << (zeros - low_bit)) - 1);
            result.buffer[i] = word;
        }
        result.buffer[limbs] = result.fill; // the sign above, for padded_bits()
        return result;
    }

    // For a value made by shifted(), whose sign limb above its `limbs` is
    // stored: `length` (<= 32) bits at `bit` (below 64 * limbs), cut from
    // the two limbs around it without testing where the field falls.
    uint32_t padded_bits(uint64_t bit, uint32_t length) const {
        const uint64_t index = bit / GMP_NUMB_BITS;
        const unsigned offset = static_cast<unsigned>(bit % GMP_NUMB_BITS);
        const uint64_t low = static_cast<uint64_t>(buffer[index]) >> offset;
        // Shifted in two steps: a shift by the full 64 bits is undefined.
        const uint64_t high = (static_cast<uint64_t>(buffer[index + 1]) << 1) << (63 - offset);
        return static_cast<uint32_t>((low | high) & ((uint64_t{1} << length) - 1));
    }

    // Limb `index` of a value made by shifted(), index <= its `limbs`.
    uint64_t padded_limb(size_t index) const { return buffer[index]; }

private:
    template <class Limbs> friend uint32_t bits_of_limbs(const Limbs &, uint64_t, uint32_t);

    limb_fields() = default;

    mp_limb_t limb(uint64_t index) const { return index < count ? buffer[index] : fill; }

    // The limb-wide field at `position`, zeros below bit 0.
    mp_limb_t limb_at(int64_t position) const {
        if (position < 0) {
            const uint64_t zeros = static_cast<uint64_t>(-position);
            return zeros >= GMP_NUMB_BITS ? 0 : static_cast<mp_limb_t>(limb(0) << zeros);
        }
        const uint64_t index = static_cast<uint64_t>(position) / GMP_NUMB_BITS;
        const unsigned offset = static_cast<unsigned>(position % GMP_NUMB_BITS);
        if (offset == 0) return limb(index);
        return static_cast<mp_limb_t>((limb(index) >> offset) |
                                      (limb(index + 1) << (GMP_NUMB_BITS - offset)));
    }

    size_t count;
    mp_limb_t fill;
    mp_limb_t buffer[capacity + 1]; // one more limb of sign for padded_bits()
};

// Number of bits of |value|; 0 for 0. Read from the top limb, as this runs
// several times per sample.
inline uint64_t magnitude_bits(mpz_srcptr value) {
    const size_t limbs = mpz_size(value);
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
    const int sign = mpz_sgn(value);
    if (sign == 0) return true;
    if (width == 0) return false;
    const uint64_t bits = magnitude_bits(value);
    if (bits < width) return true;
    // -2^(width-1) is the one value of `width` magnitude bits that fits.
    return sign < 0 && bits == width && mpz_scan1(value, 0) == width - 1;
}

#endif
