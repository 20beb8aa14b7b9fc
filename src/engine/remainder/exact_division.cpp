// The reference of remainder mode: one sample on GNU MP integers, exact at
// any width. The word path of remainder_division.cpp gives the same results
// bit for bit where the operands fit machine words.
#include "engine/common/signed_fields.h"
#include "engine/remainder/remainder_division.h"

void divide_exactly(mpz_ptr quotient, mpz_ptr remainder, mpz_ptr divisor, mpz_ptr dividend,
                    mpz_ptr scratch, bool signed_operands, mp_bitcnt_t quotient_width,
                    mp_bitcnt_t remainder_width) {
    if (!signed_operands) {
        mpz_tdiv_qr(quotient, remainder, dividend, divisor);
        return;
    }
    const operand_signs signs = take_operand_magnitudes(divisor, dividend);
    mpz_tdiv_qr(quotient, remainder, dividend, divisor);
    apply_sign_in_field(quotient, signs.quotient_negative(), quotient_width, scratch);
    apply_sign_in_field(remainder, signs.dividend_negative, remainder_width, scratch);
}
