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

__extension__ typedef __int128 double_word;

// numerator / 2^scale split into sign, integer part and fraction.
word_real real_of(double_word numerator, unsigned scale) {
    word_real real;
    real.negative = numerator < 0;
    __extension__ const unsigned __int128 magnitude =
        real.negative ? static_cast<unsigned __int128>(-numerator)
                      : static_cast<unsigned __int128>(numerator);
    real.integer = static_cast<uint64_t>(magnitude >> scale);
    real.fraction =
        static_cast<uint64_t>(magnitude & ((static_cast<unsigned __int128>(1) << scale) - 1));
    real.scale = scale;
    return real;
}

// The real value decode_fixed_point gives: the raw quotient / 2^F, except
// signed Radix-2, I + G / 2^(F-1) with I and G the two fields read as two's
// complement (I * 2^(F-1) + G can pass 64 bits: 128-bit arithmetic).
word_real fixed_point_real(const result_layout &layout, uint64_t quotient_bits,
                           const word_result &out) {
    const std::vector<output_field> &fields = layout.fields();
    const unsigned fraction_width = layout.fraction_width();
    const bool signed_radix2 = !layout.raw_quotient_signed() && fields[0].is_signed;
    if (!signed_radix2) {
        const double_word raw = layout.raw_quotient_signed()
                                    ? double_word{static_cast<int64_t>(quotient_bits)}
                                    : double_word{quotient_bits};
        return real_of(raw, fraction_width);
    }
    const auto integer = static_cast<int64_t>(field_value_word(out.field_patterns[0], fields[0]));
    if (fraction_width == 0) {
        return real_of(integer, 0);
    }
    const auto fraction = static_cast<int64_t>(field_value_word(out.field_patterns[1], fields[1]));
    return real_of(double_word{integer} * (double_word{1} << (fraction_width - 1)) + fraction,
                   fraction_width - 1);
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
        return true;
    }
    if (fields.size() > 1) {
        out.field_patterns[1] = quotient_bits & low_bits_mask(fraction_width);
    }
    out.real = fixed_point_real(layout, quotient_bits, out);
    return true;
}

void sample_result_from_words(const result_layout &layout, const word_result &result,
                              sample_result &out) {
    out.div_by_zero = result.div_by_zero;
    for (bool &known : out.field_known) {
        known = result.fields_known;
    }
    if (!result.fields_known) {
        return;
    }
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        set_from_word(out.field_values[f].get(), field_value_word(result.field_patterns[f], fields[f]),
                      fields[f].is_signed);
    }
    if (!layout.fractional()) {
        return;
    }
    // numerator = +/-(integer * 2^scale + fraction)
    mpz_ptr numerator = out.real_numerator.get();
    mpz_set_ui(numerator, result.real.integer);
    mpz_mul_2exp(numerator, numerator, result.real.scale);
    mpz_add_ui(numerator, numerator, result.real.fraction);
    if (result.real.negative) {
        mpz_neg(numerator, numerator);
    }
    out.real_scale = result.real.scale;
}

} // namespace quodra_div
