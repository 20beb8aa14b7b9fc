#include "formats/word_result.h"

#include <vector>

#include "numbers/machine_word.h"

namespace quodra_div {

namespace {

// Whether the quotient word lies in the raw quotient's field: a signed
// value of `width` bits (width <= 63, High Radix), or an unsigned pattern.
bool quotient_fits(const result_layout &layout, uint64_t bits) {
    const unsigned width = layout.raw_quotient_bits();
    if (!layout.raw_quotient_signed()) {
        return (bits & ~low_bits_mask(width)) == 0;
    }
    // Adding 2^(width-1) maps -2^(width-1) .. 2^(width-1) - 1 onto
    // 0 .. 2^width - 1, mod 2^64.
    const uint64_t offset = bits + (uint64_t{1} << (width - 1));
    return (offset & ~low_bits_mask(width)) == 0;
}

} // namespace

uint64_t unwritten_quotient_word(const result_layout &layout) {
    return layout.raw_quotient_signed() ? uint64_t{1} << 63 : ~uint64_t{0};
}

bool decode_words(const result_layout &layout, uint64_t quotient_bits, uint64_t remainder,
                  uint32_t flag, word_result &out) {
    if (flag > 1) {
        return false;
    }
    out.div_by_zero = flag == 1;
    if (!quotient_fits(layout, quotient_bits)) {
        // Only a zero divisor may leave the planted word in place.
        out.fields_known = false;
        return out.div_by_zero && quotient_bits == unwritten_quotient_word(layout);
    }
    out.fields_known = true;
    const std::vector<output_field> &fields = layout.fields();
    const unsigned fraction_width = layout.fraction_width();
    // The integer part is the quotient above the fraction field; its
    // pattern keeps the field's low bits, which a logical shift leaves
    // as an arithmetic one would (width + F <= 63 for High Radix).
    out.field_patterns[0] = (quotient_bits >> fraction_width) & low_bits_mask(fields[0].width);
    if (layout.has_remainder()) {
        if ((remainder & ~low_bits_mask(fields[1].width)) != 0) {
            return false;
        }
        out.field_patterns[1] = remainder;
    } else if (fields.size() > 1) {
        out.field_patterns[1] = quotient_bits & low_bits_mask(fraction_width);
    }
    return true;
}

} // namespace quodra_div
