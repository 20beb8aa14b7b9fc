#include "sample_line.h"

#include <string>

#include "operand_text.h"
#include "tool_error.h"

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

void parse_named_operand(std::string_view text, const char *role, mpz_ptr value) {
    if (!parse_operand(text, value)) {
        throw usage_error(std::string("malformed ") + role + " " + quoted_excerpt(text) +
                          ": expected a decimal or 0x hex integer");
    }
}

bool parse_sample_line(std::string_view line, mpz_ptr dividend, mpz_ptr divisor) {
    std::string_view rest = without_comment(line);
    skip_blanks(rest);
    if (rest.empty()) {
        return false;
    }
    const std::string_view dividend_text = take_token(rest);
    parse_named_operand(dividend_text, "dividend", dividend);
    skip_separator(rest);
    if (rest.empty()) {
        throw usage_error("missing divisor after dividend " + quoted_excerpt(dividend_text));
    }
    parse_named_operand(take_token(rest), "divisor", divisor);
    skip_blanks(rest);
    if (!rest.empty()) {
        throw usage_error("unexpected " + quoted_excerpt(rest) +
                          " after the divisor: one DIVIDEND DIVISOR pair per line");
    }
    return true;
}

} // namespace quodra_div
