// CSV: its writer and its reader. A header row, then decimal values and
// 0x hex patterns; an output the library left undefined is an empty field.
#ifndef QUODRA_DIV_FORMATS_CSV_FORMAT_H
#define QUODRA_DIV_FORMATS_CSV_FORMAT_H

#include <string>
#include <string_view>

#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "numbers/number_text.h"
#include "samples/sample.h"

namespace quodra_div {

class csv_writer {
public:
    // The layout must outlive the writer.
    explicit csv_writer(const result_layout &layout) : layout_(layout) {}

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);

private:
    const result_layout &layout_;
    number_text numbers_;
};

// Whether a trimmed, non-empty CSV line is the header row, by its first
// cell alone.
bool is_csv_header(std::string_view text);

// Reads one trimmed, non-empty CSV line: the header row is checked against
// reading.header, a data row stored in row (all but row.line). Throws
// tool_error (bad input, without a position) when either is wrong.
line_kind read_csv_line(std::string_view text, const row_reading &reading, result_row &row);

} // namespace quodra_div

#endif
