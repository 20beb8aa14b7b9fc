#include "formats/csv_format.h"

#include <algorithm>
#include <vector>

#include "formats/cells.h"
#include "formats/decimal_row.h"
#include "numbers/word_text.h"

namespace quodra_div {

void csv_writer::append_header(std::string &out) {
    if (!summary_.empty()) {
        out += "# " + summary_ + '\n';
    }
    out += "dividend,divisor";
    for (const output_field &field : layout_.fields()) {
        out += ',' + field.name + ',' + field.name + "_hex";
    }
    if (layout_.fractional()) {
        out += ",real";
    }
    out += ",div_by_zero\n";
}

void csv_writer::append_row(const sample &input, const sample_result &result,
                            std::string &out) {
    numbers_.append_decimal(out, input.dividend.get());
    out += ',';
    numbers_.append_decimal(out, input.divisor.get());
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!result.field_known[f]) {
            out += ",,";
            continue;
        }
        out += ',';
        numbers_.append_decimal(out, result.field_values[f].get());
        out += ",0x";
        numbers_.append_hex_pattern(out, result.field_values[f].get(), fields[f].width);
    }
    if (layout_.fractional()) {
        out += ',';
        if (result.field_known[0]) {
            numbers_.append_exact_real(out, result.real_numerator.get(), result.real_scale);
        }
    }
    out += result.div_by_zero ? ",1\n" : ",0\n";
}

// The row is put together in one buffer and appended at once.
void csv_writer::append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                                 std::string &out) const {
    constexpr std::size_t field_chars = 1 + max_decimal_word_chars + 3 + max_hex_word_chars;
    char row[2 * (max_decimal_word_chars + 1) + max_output_fields * field_chars +
             max_exact_real_chars + 4];
    const bool is_signed = layout_.dividend_range().is_signed();
    char *at = put_decimal_word(row, dividend, is_signed);
    *at++ = ',';
    at = put_decimal_word(at, divisor, is_signed);
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        *at++ = ',';
        if (!result.fields_known) {
            *at++ = ','; // the value and hex cells stay empty
            continue;
        }
        const uint64_t pattern = result.field_patterns[f];
        at = put_decimal_word(at, field_value_word(pattern, fields[f]), fields[f].is_signed);
        at = std::copy_n(",0x", 3, at);
        at = put_hex_word(at, pattern, fields[f].width);
    }
    if (layout_.fractional()) {
        *at++ = ',';
        if (result.fields_known) {
            at = put_exact_real(at, result.real);
        }
    }
    at = std::copy_n(result.div_by_zero ? ",1\n" : ",0\n", 3, at);
    out.append(row, static_cast<std::size_t>(at - row));
}

bool is_csv_header(std::string_view text) {
    return is_csv_comment(text) || comma_separated(text).front() == "dividend";
}

bool is_csv_comment(std::string_view text) { return starts_with(text, "#"); }

bool is_csv_configuration_comment(std::string_view text) {
    return is_csv_comment(text) && starts_with(trimmed(text.substr(1)), "configuration \"");
}

line_kind read_csv_line(std::string_view text, const row_reading &reading, result_row &row) {
    if (is_csv_configuration_comment(text)) {
        check_configuration_line(trimmed(text.substr(1)), reading.header);
        return line_kind::header;
    }
    if (is_csv_comment(text)) {
        return line_kind::header; // a note
    }
    const std::vector<std::string_view> cells = comma_separated(text);
    if (cells.front() == "dividend") {
        check_column_names(cells, reading.header);
        return line_kind::header;
    }
    require_columns(cells, decimal_row_columns(reading.layout), output_format::csv);
    parse_decimal_row(cells, reading, row);
    return line_kind::data;
}

} // namespace quodra_div
