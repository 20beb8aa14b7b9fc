// The Radix-2 divider's sample loop: loads each divisor and dividend (only
// the bits the loop uses, used_operand_bits.h), flags zero divisors, and
// writes the register of the bit-serial loop through its closed form
// (closed_form.cpp).
#include <cstdint>
#include <gmp.h>

#include "engine/common/operand_reads.h"
#include "engine/common/signed_fields.h"
#include "engine/radix2/closed_form.h"
#include "engine/radix2/used_operand_bits.h"
#include "model/quodra_v5_1.h"

int quodra_v5_1::divide_radix2(qor_array_mpz *divisor, qor_array_mpz *dividend,
                               qor_array_mpz *quotient, qor_array_mpz * /*remainder*/,
                               qor_array_uint *div_by_zero, uint32_t count) const {
    // require_radix2_widths has made every width used here non-negative and
    // W + F representable.
    const radix2::radix2_shape shape = radix2::shape_of(config);
    const bool signed_operands = shape.signed_operands;
    const uint64_t dividend_bits = shape.dividend_bits;
    const uint64_t iterations = shape.iterations;
    const radix2::sample_word word = radix2::word_for(shape);
    const auto keep_divisor = [iterations](mpz_ptr target, mpz_srcptr stored) {
        radix2::keep_divisor_bits(target, stored, iterations);
    };
    const auto keep_dividend = [dividend_bits](mpz_ptr target, mpz_srcptr stored) {
        radix2::keep_dividend_bits(target, stored, dividend_bits);
    };
    radix2::radix2_registers r;
    for (uint32_t i = 0; i < count; ++i) {
        load_operand(divisor, i, r.divisor, keep_divisor);
        load_operand(dividend, i, r.dividend, keep_dividend);
        // A zero divisor is flagged but still runs: P never goes negative,
        // so every quotient bit comes out set.
        const bool zero_divisor = mpz_sgn(r.divisor.get()) == 0;
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, zero_divisor ? 1u : 0u, i);

        const bool negative = signed_operands &&
                              take_operand_magnitudes(r.divisor, r.dividend).quotient_negative();
        radix2::divide_sample(r, shape, word, negative);
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
    }
    return 0;
}
