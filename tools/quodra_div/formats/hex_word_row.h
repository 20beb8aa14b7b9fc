// Hex data rows read straight into machine words, for checks of fields up
// to 64 bits: the rows the tool itself writes, without a GNU MP call.
#ifndef QUODRA_DIV_FORMATS_HEX_WORD_ROW_H
#define QUODRA_DIV_FORMATS_HEX_WORD_ROW_H

#include <cstdint>
#include <string_view>

#include "formats/result_layout.h"
#include "formats/result_row.h"

namespace quodra_div {

// A results row in words: result_row's content for a hex row.
struct word_row {
    uint64_t line = 0;
    uint64_t dividend = 0; // the operands' values as two's-complement words
    uint64_t divisor = 0;
    uint64_t patterns[max_output_fields] = {0, 0}; // the output cells' bits
    bool defined[max_output_fields] = {true, true};
    bool flag_defined = true;
    bool div_by_zero = false;
};

// Reads a trimmed hex line written as the tool writes data rows: cells
// separated by blanks, each operand and output pattern exactly the digits
// of its field's width and no wider than the field, an undefined output all
// 'x', the flag 0, 1 or x. Returns false, row unspecified, for any other
// line (a comment, a 0x prefix, a malformed or too wide cell): the reader
// of hex_format.h then reads it, or refuses it with its message. Every
// field must be 1 to 64 bits wide.
bool read_plain_hex_row(std::string_view text, const result_layout &layout, word_row &row);

// The same row in words and in GNU MP values (operands and fields of at
// most 64 bits). result_row_from_words leaves the cells' text empty: a hex
// row's report never shows it.
void words_from_result_row(const result_row &in, const result_layout &layout, word_row &out);
void result_row_from_words(const word_row &in, const result_layout &layout, result_row &out);

} // namespace quodra_div

#endif
