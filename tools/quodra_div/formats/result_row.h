// The rows of a results file as the readers of every format see them.
#ifndef QUODRA_DIV_FORMATS_RESULT_ROW_H
#define QUODRA_DIV_FORMATS_RESULT_ROW_H

#include <cstdint>
#include <string>
#include <vector>

#include "formats/result_layout.h"
#include "numbers/big_integer.h"
#include "samples/sample.h"

namespace quodra_div {

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

// The kind of line a results file line is.
enum class line_kind { blank, header, data };

// What a reader needs besides the line: the layout the file was written
// for, the header lines that layout has, and the operand fields.
struct row_reading {
    const result_layout &layout;
    const header_lines &header;
    const operand_fields &operands;
};

} // namespace quodra_div

#endif
