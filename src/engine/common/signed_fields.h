// The output convention of the integer datapaths (remainder mode and
// Radix-2): the signed datapaths divide magnitudes and give the result its
// sign afterwards, and a signed result is delivered as the two's-complement
// pattern of its field, 2^width added once to a negative value.
#ifndef QUODRA_ENGINE_COMMON_SIGNED_FIELDS_H
#define QUODRA_ENGINE_COMMON_SIGNED_FIELDS_H

#include <gmp.h>

// Gives a non-negative magnitude its sign and maps it into a width-bit
// two's-complement field: negated when `negative`, then 2^width added once
// if it is below zero. Zero is never wrapped. `scratch` holds the power of
// two; its limbs are reused from call to call.
inline void apply_sign_in_field(mpz_ptr value, bool negative, mp_bitcnt_t width, mpz_ptr scratch) {
    if (!negative) {
        return;
    }
    mpz_neg(value, value);
    if (mpz_sgn(value) < 0) {
        mpz_set_ui(scratch, 0);
        mpz_setbit(scratch, width);
        mpz_add(value, value, scratch);
    }
}

// Signs of a signed operand pair, taken before both become magnitudes.
struct operand_signs {
    bool divisor_negative;
    bool dividend_negative;
    bool quotient_negative() const { return divisor_negative != dividend_negative; }
};

// Replaces both operands by their magnitudes and reports their signs: the
// signed datapaths divide magnitudes and apply the signs afterwards.
inline operand_signs take_operand_magnitudes(mpz_ptr divisor, mpz_ptr dividend) {
    const operand_signs signs{mpz_sgn(divisor) < 0, mpz_sgn(dividend) < 0};
    mpz_abs(divisor, divisor);
    mpz_abs(dividend, dividend);
    return signs;
}

#endif
