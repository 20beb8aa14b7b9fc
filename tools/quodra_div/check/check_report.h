// The report of --check: each differing row in full, up to --max-report of
// them, the classes of the differing rows, the corner bins the rows
// reached, then a closing count of every row that differs.
#ifndef QUODRA_DIV_CHECK_CHECK_REPORT_H
#define QUODRA_DIV_CHECK_CHECK_REPORT_H

#include <cstdint>
#include <string>

#include "diagnosis/corner_bins.h"
#include "diagnosis/mismatch_classes.h"
#include "diagnosis/operand_map.h"
#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "formats/word_result.h"
#include "numbers/number_text.h"

namespace quodra_div {

class check_report {
public:
    // The layout must outlive the report. With `mapping` false (no --map),
    // rows are not placed on the operand map, which then stays empty.
    check_report(const result_layout &layout, const quodra_diagnosis::divider_shape &shape,
                 uint64_t max_report, bool mapping = true)
        : layout_(layout), shape_(shape), max_report_(max_report), mapping_(mapping),
          coverage_(shape), classes_(shape), map_(shape) {}

    // Compares a row with the model's result for it; a differing row among
    // the first max_report is appended to out in full.
    void add(const result_row &row, const sample_result &model, std::string &out);
    // add() for a row already known to agree with the model: it is counted,
    // binned and mapped, and nothing is written.
    void add_agreeing(const sample &operands, const sample_result &model);
    // add_agreeing for fields up to 64 bits, from words: the operands'
    // two's-complement words and the model's decoded result.
    void add_agreeing(uint64_t dividend, uint64_t divisor, const word_result &model);

    uint64_t rows() const { return rows_; }
    bool all_agree() const { return differing_ == 0; }
    const quodra_diagnosis::corner_coverage &coverage() const { return coverage_; }
    const quodra_diagnosis::mismatch_tally &classes() const { return classes_; }
    const quodra_diagnosis::operand_map &map() const { return map_; }
    // The closing line, see check_summary.
    std::string summary() const;

private:
    // The row's class, counted among the classes.
    quodra_diagnosis::mismatch_class classify(const result_row &row, const sample_result &model);

    const result_layout &layout_;
    quodra_diagnosis::divider_shape shape_;
    uint64_t max_report_;
    bool mapping_;
    uint64_t rows_ = 0;
    uint64_t differing_ = 0;
    uint64_t shown_ = 0;
    number_text numbers_;
    std::string fields_text_;
    quodra_diagnosis::corner_coverage coverage_;
    quodra_diagnosis::mismatch_tally classes_;
    quodra_diagnosis::operand_map map_;
    sample words_operands_; // add_agreeing's GNU MP values of words, reused
    sample_result words_model_;
};

// The closing line: "N of M rows differ", and when fewer were shown in full,
// " (first K shown)".
std::string check_summary(uint64_t differing, uint64_t rows, uint64_t shown);

} // namespace quodra_div

#endif
