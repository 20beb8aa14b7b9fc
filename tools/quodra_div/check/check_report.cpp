#include "check/check_report.h"

#include "check/row_comparison.h"
#include "run/coverage_tally.h"

namespace quodra_div {

void check_report::add(const result_row &row, const sample_result &model, std::string &out) {
    ++rows_;
    tally(coverage_, layout_, row.operands, model);
    fields_text_.clear();
    if (!compare_result_row(row, model, layout_, numbers_, fields_text_)) {
        return;
    }
    ++differing_;
    if (shown_ < max_report_) {
        ++shown_;
        append_row_heading(row, layout_, numbers_, out);
        out += fields_text_;
    }
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
