#include "engine/high_radix/reference/setup.h"

#include "engine/common/twos_complement_fields.h"

namespace {

constexpr uint32_t fraction_bits = 26;

} // namespace

void reduce_beyond_port_width(mpz_ptr target, mpz_srcptr source, int64_t width, mpz_ptr scratch) {
    if (width <= 0) {
        mpz_set_ui(target, 0);
        return;
    }
    const mp_bitcnt_t bits = static_cast<mp_bitcnt_t>(width);
    // Floor reduction of a negative source still reads only its low limbs.
    mpz_fdiv_r_2exp(target, source, bits);
    if (mpz_tstbit(target, bits - 1)) {
        mpz_set_ui(scratch, 0);
        mpz_setbit(scratch, bits);
        mpz_sub(target, target, scratch);
    }
}

uint32_t normalisation_shift(mpz_srcptr magnitude, uint32_t width) {
    return width - static_cast<uint32_t>(magnitude_bits(magnitude));
}

uint32_t divisor_fraction(mpz_srcptr normalised, uint32_t width, mpz_ptr scratch) {
    const uint32_t leading_one = width - 1;
    if (width <= fraction_bits + 1) {
        // At most 27 bits: the fraction field fits a machine word.
        const unsigned long below = mpz_get_ui(normalised) - (1ul << leading_one);
        return static_cast<uint32_t>(below << (fraction_bits + 1 - width));
    }
    mpz_tdiv_q_2exp(scratch, normalised, width - (fraction_bits + 1));
    return static_cast<uint32_t>(mpz_get_ui(scratch) - (1ul << fraction_bits));
}

void scale_divisor(mpz_ptr M, uint32_t reciprocal, mpz_srcptr normalised, uint32_t pad) {
    mpz_mul_ui(M, normalised, reciprocal);
    mpz_mul_2exp(M, M, pad);
}

void align_dividend(mpz_ptr X, mpz_srcptr dividend, uint32_t shift, uint32_t drop) {
    mpz_mul_2exp(X, dividend, shift);
    mpz_fdiv_q_2exp(X, X, drop);
}

void round_digit_string(mpz_ptr Q, mpz_srcptr T, bool negative_divisor, uint32_t pad,
                        uint32_t shift, mpz_ptr scratch) {
    if (negative_divisor) {
        mpz_neg(Q, T);
    } else {
        mpz_set(Q, T);
    }
    mpz_set_ui(scratch, 0);
    mpz_setbit(scratch, pad);
    mpz_add(Q, Q, scratch);
    mpz_fdiv_q_2exp(Q, Q, shift);
}
