#include "remainder_division.h"

#include "working_integer.h"

namespace {

// The working values of one call, reused sample after sample. A refused
// read leaves the previous sample's value in place, as the core would.
struct remainder_registers {
    working_integer divisor;
    working_integer dividend;
    working_integer quotient;
    working_integer remainder;
    working_integer scratch;
};

// One signed sample: magnitudes are divided, then the quotient takes the
// sign of the operand pair and the remainder the sign of the dividend.
void divide_signed(remainder_registers &r, mp_bitcnt_t quotient_width,
                   mp_bitcnt_t remainder_width) {
    const operand_signs signs = take_operand_magnitudes(r.divisor, r.dividend);
    mpz_tdiv_qr(r.quotient, r.remainder, r.dividend, r.divisor);
    apply_sign_in_field(r.quotient, signs.quotient_negative(), quotient_width, r.scratch);
    apply_sign_in_field(r.remainder, signs.dividend_negative, remainder_width, r.scratch);
}

} // namespace

int divide_with_remainder(const quodra_v5_1 &model, qor_array_mpz *divisor, qor_array_mpz *dividend,
                          qor_array_mpz *quotient, qor_array_mpz *remainder,
                          qor_array_uint *div_by_zero, uint32_t count) {
    const bool signed_operands = model.config.operand_sign == QUODRA_OPERAND_SIGNED;
    // Only read in signed mode, where the width check has made them >= 0.
    const auto quotient_width = static_cast<mp_bitcnt_t>(model.config.dividend_width);
    const auto remainder_width = static_cast<mp_bitcnt_t>(model.config.divisor_width);

    remainder_registers r;
    for (uint32_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_get_data(divisor, r.divisor, i);
        qor_quodra_v5_1_qor_array_mpz_get_data(dividend, r.dividend, i);

        const bool zero_divisor = mpz_sgn(r.divisor.get()) == 0;
        if (zero_divisor) {
            mpz_set_ui(r.quotient, 0);
            mpz_set_ui(r.remainder, 0);
        } else if (signed_operands) {
            divide_signed(r, quotient_width, remainder_width);
        } else {
            mpz_tdiv_qr(r.quotient, r.remainder, r.dividend, r.divisor);
        }

        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
        qor_quodra_v5_1_qor_array_mpz_set_data(remainder, r.remainder, i);
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, zero_divisor ? 1u : 0u, i);
    }
    return 0;
}
