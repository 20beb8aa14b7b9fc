// Checking a DUT's results: a file in one of the tool's own formats holds
// samples and the outputs a design under test produced for them; every row
// is divided again by the model and each output field compared. Mismatches
// are reported row by row (the first few in full) with a closing count.
#ifndef QUODRA_DIV_CHECK_H
#define QUODRA_DIV_CHECK_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input.h"
#include "options.h"
#include "output_formats.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Recognising the format of a results file

// The format of a results file from its first non-blank line: '//' comments
// are hex, a "configuration" line or blank-separated column names are a
// table, comma-separated text is CSV; a bare data row is hex when it has as
// many columns as a hex row of the layout and no "0x" or "-" cell, else a
// table row.
output_format detect_results_format(std::string_view first_line, const result_layout &layout);

// ---------------------------------------------------------------------------
// One row of a results file

// One output field as the file gives it.
struct field_cell {
    bool defined = true;      // false: '-', empty, or hex digits with 'x'
    bool has_decimal = false; // table and CSV rows carry a decimal column
    big_integer decimal;
    big_integer pattern;      // the hex column's bit pattern
    std::string decimal_text; // as written, for reports
    std::string hex_text;
};

struct result_row {
    uint64_t line = 0;
    sample operands;
    field_cell fields[max_output_fields];
    bool has_real = false; // the real column of table and CSV, fractional mode
    bool real_defined = false;
    big_integer real_digits; // the real value is real_digits / 10^real_places
    unsigned real_places = 0;
    std::string real_text;
    bool flag_defined = true;
    bool div_by_zero = false;
};

// The expected header lines of a format, to tell them from data rows.
struct header_lines {
    // The configuration line without the configuration's name (the text
    // after `": `), and the column names, blank-separated (CSV: the line).
    std::string configuration;
    std::vector<std::string> columns;
};

header_lines expected_header(output_format format, const result_layout &layout,
                             const divider_settings &settings);

// The kind of line a results file line is.
enum class line_kind { blank, header, data };

// Parses one line of a results file in `format`. A blank line, or a header
// line that agrees with `header`, is returned as such; a data row is stored
// in row (all but row.line). Throws tool_error (bad input, without a
// position) for a malformed row, an operand outside its field, or a header
// line that disagrees with the configured flags.
line_kind parse_result_line(std::string_view line, output_format format,
                            const result_layout &layout, const header_lines &header,
                            const operand_fields &operand_ranges, result_row &row);

// ---------------------------------------------------------------------------
// Reading a results file back as stimulus (-i)

// The probe -i uses so that a file in one of the tool's own formats is read
// as samples: its dividend and divisor columns, the result columns ignored.
// The first line (neither blank nor a '#' comment) decides: a header line
// ('//' comment; `configuration "`; column names starting with "dividend",
// more than two of them) or a line that parses fully as a data row of the
// format detect_results_format names, for the configured flags, makes the
// file a results file; anything else is read as pairs. Hex operands must
// have exactly the digits the configured widths are written with. options
// and layout must outlive the probe and every reader it returns.
line_format_probe results_file_probe(const tool_options &options, const result_layout &layout);

// ---------------------------------------------------------------------------
// Comparing a row with the model

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

// The closing line: "N of M rows differ", and when fewer were shown in full,
// " (the first K are shown)".
std::string check_summary(uint64_t differing, uint64_t rows, uint64_t shown);

// ---------------------------------------------------------------------------
// The whole check

// Reads options.check_path a batch at a time, divides each batch with the
// model and writes the report to the output. Returns success when every row
// agrees, results_differ otherwise; throws tool_error for a malformed file,
// an unreadable one, one without rows, or a library failure.
exit_status check_results(const tool_options &options);

} // namespace quodra_div

#endif
