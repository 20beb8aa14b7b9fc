// The cells of results-file lines, shared by the table, CSV and hex
// readers: splitting a line, the cells every format has (hex patterns,
// the div_by_zero flag) and the checks of the header lines.
#ifndef QUODRA_DIV_FORMATS_CELLS_H
#define QUODRA_DIV_FORMATS_CELLS_H

#include <gmp.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/output_format.h"
#include "formats/result_row.h"

namespace quodra_div {

bool is_blank(char c);
std::string_view trimmed(std::string_view text);
bool starts_with(std::string_view text, std::string_view prefix);

// Table and hex rows: cells separated by blanks.
std::vector<std::string_view> blank_separated(std::string_view line);
// CSV rows: every comma separates, so an empty cell stays a cell.
std::vector<std::string_view> comma_separated(std::string_view line);

// A cell that stands for an output the file leaves undefined.
bool is_undefined_marker(std::string_view cell);

// Throws tool_error (bad input): "malformed WHAT 'CELL': expected EXPECTED".
[[noreturn]] void malformed(const std::string &what, std::string_view cell, const char *expected);

// A hex pattern, with or without 0x; 'x' digits make it undefined.
// Returns false when undefined; throws tool_error when malformed.
bool parse_pattern(std::string_view cell, const std::string &what, mpz_ptr pattern);

// The div_by_zero column: 0, 1, or undefined ('-', empty, x).
void parse_flag(std::string_view cell, result_row &row);

// Throws tool_error unless a data row has the `wanted` columns of the format.
void require_columns(const std::vector<std::string_view> &cells, std::size_t wanted,
                     output_format format);

// `configuration "NAME": ...`: everything after the name must agree with the
// flags. The name itself may differ (-n only labels library messages).
void check_configuration_line(std::string_view line, const header_lines &header);

// The column names must be those of the configured layout.
void check_column_names(const std::vector<std::string_view> &cells, const header_lines &header);

} // namespace quodra_div

#endif
