// Reading a file in one of the tool's own formats: which format it is, the
// header lines the configuration gives it, and each line read by the
// reader of its format.
#ifndef QUODRA_DIV_FORMATS_RESULTS_FORMAT_H
#define QUODRA_DIV_FORMATS_RESULTS_FORMAT_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "cli/divider_settings.h"
#include "formats/output_format.h"
#include "formats/result_layout.h"
#include "formats/result_row.h"

namespace quodra_div {

// The format of a results file from its first non-blank line: '//' comments
// are hex, a "configuration" line or blank-separated column names are a
// table, comma-separated text is CSV; a bare data row is hex when it has as
// many columns as a hex row of the layout and no "0x" or "-" cell, else a
// table row.
output_format detect_results_format(std::string_view first_line, const result_layout &layout);

// Columns of a data row of the format.
std::size_t data_row_columns(output_format format, const result_layout &layout);

// The cells of a trimmed line, split the way the format separates them.
std::vector<std::string_view> cells_of(std::string_view text, output_format format);

// The header lines the format has for the configuration.
header_lines expected_header(output_format format, const result_layout &layout,
                             const divider_settings &settings);

// Parses one line of a results file in `format`. A blank line, or a header
// line that agrees with `header`, is returned as such; a data row is stored
// in row (all but row.line). Throws tool_error (bad input, without a
// position) for a malformed row, an operand outside its field, or a header
// line that disagrees with the configured flags.
line_kind parse_result_line(std::string_view line, output_format format,
                            const result_layout &layout, const header_lines &header,
                            const operand_fields &operand_ranges, result_row &row);

// Blank, header or data, by the line's shape alone: the same tests
// parse_result_line makes before it checks a header or parses a row.
line_kind classify_result_line(std::string_view line, output_format format);

} // namespace quodra_div

#endif
