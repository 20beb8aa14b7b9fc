// Hex golden vectors: their writer and their reader. One line per sample,
// every field a fixed-width hex bit pattern of its own width, separated by
// one space:
//   dividend divisor quotient remainder|fraction div_by_zero
// The header is '//' comments, written only on request, since $fscanf
// stops at them while $readmemh skips them. An undefined output is all 'x'
// digits, which $readmemh loads as unknown bits.
#ifndef QUODRA_DIV_FORMATS_HEX_FORMAT_H
#define QUODRA_DIV_FORMATS_HEX_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "formats/word_result.h"
#include "numbers/number_text.h"
#include "samples/sample.h"

namespace quodra_div {

class hex_writer {
public:
    // summary: the configuration, the first header comment ("" for none).
    // The layout must outlive the writer.
    hex_writer(const result_layout &layout, std::string summary);

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);
    // The same row from words (fields up to 64 bits wide): the operands'
    // two's-complement words and the decoded result, with no GNU MP call.
    void append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                         std::string &out) const;

private:
    const result_layout &layout_;
    std::string summary_;
    number_text numbers_;
};

// Columns of a hex data row of the layout.
std::size_t hex_row_columns(const result_layout &layout);

// Whether a trimmed, non-empty hex line is a '//' comment.
bool is_hex_comment(std::string_view text);

// Reads one trimmed, non-empty hex line: a comment is a header line (the
// tool's own two are checked against reading.header), a data row is stored
// in row (all but row.line). Throws tool_error (bad input, without a
// position) when either is wrong.
line_kind read_hex_line(std::string_view text, const row_reading &reading, result_row &row);

} // namespace quodra_div

#endif
