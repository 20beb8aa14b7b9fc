#include "formats/csv_format.h"

#include <vector>

#include "formats/cells.h"
#include "formats/decimal_row.h"

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
