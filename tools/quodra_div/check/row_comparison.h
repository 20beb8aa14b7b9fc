// One row of a DUT's results file against the model's result for it.
#ifndef QUODRA_DIV_CHECK_ROW_COMPARISON_H
#define QUODRA_DIV_CHECK_ROW_COMPARISON_H

#include <string>

#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "numbers/number_text.h"

namespace quodra_div {

// Compares every field of a row with the model's result; appends the report
// lines of each differing field to report (nothing when the row agrees) and
// returns whether the row differs. An output the model leaves undefined
// matches whatever the file holds.
bool compare_result_row(const result_row &row, const sample_result &model,
                        const result_layout &layout, number_text &numbers, std::string &report);

// The first line of a differing row's report:
//   "line 12: dividend 100 (0x64), divisor 7 (0x07)"
void append_row_heading(const result_row &row, const result_layout &layout,
                        number_text &numbers, std::string &out);

} // namespace quodra_div

#endif
