#include "run/coverage_tally.h"

#include <vector>

#include "numbers/machine_word.h"

namespace quodra_div {

quodra_diagnosis::divider_shape shape_of(const divider_settings &settings) {
    quodra_diagnosis::divider_shape shape;
    shape.algorithm = settings.algorithm_type;
    shape.is_signed = settings.signed_operands;
    shape.fractional = settings.fractional_output;
    shape.dividend_width = static_cast<unsigned>(settings.dividend_width);
    shape.divisor_width = static_cast<unsigned>(settings.divisor_width);
    shape.fraction_width =
        settings.fractional_output ? static_cast<unsigned>(settings.fractional_width) : 0;
    return shape;
}

quodra_diagnosis::divided_sample divided_from(const result_layout &layout, const sample &input,
                                              const sample_result &model) {
    quodra_diagnosis::divided_sample divided;
    divided.dividend = input.dividend.get();
    divided.divisor = input.divisor.get();
    divided.div_by_zero = model.div_by_zero;
    if (model.field_known[0]) divided.quotient = model.field_values[0].get();
    if (!layout.fractional()) {
        divided.remainder = model.field_values[1].get();
    } else {
        if (layout.fields().size() > 1 && model.field_known[1]) {
            divided.fraction = model.field_values[1].get();
        }
        // The exact written quotient in units of 2^-real_scale; High Radix
        // keeps its scale at the fraction width, which the bins expect.
        if (model.field_known[0]) divided.written_quotient = model.real_numerator.get();
    }
    return divided;
}

void tally(quodra_diagnosis::corner_coverage &coverage, const result_layout &layout,
           const sample &input, const sample_result &model) {
    coverage.add(divided_from(layout, input, model));
}

namespace {

quodra_diagnosis::word_value value_of(uint64_t word, bool is_signed) {
    return is_signed ? quodra_diagnosis::word_value{static_cast<int64_t>(word)}
                     : quodra_diagnosis::word_value{word};
}

} // namespace

quodra_diagnosis::divided_words divided_words_from(const result_layout &layout, uint64_t dividend,
                                                   uint64_t divisor, const word_result &result) {
    quodra_diagnosis::divided_words divided;
    divided.dividend = value_of(dividend, layout.dividend_range().is_signed());
    divided.divisor = value_of(divisor, layout.divisor_range().is_signed());
    divided.div_by_zero = result.div_by_zero;
    if (!result.fields_known) return divided;
    const std::vector<output_field> &fields = layout.fields();
    divided.has_quotient = true;
    divided.quotient =
        value_of(field_value_word(result.field_patterns[0], fields[0]), fields[0].is_signed);
    if (!layout.fractional()) return divided;
    if (fields.size() > 1) {
        divided.has_fraction = true;
        divided.fraction =
            value_of(field_value_word(result.field_patterns[1], fields[1]), fields[1].is_signed);
    }
    // real_numerator: +/-(integer * 2^scale + fraction), below 2^64.
    const quodra_diagnosis::word_value numerator =
        (quodra_diagnosis::word_value{result.real.integer} << result.real.scale) +
        quodra_diagnosis::word_value{result.real.fraction};
    divided.has_written_quotient = true;
    divided.written_quotient = result.real.negative ? -numerator : numerator;
    return divided;
}

void word_tally::add(uint64_t dividend, uint64_t divisor, const word_result &result) {
    if (coverage_.counts_words()) {
        coverage_.add(divided_words_from(layout_, dividend, divisor, result));
        return;
    }
    set_from_word(input_.dividend.get(), dividend, layout_.dividend_range().is_signed());
    set_from_word(input_.divisor.get(), divisor, layout_.divisor_range().is_signed());
    sample_result_from_words(layout_, result, result_);
    tally(coverage_, layout_, input_, result_);
}

} // namespace quodra_div
