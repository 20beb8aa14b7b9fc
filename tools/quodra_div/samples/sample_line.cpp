#include "samples/sample_line.h"

#include "cli/tool_error.h"
#include "samples/operand_text.h"

namespace quodra_div {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view without_comment(std::string_view line) {
    const std::size_t hash = line.find('#');
    return hash == std::string_view::npos ? line : line.substr(0, hash);
}

void skip_blanks(std::string_view &rest) {
    while (!rest.empty() && is_blank(rest.front())) {
        rest.remove_prefix(1);
    }
}

// The next operand: everything up to a blank or a comma.
std::string_view take_token(std::string_view &rest) {
    std::size_t length = 0;
    while (length < rest.size() && !is_blank(rest[length]) && rest[length] != ',') {
        ++length;
    }
    const std::string_view token = rest.substr(0, length);
    rest.remove_prefix(length);
    return token;
}

// Between the operands: blanks, or one comma with optional blanks around it.
void skip_separator(std::string_view &rest) {
    skip_blanks(rest);
    if (!rest.empty() && rest.front() == ',') {
        rest.remove_prefix(1);
        skip_blanks(rest);
    }
}

} // namespace

bool parse_sample_line(std::string_view line, const operand_fields &fields, sample &result) {
    std::string_view rest = without_comment(line);
    skip_blanks(rest);
    if (rest.empty()) {
        return false;
    }
    const std::string_view dividend_text = take_token(rest);
    operand_literal dividend;
    parse_named_operand(dividend_text, "dividend", dividend);
    skip_separator(rest);
    if (rest.empty()) {
        throw usage_error("missing divisor after dividend " + quoted_excerpt(dividend_text));
    }
    const std::string_view divisor_text = take_token(rest);
    operand_literal divisor;
    parse_named_operand(divisor_text, "divisor", divisor);
    skip_blanks(rest);
    if (!rest.empty()) {
        throw usage_error("unexpected " + quoted_excerpt(rest) +
                          " after the divisor: one DIVIDEND DIVISOR pair per line");
    }
    literal_value_in_field(dividend, dividend_text, "dividend", fields.dividend, fields.wrap,
                           result.dividend.get());
    literal_value_in_field(divisor, divisor_text, "divisor", fields.divisor, fields.wrap,
                           result.divisor.get());
    return true;
}

bool has_sample_text(std::string_view line) {
    std::string_view rest = without_comment(line);
    skip_blanks(rest);
    return !rest.empty();
}

} // namespace quodra_div
