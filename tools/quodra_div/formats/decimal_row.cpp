#include "formats/decimal_row.h"

#include <cctype>
#include <string>

#include "formats/cells.h"
#include "samples/operand_text.h"

namespace quodra_div {

namespace {

void parse_decimal_operand(std::string_view cell, const char *role, const operand_range &range,
                           bool wrap, mpz_ptr value) {
    operand_literal literal;
    parse_named_operand(cell, role, literal);
    literal_value_in_field(literal, cell, role, range, wrap, value);
}

// "-14.3125" as digits / 10^places. Returns false for an undefined cell.
bool parse_real(std::string_view cell, result_row &row) {
    if (is_undefined_marker(cell)) {
        return false;
    }
    std::string digits;
    std::string_view rest = cell;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        digits += rest.front();
        rest.remove_prefix(1);
    }
    bool seen_point = false;
    unsigned places = 0;
    std::size_t digit_count = 0;
    for (char c : rest) {
        if (c == '.' && !seen_point) {
            seen_point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            ++digit_count;
            places += seen_point ? 1 : 0;
        } else {
            malformed("real", cell, "a decimal number such as -3.25");
        }
    }
    if (digit_count == 0) {
        malformed("real", cell, "a decimal number such as -3.25");
    }
    mpz_set_str(row.real_digits.get(), digits.c_str() + (digits[0] == '+' ? 1 : 0), 10);
    row.real_places = places;
    return true;
}

void parse_decimal_field(std::string_view decimal, std::string_view hex, const output_field &field,
                       field_cell &cell) {
    cell.has_decimal = true;
    cell.decimal_text.assign(decimal);
    cell.hex_text.assign(hex);
    bool defined = !is_undefined_marker(decimal);
    if (defined && !parse_operand(decimal, cell.decimal.get())) {
        malformed(field.name, decimal, "a decimal integer");
    }
    defined = parse_pattern(hex, field.name + "_hex", cell.pattern.get()) && defined;
    cell.defined = defined;
}

} // namespace

std::size_t decimal_row_columns(const result_layout &layout) {
    return 2 + 2 * layout.fields().size() + (layout.fractional() ? 1 : 0) + 1;
}

void parse_decimal_row(const std::vector<std::string_view> &cells, const row_reading &reading,
                       result_row &row) {
    const operand_fields &ranges = reading.operands;
    parse_decimal_operand(cells[0], "dividend", ranges.dividend, ranges.wrap,
                          row.operands.dividend.get());
    parse_decimal_operand(cells[1], "divisor", ranges.divisor, ranges.wrap,
                          row.operands.divisor.get());
    std::size_t column = 2;
    const std::vector<output_field> &fields = reading.layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f, column += 2) {
        parse_decimal_field(cells[column], cells[column + 1], fields[f], row.fields[f]);
    }
    row.has_real = reading.layout.fractional();
    if (row.has_real) {
        row.real_text.assign(cells[column]);
        row.real_defined = parse_real(cells[column], row);
        ++column;
    }
    parse_flag(cells[column], row);
}

} // namespace quodra_div
