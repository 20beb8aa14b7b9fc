#include "engine/high_radix/fast_path/gathered_rounding.h"

#include "engine/common/machine_words.h"
#include "engine/high_radix/fast_path/signed_limbs.h"

#if defined(__SIZEOF_INT128__)
namespace {

constexpr unsigned digit_bits = 14;

// d[0 .. 3] as one number, most significant first: two pairs, then the
// pair of pairs, so the sum waits on two steps rather than four.
// |result| < 2^59.
int64_t four_digits(const int32_t *d) {
    constexpr int64_t radix = int64_t{1} << digit_bits;
    return (d[0] * radix + d[1]) * (radix * radix) + (d[2] * radix + d[3]);
}

using machine_words::int128;
using machine_words::uint128;

// floor(value / 2^s) for s in 1 .. 63, as two 64-bit shifts: a 128-bit
// shift by an unknown count also tests whether it reaches past 64 bits.
int128 shift_down(int128 value, unsigned s) {
    const auto low = static_cast<uint64_t>(value);
    const auto high = static_cast<int64_t>(value >> 64);
    const uint64_t new_low = (low >> s) | (static_cast<uint64_t>(high) << (64 - s));
    const uint128 high_word = static_cast<uint128>(static_cast<uint64_t>(high >> s)) << 64;
    return static_cast<int128>(high_word | new_low);
}

// value * 2^s mod 2^128 for s in 64 .. 127: only the low word survives.
uint128 shift_up_past_word(int128 value, unsigned s) {
    return static_cast<uint128>(static_cast<uint64_t>(value) << (s - 64)) << 64;
}

// d[0 .. 7] as one number, most significant first, negated when flip is
// -1 ((x ^ -1) + 1, without a branch on the sign): fours in 64-bit words
// (|four| < 2^59), then the word, so that the sum waits on three steps
// instead of eight. |result| < 2^115.
int128 signed_eight_digits(const int32_t *d, int128 flip) {
    const int128 part = int128{four_digits(d)} * (int128{1} << (4 * digit_bits)) + four_digits(d + 4);
    return (part ^ flip) - flip;
}

} // namespace

rounded_word round_gathered_word(const int32_t *digits, uint32_t count, bool negative_divisor,
                                 uint32_t pad, uint32_t shift) {
    const int128 flip = -int128{negative_divisor};
    const int128 rounding = static_cast<int128>(uint64_t{1} << pad);
    // digits[count - 8 .. count - 1], zeros of the lead before the string.
    return shift_down(signed_eight_digits(digits + count - gathered_digit_lead, flip) + rounding,
                      shift);
}

void round_gathered_digits(mpz_ptr Q, const int32_t *digits, uint32_t count,
                           bool negative_divisor, uint32_t pad, uint32_t shift) {
    // digits[to - 8 .. to - 1] (zeros before the string) in one signed word,
    // negated for a negative divisor.
    const int128 flip = -int128{negative_divisor};
    const auto signed_part = [&](uint32_t to) {
        return signed_eight_digits(digits + to - gathered_digit_lead, flip); // within the lead
    };
    constexpr uint32_t word_digits = max_word_digits;
    const auto rounding = static_cast<int128>(uint64_t{1} << pad);
    if (count <= word_digits) {
        const int128 rounded = round_gathered_word(digits, count, negative_divisor, pad, shift);
        const int128 sign = rounded >> 127; // 0 or -1
        const uint128 magnitude = static_cast<uint128>((rounded ^ sign) - sign);
        const uint64_t words[2] = {static_cast<uint64_t>(magnitude),
                                   static_cast<uint64_t>(magnitude >> 64)};
        write_signed(Q, words, 2, rounded < 0);
        return;
    }
    if (count <= 2 * word_digits) {
        // T = upper * 2^112 + lower with the last 8 digits in lower, so
        // Q = upper * 2^(112 - shift) + floor((lower + 2^pad) / 2^shift):
        // the 2^112 term passes the shift exactly. Q is formed in 256 bits,
        // as a signed top word over an unsigned bottom word.
        const int128 upper = signed_part(count - word_digits);
        const int128 lower = shift_down(signed_part(count) + rounding, shift);
        const uint32_t lift = digit_bits * word_digits - shift; // 96 .. 109
        const uint128 lifted = shift_up_past_word(upper, lift);
        const uint128 bottom = lifted + static_cast<uint128>(lower);
        const int128 top =
            shift_down(upper, 128 - lift) + (bottom < lifted ? 1 : 0) + (lower < 0 ? -1 : 0);
        const bool negative = top < 0;
        // Two's complement negation across both words when negative: the
        // low word's +1 carries into the top word when the low word is 0.
        const uint128 sign = static_cast<uint128>(top >> 127); // 0 or all ones
        const uint128 low_word = (bottom ^ sign) - sign;
        const uint128 high_word =
            (static_cast<uint128>(top) ^ sign) + (sign & uint128{bottom == 0 ? 1u : 0u});
        const uint64_t words[4] = {
            static_cast<uint64_t>(low_word), static_cast<uint64_t>(low_word >> 64),
            static_cast<uint64_t>(high_word), static_cast<uint64_t>(high_word >> 64)};
        write_signed(Q, words, 4, negative);
        return;
    }
    // |T| < 2^(14 count + 3): the limbs below, plus one for the sign.
    constexpr unsigned max_limbs = (digit_bits * max_gathered_digits + 4 + 63) / 64 + 2;
    uint64_t limb[max_limbs];
    unsigned limbs = 0;
    // The sum from the last digit up, in two's complement limbs. Four digits
    // at a time form one group (|group| < 2^59) at a multiple of 56 bits;
    // `pending` holds what lies at and above bit 64 * limbs, and a limb is
    // complete once a group's position passes it. The top group may reach
    // into the lead of zeros.
    int128 pending = int128{1} << pad;
    const int64_t sign = negative_divisor ? -1 : 1;
    for (uint32_t low = 0; low < count; low += 4) {
        const int64_t group = four_digits(digits + count - low - 4);
        uint32_t offset = digit_bits * low - 64 * limbs;
        if (offset >= 64) {
            limb[limbs++] = static_cast<uint64_t>(pending);
            pending >>= 64; // arithmetic: the sign stays
            offset -= 64;
        }
        pending += static_cast<int128>(sign * group) * (int128{1} << offset);
    }
    limb[limbs++] = static_cast<uint64_t>(pending);
    limb[limbs++] = static_cast<uint64_t>(pending >> 64);
    // Arithmetic shift right: the sign fills from the top.
    const bool negative = (limb[limbs - 1] >> 63) != 0;
    for (unsigned i = 0; i + 1 < limbs; ++i) {
        limb[i] = (limb[i] >> shift) | (limb[i + 1] << (64 - shift));
    }
    limb[limbs - 1] = static_cast<uint64_t>(static_cast<int64_t>(limb[limbs - 1]) >> shift);
    // Sign and magnitude, as GNU MP holds it.
    if (negative) {
        uint64_t carry = 1;
        for (unsigned i = 0; i < limbs; ++i) {
            limb[i] = ~limb[i] + carry;
            carry = (carry != 0 && limb[i] == 0) ? 1u : 0u;
        }
    }
    write_signed(Q, limb, limbs, negative);
}
#endif
