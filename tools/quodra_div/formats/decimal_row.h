// The data rows table and CSV files share: decimal operands, then a
// decimal and a 0x hex column per output field, the exact real value in
// fractional mode, and the div_by_zero flag. The two formats differ only
// in how cells are separated and which header lines they carry.
#ifndef QUODRA_DIV_FORMATS_DECIMAL_ROW_H
#define QUODRA_DIV_FORMATS_DECIMAL_ROW_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "formats/result_row.h"

namespace quodra_div {

// Columns of a table or CSV data row of the layout.
std::size_t decimal_row_columns(const result_layout &layout);

// Stores a row of exactly decimal_row_columns(layout) cells in row (all but
// row.line). Throws tool_error (bad input, without a position) for a
// malformed cell or an operand outside its field.
void parse_decimal_row(const std::vector<std::string_view> &cells, const row_reading &reading,
                       result_row &row);

} // namespace quodra_div

#endif
