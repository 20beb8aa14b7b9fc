// The C face of the engine's word batch for the DPI library: one sample of
// 64-bit operand values through divide_word_batch, whose words are the
// values data_do writes for the same sample.
#include "quodra_dpi_words.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/driver/word_batch.h"
#include "engine/remainder/word_core.h"

namespace {

using quodra_internal::divide_word_batch;
using quodra_internal::result_words;
using quodra_internal::word_batch_status;
using quodra_internal::word_results;

int64_t as_int64(uint64_t bits) {
    int64_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint64_t as_bits(int64_t value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Runs `count` (0 or 1) samples; a count of 0 asks only whether the
// configuration is in reach, which the batch checks before any sample.
bool run_batch(const quodra_v5_1 &model, bool signed_operands, uint64_t dividend, uint64_t divisor,
               bool signed_quotient, std::size_t count, word_batch_sample &out) {
    int64_t signed_quotient_word = 0;
    word_results results;
    if (signed_quotient) {
        results.quotient.as_int64 = &signed_quotient_word;
    } else {
        results.quotient.as_uint64 = &out.quotient;
    }
    results.remainder.as_uint64 = &out.remainder;
    results.div_by_zero = &out.div_by_zero;
    word_batch_status status;
    if (signed_operands) {
        const int64_t n = as_int64(dividend);
        const int64_t d = as_int64(divisor);
        status = divide_word_batch(model, &d, &n, count, results);
    } else {
        status = divide_word_batch(model, &divisor, &dividend, count, results);
    }
    if (signed_quotient) {
        out.quotient = as_bits(signed_quotient_word);
    }
    return status == word_batch_status::divided;
}

remainder_words::signed_word<uint64_t> operand_word(uint64_t value, bool signed_operands) {
    const bool negative = signed_operands && as_int64(value) < 0;
    return {negative ? uint64_t{0} - value : value, negative}; // |-2^63| = 2^63
}

// A result wrapped into its field is never negative; unsigned results are
// magnitudes already.
bool field_pattern(remainder_words::signed_word<uint64_t> value, uint64_t &pattern) {
    pattern = value.magnitude;
    return !value.negative || value.magnitude == 0;
}

} // namespace

extern "C" int word_remainder_divide_one(int signed_operands, int dividend_width,
                                         int divisor_width, uint64_t dividend, uint64_t divisor,
                                         word_batch_sample *out) {
    const bool is_signed = signed_operands != 0;
    const remainder_words::signed_word<uint64_t> d = operand_word(divisor, is_signed);
    out->div_by_zero = d.magnitude == 0 ? 1u : 0u;
    if (d.magnitude == 0) {
        out->quotient = 0;
        out->remainder = 0;
        return 1;
    }
    const remainder_words::result_fields fields{is_signed, static_cast<uint64_t>(dividend_width),
                                                static_cast<uint64_t>(divisor_width)};
    if (is_signed && dividend_width <= 63 && divisor_width <= 63) {
        const remainder_words::field_patterns patterns =
            remainder_words::divide_signed_values(as_int64(divisor), as_int64(dividend), fields);
        out->quotient = patterns.quotient;
        out->remainder = patterns.remainder;
        return 1;
    }
    const auto result =
        remainder_words::divide_in_word(d, operand_word(dividend, is_signed), fields);
    return field_pattern(result.quotient, out->quotient) &&
           field_pattern(result.remainder, out->remainder);
}

extern "C" int word_batch_reaches(const quodra_v5_1 *model, int signed_operands,
                                  int signed_quotient) {
    word_batch_sample unused{0, 0, 0};
    return model != nullptr &&
           run_batch(*model, signed_operands != 0, 0, 0, signed_quotient != 0, 0, unused);
}

extern "C" int word_batch_divide_one(const quodra_v5_1 *model, int signed_operands,
                                     uint64_t dividend, uint64_t divisor, int signed_quotient,
                                     word_batch_sample *out) {
    return model != nullptr && out != nullptr &&
           run_batch(*model, signed_operands != 0, dividend, divisor, signed_quotient != 0, 1, *out);
}
