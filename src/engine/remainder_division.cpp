#include "remainder_division.h"

#include "machine_words.h"
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

// One result of the word path as sign and magnitude.
struct word_result {
    uint64_t magnitude;
    bool negative;
};

// The signed field convention in words for fields of at most 64 bits: a
// negative non-zero magnitude m becomes 2^width - m, which is itself
// negative when m exceeds 2^width (an operand out of its range).
word_result in_signed_field(uint64_t magnitude, bool negative, uint64_t width) {
    if (!negative || magnitude == 0) {
        return {magnitude, false};
    }
    if (width == 64) {
        return {uint64_t{0} - magnitude, false};
    }
    const uint64_t field = uint64_t{1} << width;
    return magnitude <= field ? word_result{field - magnitude, false}
                              : word_result{magnitude - field, true};
}

// The fields of signed remainder mode, or none in unsigned mode.
struct result_fields {
    bool signed_operands;
    mp_bitcnt_t quotient_width;
    mp_bitcnt_t remainder_width;
    // Signed results wrap in words only when both fields fit one.
    bool fit_words() const {
        return !signed_operands || (quotient_width <= 64 && remainder_width <= 64);
    }
};

// One sample with a non-zero divisor in 64-bit words: false, with nothing
// changed, when an operand's magnitude does not fit a word, and the sample
// goes to divide_exactly instead. Truncating division of magnitudes gives
// what mpz_tdiv_qr gives: the quotient negative when the signs differ, the
// remainder with the dividend's sign.
bool divide_in_words(remainder_registers &r, const result_fields &fields) {
    using namespace machine_words;
    if (!magnitude_fits<uint64_t>(r.divisor) || !magnitude_fits<uint64_t>(r.dividend)) {
        return false;
    }
    const bool divisor_negative = mpz_sgn(r.divisor.get()) < 0;
    const bool dividend_negative = mpz_sgn(r.dividend.get()) < 0;
    const uint64_t divisor = magnitude_of<uint64_t>(r.divisor);
    const uint64_t dividend = magnitude_of<uint64_t>(r.dividend);
    word_result quotient{dividend / divisor, divisor_negative != dividend_negative};
    word_result remainder{dividend % divisor, dividend_negative};
    if (fields.signed_operands) {
        // The registers keep the magnitudes, as the GNU MP route leaves them.
        take_operand_magnitudes(r.divisor, r.dividend);
        quotient = in_signed_field(quotient.magnitude, quotient.negative, fields.quotient_width);
        remainder =
            in_signed_field(remainder.magnitude, remainder.negative, fields.remainder_width);
    }
    set_signed_word(r.quotient, quotient.magnitude, quotient.negative);
    set_signed_word(r.remainder, remainder.magnitude, remainder.negative);
    return true;
}

} // namespace

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

int divide_with_remainder(const quodra_v5_1 &model, qor_array_mpz *divisor, qor_array_mpz *dividend,
                          qor_array_mpz *quotient, qor_array_mpz *remainder,
                          qor_array_uint *div_by_zero, uint32_t count) {
    const bool signed_operands = model.config.operand_sign == QUODRA_OPERAND_SIGNED;
    // Only read in signed mode, where the width check has made them >= 0.
    const auto quotient_width = static_cast<mp_bitcnt_t>(model.config.dividend_width);
    const auto remainder_width = static_cast<mp_bitcnt_t>(model.config.divisor_width);

    const result_fields fields{signed_operands, quotient_width, remainder_width};
    const bool words = machine_words::available && fields.fit_words();

    remainder_registers r;
    for (uint32_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_get_data(divisor, r.divisor, i);
        qor_quodra_v5_1_qor_array_mpz_get_data(dividend, r.dividend, i);

        const bool zero_divisor = mpz_sgn(r.divisor.get()) == 0;
        if (zero_divisor) {
            mpz_set_ui(r.quotient, 0);
            mpz_set_ui(r.remainder, 0);
        } else if (!words || !divide_in_words(r, fields)) {
            divide_exactly(r.quotient, r.remainder, r.divisor, r.dividend, r.scratch,
                           signed_operands, quotient_width, remainder_width);
        }

        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
        qor_quodra_v5_1_qor_array_mpz_set_data(remainder, r.remainder, i);
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, zero_divisor ? 1u : 0u, i);
    }
    return 0;
}
