// The word core of remainder mode: one sample with a non-zero divisor whose
// operand magnitudes fit a machine word, divided in that word. The driver
// reaches it from GNU MP operands (remainder_division.cpp) and the word
// batch from 64-bit operands (driver/word_batch.cpp); both write what
// divide_exactly (exact_division.cpp, the reference) gives.
#ifndef QUODRA_ENGINE_REMAINDER_WORD_CORE_H
#define QUODRA_ENGINE_REMAINDER_WORD_CORE_H

#include <cstdint>

#include "engine/common/machine_words.h"

namespace remainder_words {

// A value as sign and magnitude, as the operands and results are held.
template <class Word> struct signed_word {
    Word magnitude;
    bool negative;
};

// The fields of signed remainder mode (quotient: dividend width, remainder:
// divisor width), or none in unsigned mode.
struct result_fields {
    bool signed_operands;
    uint64_t quotient_width;
    uint64_t remainder_width;
    // Signed results wrap in a word only when both fields fit it.
    bool fit(unsigned word_bits) const {
        return !signed_operands || (quotient_width <= word_bits && remainder_width <= word_bits);
    }
};

// The signed field convention in words for fields no wider than the word:
// a negative non-zero magnitude m becomes 2^width - m, which is itself
// negative when m exceeds 2^width (an operand out of its range).
template <class Word> signed_word<Word> in_signed_field(signed_word<Word> value, uint64_t width) {
    const Word magnitude = value.magnitude;
    if (!value.negative || magnitude == 0) {
        return {magnitude, false};
    }
    if (width == machine_words::bits_of<Word>()) {
        return {Word{0} - magnitude, false};
    }
    const Word field = Word{1} << width;
    return magnitude <= field ? signed_word<Word>{field - magnitude, false}
                              : signed_word<Word>{magnitude - field, true};
}

template <class Word> struct quotient_and_remainder {
    signed_word<Word> quotient;
    signed_word<Word> remainder;
};

// Truncating division of the magnitudes, as mpz_tdiv_qr divides: the
// quotient negative when the signs differ, the remainder with the
// dividend's sign; with signed operands both then wrap into their fields.
// The divisor's magnitude is not zero, and `fields` fit the word.
// n / d for d != 0. A divide instruction takes longer the wider it is on
// many cores, and the commonest fields are 32 bits or less: magnitudes that
// fit 32 bits are divided in 32.
template <class Word> Word word_quotient(Word n, Word d) {
    if constexpr (machine_words::bits_of<Word>() > 32) {
        if (((n | d) >> 32) == 0) {
            return static_cast<uint32_t>(n) / static_cast<uint32_t>(d);
        }
    }
    return n / d;
}

template <class Word>
quotient_and_remainder<Word> divide_in_word(signed_word<Word> divisor, signed_word<Word> dividend,
                                            const result_fields &fields) {
    const Word quotient_magnitude = word_quotient(dividend.magnitude, divisor.magnitude);
    // One division: the remainder from the quotient, not a second call.
    quotient_and_remainder<Word> result{
        {quotient_magnitude, divisor.negative != dividend.negative},
        {dividend.magnitude - quotient_magnitude * divisor.magnitude, dividend.negative}};
    if (fields.signed_operands) {
        result.quotient = in_signed_field(result.quotient, fields.quotient_width);
        result.remainder = in_signed_field(result.remainder, fields.remainder_width);
    }
    return result;
}

// Signed remainder mode for operands that are values of their fields,
// both fields at most 63 bits wide: C's truncating / and % are
// mpz_tdiv_qr's, and a result's field pattern is the result modulo
// 2^width, the low bits of its two's complement (the one quotient that
// leaves its field, -2^(W-1) / -1, wraps to -2^(W-1) as in_signed_field
// wraps it). Nothing branches on a sign, which random samples would
// mispredict; operands of 32 bits divide in 32, and |n| <= 2^62 keeps the
// 64-bit quotient from overflowing. The divisor is not zero.
struct field_patterns {
    uint64_t quotient;
    uint64_t remainder;
};

inline bool fits_int32(int64_t value) { return value == static_cast<int32_t>(value); }

inline field_patterns divide_signed_values(int64_t divisor, int64_t dividend,
                                           const result_fields &fields) {
    int64_t quotient;
    int64_t remainder;
    if (fits_int32(divisor) && fits_int32(dividend) && divisor != -1) {
        quotient = static_cast<int32_t>(dividend) / static_cast<int32_t>(divisor);
        remainder = static_cast<int32_t>(dividend) % static_cast<int32_t>(divisor);
    } else {
        quotient = dividend / divisor;
        remainder = dividend % divisor;
    }
    return {machine_words::low_bits(static_cast<uint64_t>(quotient), fields.quotient_width),
            machine_words::low_bits(static_cast<uint64_t>(remainder), fields.remainder_width)};
}

} // namespace remainder_words

#endif
