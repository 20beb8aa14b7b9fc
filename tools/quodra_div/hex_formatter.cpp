#include "hex_formatter.h"

namespace quodra_div {
namespace {

std::string field_label(const std::string &name, unsigned width) {
    return name + "[" + std::to_string(width) + "]";
}

} // namespace

void hex_formatter::append_header(std::string &out) {
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

void hex_formatter::append_row(const sample &input, const sample_result &result,
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

} // namespace quodra_div
