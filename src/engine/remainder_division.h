// Remainder-mode division: every sample divided exactly with truncation
// towards zero into an integer quotient and remainder. Also home of the
// output convention shared with the Radix-2 divider: a signed result is
// delivered as the two's-complement pattern of its field.
#ifndef QUODRA_ENGINE_REMAINDER_DIVISION_H
#define QUODRA_ENGINE_REMAINDER_DIVISION_H

#include <cstdint>
#include <gmp.h>

#include "quodra_v5_1.h"

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

// One sample with a non-zero divisor on GNU MP integers, the reference the
// word path is checked against: truncating division, and with signed
// operands the magnitudes divided (both operands are left holding their
// magnitudes), the quotient signed by the operand pair and the remainder by
// the dividend, each wrapped into its field.
void divide_exactly(mpz_ptr quotient, mpz_ptr remainder, mpz_ptr divisor, mpz_ptr dividend,
                    mpz_ptr scratch, bool signed_operands, mp_bitcnt_t quotient_width,
                    mp_bitcnt_t remainder_width);

// Divides samples 0 .. count-1 in remainder mode. The arrays have been
// checked by the driver (sizes, remainder present) and the widths by
// require_remainder_widths. Returns 0.
int divide_with_remainder(const quodra_v5_1 &model, qor_array_mpz *divisor, qor_array_mpz *dividend,
                          qor_array_mpz *quotient, qor_array_mpz *remainder,
                          qor_array_uint *div_by_zero, uint32_t count);

#endif
