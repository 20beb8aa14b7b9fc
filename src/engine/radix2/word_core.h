// The word core of the Radix-2 divider: one sample's written value from the
// bit-serial loop's closed form in one 64- or 128-bit division, for a call
// whose written value fits the word (radix2_shape::written_bits). The fast
// path reaches it from GNU MP operands (closed_form.cpp) and the word batch
// from 64-bit operands (driver/word_batch.cpp); both give the register of
// the loop (bit_serial_loop.cpp) bit for bit, and the same signed layout.
#ifndef QUODRA_ENGINE_RADIX2_WORD_CORE_H
#define QUODRA_ENGINE_RADIX2_WORD_CORE_H

#include <cstdint>

#include "engine/common/machine_words.h"
#include "engine/radix2/closed_form.h"

namespace radix2 {

// The divisor as the closed form looks at it: its sign, and its magnitude
// when that fits the word (a wider one exceeds every value X the loop
// divides).
template <class Word> struct divisor_word {
    bool positive;
    bool fits;
    Word magnitude;
};

// The register of one sample. `entered` holds the dividend bits the loop
// reads, N mod 2^W (unsigned: N's two's-complement bits; signed: |N|'s
// bits). D <= 0 sets all n bits; D > 0 gives floor(X / D) with
// X = entered * 2^(n - W) < 2^n, and 0 for a divisor wider than the word.
template <class Word>
Word closed_form_word(const divisor_word<Word> &d, Word entered, const radix2_shape &shape) {
    using namespace machine_words;
    if (!d.positive) {
        return low_bits(~Word{0}, shape.iterations);
    }
    if (!d.fits || shape.dividend_bits == 0) {
        return 0;
    }
    return (low_bits(entered, shape.dividend_bits) << (shape.iterations - shape.dividend_bits)) /
           d.magnitude;
}

// -value as a width-bit two's-complement field, for 0 <= value < 2^width:
// zero stays zero, anything else becomes 2^width - value.
template <class Word> Word negated_in_field(Word value, uint64_t width) {
    return machine_words::low_bits(Word{0} - value, width);
}

// Signed layout of the register u: the integer part I (upper bits) as a
// W-bit two's-complement field, shifted up by F, plus the fraction field,
// the F-bit two's complement of a signed fraction with F - 1 fraction
// bits. Both take the result's sign.
template <class Word> Word signed_layout_word(Word u, bool negative, const radix2_shape &shape) {
    using namespace machine_words;
    Word integer = shifted_right(u, shape.fraction_bits);
    Word fraction = low_bits(u, shape.fraction_bits) >> 1;
    if (negative) {
        integer = negated_in_field(integer, shape.dividend_bits);
        fraction = negated_in_field(fraction, shape.fraction_bits);
    }
    return shifted_left(integer, shape.fraction_bits) + fraction;
}

// The value written for one sample: the register, in the signed layout when
// the operands are signed (`negative` is then the result's sign).
template <class Word>
Word written_word(const divisor_word<Word> &d, Word entered, const radix2_shape &shape,
                  bool negative) {
    const Word value = closed_form_word(d, entered, shape);
    return shape.signed_operands ? signed_layout_word(value, negative, shape) : value;
}

} // namespace radix2

#endif
