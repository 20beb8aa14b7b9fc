#include "formats/table_format.h"

#include <algorithm>
#include <utility>

#include "formats/cells.h"
#include "formats/decimal_row.h"
#include "numbers/word_text.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Writing

namespace {

constexpr const char *column_gap = "  ";
constexpr const char *unknown_cell = "-";

} // namespace

table_writer::table_writer(const result_layout &layout, std::string summary)
    : layout_(layout), summary_(std::move(summary)) {
    const operand_range &dividend = layout.dividend_range();
    const operand_range &divisor = layout.divisor_range();
    add_column("dividend", decimal_chars(dividend.width(), dividend.is_signed()));
    add_column("divisor", decimal_chars(divisor.width(), divisor.is_signed()));
    for (const output_field &field : layout.fields()) {
        add_column(field.name, decimal_chars(field.width, field.is_signed));
        add_column(field.name + "_hex", 2 + hex_digits(field.width));
    }
    if (layout.fractional()) {
        const output_field &quotient = layout.fields().front();
        const std::size_t fraction_digits = std::max(1u, layout.real_scale_bits());
        add_column("real", decimal_chars(quotient.width, true) + 1 + fraction_digits);
    }
    add_column("div_by_zero", 1);
}

void table_writer::add_column(const std::string &header, std::size_t value_chars) {
    headers_.push_back(header);
    widths_.push_back(std::max(header.size(), value_chars));
}

void table_writer::append_header(std::string &out) {
    if (!summary_.empty()) {
        out += summary_;
        out += '\n';
    }
    for (std::size_t column = 0; column < headers_.size(); ++column) {
        append_cell(out, column, headers_[column]);
    }
    out += '\n';
}

void table_writer::append_cell(std::string &out, std::size_t column,
                               std::string_view text) const {
    if (column > 0) {
        out += column_gap;
    }
    if (text.size() < widths_[column]) {
        out.append(widths_[column] - text.size(), ' ');
    }
    out += text;
}

// Decimal points line up: the fraction is padded on the right to its
// longest possible length.
std::string table_writer::real_cell(const sample_result &result) {
    if (!result.field_known[0]) {
        return unknown_cell;
    }
    std::string text;
    numbers_.append_exact_real(text, result.real_numerator.get(), result.real_scale);
    const std::size_t fraction_chars = text.size() - text.find('.') - 1;
    const std::size_t longest = std::max(1u, layout_.real_scale_bits());
    text.append(longest - fraction_chars, ' ');
    return text;
}

void table_writer::append_row(const sample &input, const sample_result &result, std::string &out) {
    std::size_t column = 0;
    for (mpz_srcptr operand : {input.dividend.get(), input.divisor.get()}) {
        cell_.clear();
        numbers_.append_decimal(cell_, operand);
        append_cell(out, column++, cell_);
    }
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!result.field_known[f]) {
            append_cell(out, column++, unknown_cell);
            append_cell(out, column++, unknown_cell);
            continue;
        }
        cell_.clear();
        numbers_.append_decimal(cell_, result.field_values[f].get());
        append_cell(out, column++, cell_);
        cell_ = "0x";
        numbers_.append_hex_pattern(cell_, result.field_values[f].get(), fields[f].width);
        append_cell(out, column++, cell_);
    }
    if (layout_.fractional()) {
        append_cell(out, column++, real_cell(result));
    }
    append_cell(out, column, result.div_by_zero ? "1" : "0");
    out += '\n';
}

void table_writer::append_word_row(uint64_t dividend, uint64_t divisor,
                                   const word_result &result, std::string &out) const {
    char cell[2 + max_exact_real_chars + max_decimal_word_chars + max_hex_word_chars];
    const auto text = [&](const char *end) {
        return std::string_view(cell, static_cast<std::size_t>(end - cell));
    };
    std::size_t column = 0;
    const bool is_signed = layout_.dividend_range().is_signed();
    for (uint64_t operand : {dividend, divisor}) {
        append_cell(out, column++, text(put_decimal_word(cell, operand, is_signed)));
    }
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!result.fields_known) {
            append_cell(out, column++, unknown_cell);
            append_cell(out, column++, unknown_cell);
            continue;
        }
        const uint64_t pattern = result.field_patterns[f];
        append_cell(out, column++,
                    text(put_decimal_word(cell, field_value_word(pattern, fields[f]),
                                          fields[f].is_signed)));
        cell[0] = '0';
        cell[1] = 'x';
        append_cell(out, column++, text(put_hex_word(cell + 2, pattern, fields[f].width)));
    }
    if (layout_.fractional()) {
        if (!result.fields_known) {
            append_cell(out, column++, unknown_cell);
        } else {
            // real_cell's padding: the fraction filled on the right to its
            // longest length, so that decimal points line up.
            char *end = put_exact_real(cell, result.real);
            const std::size_t length = static_cast<std::size_t>(end - cell);
            const std::size_t fraction_chars = length - text(end).find('.') - 1;
            const std::size_t longest = std::max(1u, layout_.real_scale_bits());
            end = std::fill_n(end, longest - fraction_chars, ' ');
            append_cell(out, column++, text(end));
        }
    }
    append_cell(out, column, result.div_by_zero ? "1" : "0");
    out += '\n';
}

// ---------------------------------------------------------------------------
// Reading

bool is_table_header(std::string_view text) {
    const std::string_view first = blank_separated(text).front();
    return first == "configuration" || first == "dividend";
}

line_kind read_table_line(std::string_view text, const row_reading &reading, result_row &row) {
    const std::vector<std::string_view> cells = blank_separated(text);
    if (cells.front() == "configuration") {
        check_configuration_line(text, reading.header);
        return line_kind::header;
    }
    if (cells.front() == "dividend") {
        check_column_names(cells, reading.header);
        return line_kind::header;
    }
    require_columns(cells, decimal_row_columns(reading.layout), output_format::table);
    parse_decimal_row(cells, reading, row);
    return line_kind::data;
}

} // namespace quodra_div
