#include "formats/hex_format.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cli/tool_error.h"
#include "formats/cells.h"
#include "numbers/word_text.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Writing

hex_writer::hex_writer(const result_layout &layout, std::string summary)
    : layout_(layout), summary_(std::move(summary)) {}

namespace {

std::string field_label(const std::string &name, unsigned width) {
    return name + "[" + std::to_string(width) + "]";
}

} // namespace

void hex_writer::append_header(std::string &out) {
    if (!summary_.empty()) {
        out += "// " + summary_ + '\n';
    }
    out += "// " + field_label("dividend", layout_.dividend_range().width()) + ' ' +
           field_label("divisor", layout_.divisor_range().width());
    for (const output_field &field : layout_.fields()) {
        out += ' ' + field_label(field.name, field.width);
    }
    out += " div_by_zero[1]\n";
}

void hex_writer::append_row(const sample &input, const sample_result &result,
                            std::string &out) {
    numbers_.append_hex_pattern(out, input.dividend.get(), layout_.dividend_range().width());
    out += ' ';
    numbers_.append_hex_pattern(out, input.divisor.get(), layout_.divisor_range().width());
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        out += ' ';
        if (result.field_known[f]) {
            numbers_.append_hex_pattern(out, result.field_values[f].get(), fields[f].width);
        } else {
            out.append(hex_digits(fields[f].width), 'x');
        }
    }
    out += result.div_by_zero ? " 1\n" : " 0\n";
}

// The row is put together in one buffer and appended at once: at most two
// operands, two fields, their separators and the flag.
void hex_writer::append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                                 std::string &out) const {
    char row[(2 + max_output_fields) * (max_hex_word_chars + 1) + 3];
    char *at = put_hex_word(row, dividend, layout_.dividend_range().width());
    *at++ = ' ';
    at = put_hex_word(at, divisor, layout_.divisor_range().width());
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        *at++ = ' ';
        if (result.fields_known) {
            at = put_hex_word(at, result.field_patterns[f], fields[f].width);
        } else {
            at = std::fill_n(at, hex_digits(fields[f].width), 'x');
        }
    }
    *at++ = ' ';
    *at++ = result.div_by_zero ? '1' : '0';
    *at++ = '\n';
    out.append(row, static_cast<std::size_t>(at - row));
}

// ---------------------------------------------------------------------------
// Reading

namespace {

// A hex operand of a hex row: a pattern of its field's width, read as two's
// complement when the field is signed.
void parse_hex_operand(std::string_view cell, const char *role, const operand_range &range,
                       mpz_ptr value) {
    if (!parse_pattern(cell, role, value)) {
        malformed(role, cell, "hex digits");
    }
    if (mpz_sizeinbase(value, 2) > range.width()) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(cell) + " is wider than the " +
                          range.kind() + " " + role + " field");
    }
    range.wrap(value);
}

void parse_hex_field(std::string_view hex, const output_field &field, field_cell &cell) {
    cell.has_decimal = false;
    cell.hex_text.assign(hex);
    cell.defined = parse_pattern(hex, field.name, cell.pattern.get());
    if (cell.defined && mpz_sizeinbase(cell.pattern.get(), 2) > field.width) {
        throw usage_error(field.name + " " + quoted_excerpt(hex) + " is wider than its " +
                          std::to_string(field.width) + "-bit field");
    }
    if (cell.defined) {
        mpz_set(cell.decimal.get(), cell.pattern.get());
        wrap_to_width(cell.decimal.get(), field.width, field.is_signed);
    }
}

void parse_hex_row(const std::vector<std::string_view> &cells, const result_layout &layout,
                   result_row &row) {
    parse_hex_operand(cells[0], "dividend", layout.dividend_range(),
                      row.operands.dividend.get());
    parse_hex_operand(cells[1], "divisor", layout.divisor_range(), row.operands.divisor.get());
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        parse_hex_field(cells[2 + f], fields[f], row.fields[f]);
    }
    row.has_real = false;
    parse_flag(cells[2 + fields.size()], row);
}

} // namespace

std::size_t hex_row_columns(const result_layout &layout) {
    return 2 + layout.fields().size() + 1;
}

bool is_hex_comment(std::string_view text) { return starts_with(text, "//"); }

line_kind read_hex_line(std::string_view text, const row_reading &reading, result_row &row) {
    if (is_hex_comment(text)) {
        // Comments; the tool's own two header lines must agree with the flags.
        const std::string_view comment = trimmed(text.substr(2));
        if (starts_with(comment, "configuration ")) {
            check_configuration_line(comment, reading.header);
        } else if (starts_with(comment, "dividend[")) {
            check_column_names(blank_separated(comment), reading.header);
        }
        return line_kind::header;
    }
    const std::vector<std::string_view> cells = blank_separated(text);
    require_columns(cells, hex_row_columns(reading.layout), output_format::hex);
    parse_hex_row(cells, reading.layout, row);
    return line_kind::data;
}

} // namespace quodra_div
