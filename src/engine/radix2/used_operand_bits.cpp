#include "engine/radix2/used_operand_bits.h"

#include "engine/common/twos_complement_fields.h"

namespace radix2 {

void keep_dividend_bits(mpz_ptr target, mpz_srcptr stored, uint64_t dividend_bits) {
    if (magnitude_bits(stored) <= dividend_bits) {
        mpz_set(target, stored);
        return;
    }
    // Truncation reads only the low limbs: target = sign(N) (|N| mod 2^W).
    mpz_tdiv_r_2exp(target, stored, dividend_bits);
    mpz_abs(target, target);
    mpz_setbit(target, dividend_bits);
    if (mpz_sgn(stored) < 0) {
        mpz_neg(target, target);
    }
}

void keep_divisor_bits(mpz_ptr target, mpz_srcptr stored, uint64_t iterations) {
    if (magnitude_bits(stored) <= iterations) {
        mpz_set(target, stored);
        return;
    }
    mpz_set_ui(target, 0);
    mpz_setbit(target, iterations);
    if (mpz_sgn(stored) < 0) {
        mpz_neg(target, target);
    }
}

} // namespace radix2
