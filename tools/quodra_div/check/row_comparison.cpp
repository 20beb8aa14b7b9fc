#include "check/row_comparison.h"

#include <vector>

namespace quodra_div {

namespace {

void append_value(number_text &numbers, mpz_srcptr value, unsigned width, std::string &out) {
    numbers.append_decimal(out, value);
    out += " (0x";
    numbers.append_hex_pattern(out, value, width);
    out += ')';
}

void append_got(const field_cell &cell, const output_field &field, number_text &numbers,
                std::string &out) {
    if (!cell.defined) {
        out += "undefined";
    } else if (cell.has_decimal) {
        out += cell.decimal_text + " (" + cell.hex_text + ")";
    } else {
        numbers.append_decimal(out, cell.decimal.get());
        out += " (0x";
        numbers.append_hex_pattern(out, cell.pattern.get(), field.width);
        out += ')';
    }
}

// a / 10^places == n / 2^scale, exactly: a * 2^scale == n * 10^places.
bool same_real(const result_row &row, const sample_result &model) {
    big_integer left;
    big_integer right;
    mpz_mul_2exp(left.get(), row.real_digits.get(), model.real_scale);
    mpz_ui_pow_ui(right.get(), 10, row.real_places);
    mpz_mul(right.get(), right.get(), model.real_numerator.get());
    return mpz_cmp(left.get(), right.get()) == 0;
}

} // namespace

bool compare_result_row(const result_row &row, const sample_result &model,
                        const result_layout &layout, number_text &numbers, std::string &report) {
    bool differs = false;
    big_integer expected_pattern;
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!model.field_known[f]) {
            continue; // undefined in the core: any value the DUT gives is right
        }
        const field_cell &cell = row.fields[f];
        mpz_srcptr expected = model.field_values[f].get();
        mpz_set(expected_pattern.get(), expected);
        wrap_to_width(expected_pattern.get(), fields[f].width, false);
        const bool agrees = cell.defined &&
                            (!cell.has_decimal || mpz_cmp(cell.decimal.get(), expected) == 0) &&
                            mpz_cmp(cell.pattern.get(), expected_pattern.get()) == 0;
        if (agrees) {
            continue;
        }
        differs = true;
        report += "  " + fields[f].name + ": expected ";
        append_value(numbers, expected, fields[f].width, report);
        report += ", got ";
        append_got(cell, fields[f], numbers, report);
        report += '\n';
    }
    if (row.has_real && model.field_known[0] && (!row.real_defined || !same_real(row, model))) {
        differs = true;
        report += "  real: expected ";
        numbers.append_exact_real(report, model.real_numerator.get(), model.real_scale);
        report += ", got " + (row.real_defined ? row.real_text : std::string("undefined")) + '\n';
    }
    if (!row.flag_defined || row.div_by_zero != model.div_by_zero) {
        differs = true;
        report += std::string("  div_by_zero: expected ") + (model.div_by_zero ? "1" : "0") +
                  ", got " + (!row.flag_defined ? "undefined" : row.div_by_zero ? "1" : "0") +
                  '\n';
    }
    return differs;
}

void append_row_heading(const result_row &row, const result_layout &layout,
                        number_text &numbers, std::string &out) {
    out += "line " + std::to_string(row.line) + ": dividend ";
    append_value(numbers, row.operands.dividend.get(), layout.dividend_range().width(), out);
    out += ", divisor ";
    append_value(numbers, row.operands.divisor.get(), layout.divisor_range().width(), out);
    out += '\n';
}

} // namespace quodra_div
