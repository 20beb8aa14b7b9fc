#include "engine/remainder/remainder_division.h"

#include "engine/common/machine_words.h"
#include "engine/common/signed_fields.h"
#include "engine/common/working_integer.h"
#include "engine/remainder/word_core.h"

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

using remainder_words::result_fields;
using remainder_words::signed_word;

// One sample with a non-zero divisor in words (word_core.h): false, with
// nothing changed, when an operand's magnitude does not fit the word, and
// the sample goes on to a wider word or to divide_exactly.
template <class Word> bool divide_in_words(remainder_registers &r, const result_fields &fields) {
    using namespace machine_words;
    if (!magnitude_fits<Word>(r.divisor) || !magnitude_fits<Word>(r.dividend)) {
        return false;
    }
    const signed_word<Word> divisor{magnitude_of<Word>(r.divisor), mpz_sgn(r.divisor.get()) < 0};
    const signed_word<Word> dividend{magnitude_of<Word>(r.dividend), mpz_sgn(r.dividend.get()) < 0};
    const auto result = remainder_words::divide_in_word(divisor, dividend, fields);
    if (fields.signed_operands) {
        // The registers keep the magnitudes, as the GNU MP route leaves them.
        take_operand_magnitudes(r.divisor, r.dividend);
    }
    set_signed_word(r.quotient, result.quotient.magnitude, result.quotient.negative);
    set_signed_word(r.remainder, result.remainder.magnitude, result.remainder.negative);
    return true;
}

// The words one call may divide in, chosen once per call.
struct word_tiers {
    bool bits_64;
    bool bits_128;
};

word_tiers tiers_for(const result_fields &fields) {
    if (!machine_words::available) {
        return {false, false};
    }
#if defined(QUODRA_HAVE_UINT128)
    return {fields.fit(64), fields.fit(128)};
#else
    return {fields.fit(64), false};
#endif
}

// One sample in the narrowest word that holds it; false when none does.
bool divide_in_some_word(remainder_registers &r, const result_fields &fields,
                         const word_tiers &tiers) {
    if (tiers.bits_64 && divide_in_words<uint64_t>(r, fields)) {
        return true;
    }
#if defined(QUODRA_HAVE_UINT128)
    return tiers.bits_128 && divide_in_words<machine_words::uint128>(r, fields);
#else
    return false;
#endif
}

} // namespace

int divide_with_remainder(const quodra_v5_1 &model, qor_array_mpz *divisor, qor_array_mpz *dividend,
                          qor_array_mpz *quotient, qor_array_mpz *remainder,
                          qor_array_uint *div_by_zero, uint32_t count) {
    const bool signed_operands = model.config.operand_sign == QUODRA_OPERAND_SIGNED;
    // Only read in signed mode, where the width check has made them >= 0.
    const auto quotient_width = static_cast<mp_bitcnt_t>(model.config.dividend_width);
    const auto remainder_width = static_cast<mp_bitcnt_t>(model.config.divisor_width);

    const result_fields fields{signed_operands, quotient_width, remainder_width};
    const word_tiers tiers = tiers_for(fields);

    remainder_registers r;
    for (uint32_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_get_data(divisor, r.divisor, i);
        qor_quodra_v5_1_qor_array_mpz_get_data(dividend, r.dividend, i);

        const bool zero_divisor = mpz_sgn(r.divisor.get()) == 0;
        if (zero_divisor) {
            mpz_set_ui(r.quotient, 0);
            mpz_set_ui(r.remainder, 0);
        } else if (!divide_in_some_word(r, fields, tiers)) {
            divide_exactly(r.quotient, r.remainder, r.divisor, r.dividend, r.scratch,
                           signed_operands, quotient_width, remainder_width);
        }

        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
        qor_quodra_v5_1_qor_array_mpz_set_data(remainder, r.remainder, i);
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, zero_divisor ? 1u : 0u, i);
    }
    return 0;
}
