#include "formats/hex_word_row.h"

#include <vector>

#include "formats/word_result.h"
#include "numbers/machine_word.h"
#include "numbers/number_text.h"

namespace quodra_div {

namespace {

// Hex digit values, 16 for every other character.
struct digit_table {
    unsigned char value[256];
    constexpr digit_table() : value() {
        for (int c = 0; c < 256; ++c) value[c] = 16;
        for (int d = 0; d < 10; ++d) value['0' + d] = static_cast<unsigned char>(d);
        for (int d = 0; d < 6; ++d) {
            value['a' + d] = static_cast<unsigned char>(10 + d);
            value['A' + d] = static_cast<unsigned char>(10 + d);
        }
    }
};
constexpr digit_table digits;

// is_blank of cells.h, here where every character of a file passes.
inline bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The next blank-separated cell of text from `at` on; empty at the end.
std::string_view next_cell(std::string_view text, std::size_t &at) {
    while (at < text.size() && blank(text[at])) ++at;
    const std::size_t begin = at;
    while (at < text.size() && !blank(text[at])) ++at;
    return text.substr(begin, at - begin);
}

// A pattern of exactly hex_digits(width) digits within width bits. Every
// cell of a checked row passes here and in read_operand, which are kept
// inline in the row readers.
[[gnu::always_inline]] inline bool read_pattern(std::string_view cell, unsigned width, uint64_t &bits) {
    if (cell.size() != hex_digits(width)) return false;
    bits = 0;
    for (char c : cell) {
        const unsigned digit = digits.value[static_cast<unsigned char>(c)];
        if (digit > 15) return false;
        bits = (bits << 4) | digit;
    }
    return (bits & ~low_bits_mask(width)) == 0;
}

bool all_x(std::string_view cell, unsigned width) {
    if (cell.size() != hex_digits(width)) return false;
    for (char c : cell) {
        if (c != 'x') return false;
    }
    return true;
}

[[gnu::always_inline]] inline bool read_operand(std::string_view cell, const operand_range &range, uint64_t &word) {
    uint64_t bits = 0;
    if (!read_pattern(cell, range.width(), bits)) return false;
    const uint64_t sign = range.is_signed() ? uint64_t{1} << (range.width() - 1) : 0;
    word = (bits ^ sign) - sign; // two's-complement sign extension
    return true;
}

// A row exactly as the tool writes it: cells of their digits, one space
// apart, a defined flag. Read in place, without looking for blanks.
bool read_tool_written_row(std::string_view text, const result_layout &layout, word_row &row) {
    const std::vector<output_field> &fields = layout.fields();
    std::size_t at = 0;
    const auto cell = [&](unsigned width) {
        const std::size_t length = hex_digits(width);
        const std::string_view digits = text.substr(at, length);
        at += length + 1;
        return digits;
    };
    std::size_t length = hex_digits(layout.dividend_range().width()) +
                         hex_digits(layout.divisor_range().width()) + 2 + fields.size() + 1;
    for (const output_field &field : fields) length += hex_digits(field.width);
    if (text.size() != length) return false;
    if (!read_operand(cell(layout.dividend_range().width()), layout.dividend_range(), row.dividend) ||
        text[at - 1] != ' ' ||
        !read_operand(cell(layout.divisor_range().width()), layout.divisor_range(), row.divisor) ||
        text[at - 1] != ' ') {
        return false;
    }
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::string_view digits = cell(fields[f].width);
        if (text[at - 1] != ' ') return false;
        row.defined[f] = true;
        if (!read_pattern(digits, fields[f].width, row.patterns[f])) {
            return false; // 'x' cells too: the general reader takes them
        }
    }
    const char flag = text[at];
    if (flag != '0' && flag != '1') return false;
    row.flag_defined = true;
    row.div_by_zero = flag == '1';
    return true;
}

} // namespace

bool read_plain_hex_row(std::string_view text, const result_layout &layout, word_row &row) {
    if (read_tool_written_row(text, layout, row)) {
        return true;
    }
    std::size_t at = 0;
    if (!read_operand(next_cell(text, at), layout.dividend_range(), row.dividend) ||
        !read_operand(next_cell(text, at), layout.divisor_range(), row.divisor)) {
        return false;
    }
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::string_view cell = next_cell(text, at);
        row.defined[f] = !all_x(cell, fields[f].width);
        if (row.defined[f] && !read_pattern(cell, fields[f].width, row.patterns[f])) {
            return false;
        }
    }
    const std::string_view flag = next_cell(text, at);
    if (flag != "0" && flag != "1" && flag != "x") return false;
    row.flag_defined = flag != "x";
    row.div_by_zero = flag == "1";
    return next_cell(text, at).empty();
}

void words_from_result_row(const result_row &in, const result_layout &layout, word_row &out) {
    out.line = in.line;
    out.dividend = word_pattern(in.operands.dividend.get());
    out.divisor = word_pattern(in.operands.divisor.get());
    for (std::size_t f = 0; f < layout.fields().size(); ++f) {
        out.defined[f] = in.fields[f].defined;
        out.patterns[f] = in.fields[f].defined ? word_pattern(in.fields[f].pattern.get()) : 0;
    }
    out.flag_defined = in.flag_defined;
    out.div_by_zero = in.div_by_zero;
}

void result_row_from_words(const word_row &in, const result_layout &layout, result_row &out) {
    out.line = in.line;
    set_from_word(out.operands.dividend.get(), in.dividend, layout.dividend_range().is_signed());
    set_from_word(out.operands.divisor.get(), in.divisor, layout.divisor_range().is_signed());
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        field_cell &cell = out.fields[f];
        cell.defined = in.defined[f];
        cell.has_decimal = false;
        cell.hex_text.clear();
        if (cell.defined) {
            set_from_word(cell.pattern.get(), in.patterns[f], false);
            set_from_word(cell.decimal.get(), field_value_word(in.patterns[f], fields[f]),
                          fields[f].is_signed);
        }
    }
    out.has_real = false;
    out.flag_defined = in.flag_defined;
    out.div_by_zero = in.div_by_zero;
}

} // namespace quodra_div
