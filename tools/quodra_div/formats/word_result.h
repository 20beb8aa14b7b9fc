// One sample's results as the engine's word batch gives them, decoded into
// the bit patterns of the output fields, for fields up to 64 bits wide.
#ifndef QUODRA_DIV_FORMATS_WORD_RESULT_H
#define QUODRA_DIV_FORMATS_WORD_RESULT_H

#include <cstdint>

#include "formats/result_layout.h"
#include "numbers/word_text.h"

namespace quodra_div {

// The fields of result_layout::fields() as patterns of their own widths:
// the same bits that the hex column shows for sample_result's values.
struct word_result {
    uint64_t field_patterns[max_output_fields] = {0, 0};
    bool fields_known = true; // false: a zero divisor left the quotient undefined
    bool div_by_zero = false;
    // Fractional mode: the exact real value, sample_result's
    // real_numerator / 2^real_scale.
    word_real real;
};

// A field's value from its pattern: sign-extended when the field is signed.
inline uint64_t field_value_word(uint64_t pattern, const output_field &field) {
    if (!field.is_signed || field.width == 0 || field.width >= 64) {
        return pattern;
    }
    const uint64_t sign = uint64_t{1} << (field.width - 1);
    return (pattern ^ sign) - sign; // two's-complement sign extension
}

// The word planted in each quotient slot before a batch: a High Radix
// quotient of at most 63 signed bits never reaches -2^63, and an unsigned
// quotient narrower than 64 bits never reaches 2^64 - 1.
uint64_t unwritten_quotient_word(const result_layout &layout);

// Decodes one sample as result_layout::decode would: quotient_bits is the
// quotient word (a High Radix one read as int64), remainder is read in
// remainder mode only, flag is the div_by_zero word. Returns false, out
// untouched in part, when decode would refuse the result (a value outside
// its field, a missing quotient, a flag other than 0 or 1): the caller then
// divides the batch on the GNU MP route, which reports it.
bool decode_words(const result_layout &layout, uint64_t quotient_bits, uint64_t remainder,
                  uint32_t flag, word_result &out);

// The same result as result_layout::decode gives it, into out's GNU MP
// values (which keep their limbs from sample to sample): for what reads
// sample_result, the corner bins and the check's report.
void sample_result_from_words(const result_layout &layout, const word_result &result,
                              sample_result &out);

} // namespace quodra_div

#endif
