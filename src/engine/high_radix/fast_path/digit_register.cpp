#include "engine/high_radix/fast_path/digit_register.h"

#include "engine/high_radix/fast_path/signed_limbs.h"

namespace {

constexpr unsigned digit_bits = 14;

} // namespace

void high_radix_digit_register::start(uint32_t digits) {
    limbs = static_cast<unsigned>((14 * uint64_t{digits} + 4 + 63) / 64);
    for (unsigned i = 0; i < limbs; ++i) limb[i] = 0;
    group = 0;
    grouped = 0;
}

// T = T * 2^(14 * grouped) + group, across the limbs.
void high_radix_digit_register::flush() {
    const unsigned bits = digit_bits * grouped;
    for (unsigned i = limbs - 1; i > 0; --i) {
        limb[i] = (limb[i] << bits) | (limb[i - 1] >> (64 - bits));
    }
    limb[0] <<= bits;
    // Add the group sign-extended: its low word, then its sign word with the
    // carries upwards.
    const uint64_t low = static_cast<uint64_t>(group);
    const uint64_t extension = group < 0 ? ~uint64_t{0} : 0;
    uint64_t carry = 0;
    for (unsigned i = 0; i < limbs; ++i) {
        const uint64_t addend = i == 0 ? low : extension;
        const uint64_t sum = limb[i] + addend;
        const uint64_t carried = sum + carry;
        carry = (sum < addend ? 1u : 0u) + (carried < sum ? 1u : 0u);
        limb[i] = carried;
    }
    group = 0;
    grouped = 0;
}

void high_radix_digit_register::round_into(mpz_ptr Q, bool negative_divisor, uint32_t pad,
                                           uint32_t shift) {
    if (grouped != 0) flush();
    // Negate (two's complement: invert, add one) for a negative divisor, and
    // add the rounding constant 2^pad; |T| leaves room for both.
    uint64_t value[max_limbs];
    uint64_t carry = negative_divisor ? 1u : 0u;
    for (unsigned i = 0; i < limbs; ++i) {
        const uint64_t word = negative_divisor ? ~limb[i] : limb[i];
        const uint64_t addend = (pad / 64 == i) ? uint64_t{1} << (pad % 64) : 0;
        const uint64_t sum = word + addend;
        const uint64_t carried = sum + carry;
        carry = (sum < addend ? 1u : 0u) + (carried < sum ? 1u : 0u);
        value[i] = carried;
    }
    // Arithmetic shift right: the sign fills from the top.
    const bool negative = (value[limbs - 1] >> 63) != 0;
    const uint64_t fill = negative ? ~uint64_t{0} : 0;
    for (unsigned i = 0; i < limbs; ++i) {
        const uint64_t above = i + 1 < limbs ? value[i + 1] : fill;
        value[i] = (value[i] >> shift) | (above << (64 - shift));
    }
    // Sign and magnitude, as GNU MP holds it.
    if (negative) {
        uint64_t borrow_free = 1;
        for (unsigned i = 0; i < limbs; ++i) {
            value[i] = ~value[i] + borrow_free;
            borrow_free = (borrow_free != 0 && value[i] == 0) ? 1u : 0u;
        }
    }
    write_signed(Q, value, limbs, negative);
}
