#include "check/check_report.h"

#include "check/row_comparison.h"
#include "numbers/machine_word.h"
#include "run/coverage_tally.h"

namespace quodra_div {

void check_report::add_agreeing(const sample &operands, const sample_result &model) {
    ++rows_;
    tally(coverage_, layout_, operands, model);
    if (!mapping_) return;
    map_.add(operands.dividend.get(), operands.divisor.get(), false,
             quodra_diagnosis::mismatch_class::unclassified);
}

void check_report::add_agreeing(uint64_t dividend, uint64_t divisor, const word_result &model) {
    if (!coverage_.counts_words()) {
        set_from_word(words_operands_.dividend.get(), dividend, layout_.dividend_range().is_signed());
        set_from_word(words_operands_.divisor.get(), divisor, layout_.divisor_range().is_signed());
        sample_result_from_words(layout_, model, words_model_);
        add_agreeing(words_operands_, words_model_);
        return;
    }
    const quodra_diagnosis::divided_words divided =
        divided_words_from(layout_, dividend, divisor, model);
    ++rows_;
    coverage_.add(divided);
    if (!mapping_) return;
    map_.add(divided.dividend, divided.divisor, false,
             quodra_diagnosis::mismatch_class::unclassified);
}

void check_report::add(const result_row &row, const sample_result &model, std::string &out) {
    fields_text_.clear();
    if (!compare_result_row(row, model, layout_, numbers_, fields_text_)) {
        add_agreeing(row.operands, model);
        return;
    }
    ++rows_;
    tally(coverage_, layout_, row.operands, model);
    ++differing_;
    const quodra_diagnosis::mismatch_class kind = classify(row, model);
    if (mapping_) map_.add(row.operands.dividend.get(), row.operands.divisor.get(), true, kind);
    if (shown_ < max_report_) {
        ++shown_;
        append_row_heading(row, layout_, numbers_, out);
        out += fields_text_;
    }
}

quodra_diagnosis::mismatch_class check_report::classify(const result_row &row,
                                                        const sample_result &model) {
    quodra_diagnosis::written_row written;
    if (row.fields[0].defined) written.quotient = row.fields[0].pattern.get();
    if (layout_.fields().size() > 1 && row.fields[1].defined) {
        written.second = row.fields[1].pattern.get();
    }
    written.div_by_zero = row.div_by_zero;
    const quodra_diagnosis::divided_sample divided = divided_from(layout_, row.operands, model);
    std::string example = "line " + std::to_string(row.line) + " (";
    numbers_.append_decimal(example, row.operands.dividend.get());
    example += " / ";
    numbers_.append_decimal(example, row.operands.divisor.get());
    example += ')';
    const quodra_diagnosis::mismatch_class kind = quodra_diagnosis::classify(shape_, divided, written);
    classes_.add(kind, divided, example);
    return kind;
}

std::string check_report::summary() const { return check_summary(differing_, rows_, shown_); }

std::string check_summary(uint64_t differing, uint64_t rows, uint64_t shown) {
    std::string text = std::to_string(differing) + " of " + std::to_string(rows) + " rows differ";
    if (shown > 0 && shown < differing) {
        text += " (first " + std::to_string(shown) + " shown)";
    }
    return text + '\n';
}

} // namespace quodra_div
