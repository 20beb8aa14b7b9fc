// CSV: its writer and its reader. A '#' comment naming the configuration
// (its widths above all, which the cells alone cannot show), a header row,
// then decimal values and 0x hex patterns; an output the library left
// undefined is an empty field.
#ifndef QUODRA_DIV_FORMATS_CSV_FORMAT_H
#define QUODRA_DIV_FORMATS_CSV_FORMAT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "formats/result_layout.h"
#include "formats/word_result.h"
#include "formats/result_row.h"
#include "numbers/number_text.h"
#include "samples/sample.h"

namespace quodra_div {

class csv_writer {
public:
    // summary: the configuration, for the first header line ("" for none).
    // The layout must outlive the writer.
    csv_writer(const result_layout &layout, std::string summary)
        : layout_(layout), summary_(std::move(summary)) {}

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);
    // The same row from words (fields up to 64 bits wide), with no GNU MP
    // call: the operands' two's-complement words and the decoded result.
    void append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                         std::string &out) const;

private:
    const result_layout &layout_;
    std::string summary_;
    number_text numbers_;
};

// Whether a trimmed, non-empty CSV line is a header line: a '#' comment or
// the header row, by its first cell alone.
bool is_csv_header(std::string_view text);

// Whether a trimmed, non-empty CSV line is a '#' comment, and whether it is
// the one that names the configuration.
bool is_csv_comment(std::string_view text);
bool is_csv_configuration_comment(std::string_view text);

// Reads one trimmed, non-empty CSV line: the configuration comment and the
// header row are checked against reading.header (other '#' comments are
// notes), a data row stored in row (all but row.line). Throws
// tool_error (bad input, without a position) when either is wrong.
line_kind read_csv_line(std::string_view text, const row_reading &reading, result_row &row);

} // namespace quodra_div

#endif
