// The Radix-2 fast path: each sample's register from the bit-serial loop's
// closed form, in one 64- or 128-bit division when the written value fits
// such a word, else in one GNU MP division, then the signed layout. Every
// form gives the loop's register (bit_serial_loop.cpp) bit for bit.
#include "engine/radix2/closed_form.h"

#include "engine/common/machine_words.h"
#include "engine/common/signed_fields.h"
#include "engine/radix2/word_core.h"

namespace radix2 {
namespace {

// True when 0 <= value < 2^bits is certain from the limb count alone, or
// else from the bit count.
bool within_bits(mpz_srcptr value, uint64_t bits) {
    return uint64_t{mpz_size(value)} * GMP_NUMB_BITS <= bits || mpz_sizeinbase(value, 2) <= bits;
}

} // namespace

// Beyond machine words the register comes from the loop's closed form. The
// loop is a non-restoring divider of the n-bit value X = (N mod 2^W) * 2^(n-W):
// with D > 0 its partial remainder is the restoring remainder of the bits
// entered so far, minus D exactly when the quotient bit is 0, so the register
// is floor(X / D). With D <= 0 the partial remainder never goes negative and
// every bit is set. One division replaces n additions of a possibly wide
// divisor, so the cost no longer grows with the divisor's width times n.
void closed_form(mpz_ptr q, mpz_ptr scratch, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                 uint64_t iterations) {
    if (mpz_sgn(d) <= 0) {
        mpz_set_ui(q, 0);
        mpz_setbit(q, iterations);
        mpz_sub_ui(q, q, 1);
        return;
    }
    // Bits of N at or above W never enter; a negative N enters as its
    // two's-complement bits, which floor reduction gives. A dividend already
    // within [0, 2^W) is shifted as it is, saving a copy.
    const uint64_t shift = iterations - dividend_bits;
    if (mpz_sgn(n) >= 0 && within_bits(n, dividend_bits)) {
        mpz_mul_2exp(scratch, n, shift);
    } else {
        mpz_fdiv_r_2exp(scratch, n, dividend_bits);
        mpz_mul_2exp(scratch, scratch, shift);
    }
    mpz_tdiv_q(q, scratch, d); // both positive: truncation is floor
}

namespace {

// Signed layout: the integer part I (upper bits) as a W-bit two's-complement
// field, shifted up by F, plus the fraction field G' = F-bit two's complement
// of a signed fraction with F - 1 fraction bits. Both take the result's sign.
void recombine_signed(mpz_ptr q, mpz_ptr g, mpz_ptr scratch, bool negative,
                      mp_bitcnt_t dividend_width, mp_bitcnt_t fractional_width) {
    mpz_tdiv_r_2exp(g, q, fractional_width);
    mpz_tdiv_q_2exp(q, q, fractional_width);
    apply_sign_in_field(q, negative, dividend_width, scratch);
    mpz_mul_2exp(q, q, fractional_width);
    mpz_tdiv_q_2exp(g, g, 1);
    apply_sign_in_field(g, negative, fractional_width, scratch);
    mpz_add(q, q, g);
}

// The same layout when the fraction field is at most one word: G comes from
// the register's low limb, I 2^F is the register less its low F bits, and a
// negative I 2^F wraps as -(I 2^F) mod 2^(W+F) = (2^W - I) 2^F, since I < 2^W.
// Four GNU MP calls instead of nine.
void recombine_signed_word_fraction(mpz_ptr q, bool negative, uint64_t dividend_width,
                                    uint64_t fractional_width) {
    using machine_words::low_bits;
    const uint64_t low = low_bits<uint64_t>(mpz_getlimbn(q, 0), fractional_width);
    uint64_t fraction = low >> 1;
    mpz_sub_ui(q, q, low);
    if (negative) {
        mpz_neg(q, q);
        mpz_fdiv_r_2exp(q, q, dividend_width + fractional_width);
        fraction = low_bits<uint64_t>(uint64_t{0} - fraction, fractional_width);
    }
    mpz_add_ui(q, q, fraction);
}

// The word core (word_core.h) from the registers: the divisor's sign and
// magnitude, the dividend's low bits as two's complement.
template <class Word>
void divide_in_word(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, const radix2_shape &shape,
                    bool negative) {
    using namespace machine_words;
    const divisor_word<Word> divisor{mpz_sgn(d) > 0, magnitude_fits<Word>(d), magnitude_of<Word>(d)};
    set_word(q, written_word<Word>(divisor, low_bits_of<Word>(n), shape, negative));
}

} // namespace

radix2_shape shape_of(const qor_quodra_v5_1_config &config) {
    const bool signed_operands = config.operand_sign == QUODRA_OPERAND_SIGNED;
    const auto dividend_bits = static_cast<uint64_t>(config.dividend_width);
    const bool fractional_output = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL;
    const auto fraction_bits =
        (fractional_output || signed_operands) ? static_cast<uint64_t>(config.fractional_width) : 0;
    const uint64_t iterations = fractional_output ? dividend_bits + fraction_bits : dividend_bits;
    return {signed_operands, dividend_bits, fraction_bits, iterations};
}

sample_word word_for(const radix2_shape &shape) {
    if (!machine_words::available) {
        return sample_word::none;
    }
    if (shape.written_bits() <= 64) {
        return sample_word::bits_64;
    }
#if defined(QUODRA_HAVE_UINT128)
    if (shape.written_bits() <= 128) {
        return sample_word::bits_128;
    }
#endif
    return sample_word::none;
}

// One sample's written value from the closed form, in a word when it fits
// one, else on GNU MP integers; every form gives the GNU MP loop's register
// bit for bit, and the same signed layout.
void divide_sample(radix2_registers &r, const radix2_shape &shape, sample_word word,
                   bool negative) {
    switch (word) {
    case sample_word::bits_64:
        divide_in_word<uint64_t>(r.quotient, r.divisor, r.dividend, shape, negative);
        return;
#if defined(QUODRA_HAVE_UINT128)
    case sample_word::bits_128:
        divide_in_word<machine_words::uint128>(r.quotient, r.divisor, r.dividend, shape, negative);
        return;
#endif
    default:
        break;
    }
    closed_form(r.quotient, r.scratch, r.divisor, r.dividend, shape.dividend_bits,
                shape.iterations);
    if (!shape.signed_operands) {
        return;
    }
    if (machine_words::available && shape.fraction_bits <= 64) {
        recombine_signed_word_fraction(r.quotient, negative, shape.dividend_bits,
                                       shape.fraction_bits);
    } else {
        recombine_signed(r.quotient, r.fraction, r.scratch, negative, shape.dividend_bits,
                         shape.fraction_bits);
    }
}

} // namespace radix2
