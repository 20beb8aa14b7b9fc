// The readable table: its writer and its reader. Aligned columns, decimal
// and 0x hex for every output field, and in fractional mode the quotient
// as an exact real number. Column widths follow from the field widths, so
// rows stream out aligned batch by batch.
#ifndef QUODRA_DIV_FORMATS_TABLE_FORMAT_H
#define QUODRA_DIV_FORMATS_TABLE_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "formats/word_result.h"
#include "numbers/number_text.h"
#include "samples/sample.h"

namespace quodra_div {

class table_writer {
public:
    // summary: the configuration line shown above the column names ("" for
    // none). The layout must outlive the writer.
    table_writer(const result_layout &layout, std::string summary);

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);
    // The same row from words (fields up to 64 bits wide): the operands'
    // two's-complement words and the decoded result, with no GNU MP call.
    void append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                         std::string &out) const;

private:
    void add_column(const std::string &header, std::size_t value_chars);
    void append_cell(std::string &out, std::size_t column, std::string_view text) const;
    std::string real_cell(const sample_result &result);

    const result_layout &layout_;
    std::string summary_;
    std::vector<std::string> headers_;
    std::vector<std::size_t> widths_;
    number_text numbers_;
    std::string cell_;
};

// Whether a trimmed, non-empty table line is a header line (the
// configuration line or the column names), by its first cell alone.
bool is_table_header(std::string_view text);

// Reads one trimmed, non-empty line of a table: a header line is checked
// against reading.header, a data row stored in row (all but row.line).
// Throws tool_error (bad input, without a position) when either is wrong.
line_kind read_table_line(std::string_view text, const row_reading &reading, result_row &row);

} // namespace quodra_div

#endif
