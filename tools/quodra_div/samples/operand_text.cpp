#include "samples/operand_text.h"

#include <cctype>

#include "cli/options.h"

namespace quodra_div {

namespace {

bool is_digit_of(char c, int base) {
    switch (base) {
    case 2:
        return c == '0' || c == '1';
    case 8:
        return c >= '0' && c <= '7';
    case 10:
        return c >= '0' && c <= '9';
    default:
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
}

// The digits of one base with '_' allowed between two digits only (not
// first, last or doubled). Stores them without the separators in value.
bool read_digits(std::string_view digits, int base, mpz_ptr value) {
    if (digits.empty() || digits.front() == '_' || digits.back() == '_') {
        return false;
    }
    std::string plain;
    plain.reserve(digits.size());
    char previous = '\0';
    for (char c : digits) {
        if (c == '_') {
            if (previous == '_') {
                return false;
            }
        } else if (!is_digit_of(c, base)) {
            return false;
        } else {
            plain += c;
        }
        previous = c;
    }
    // Checked above, so GNU MP sees only digits of the chosen base.
    return mpz_set_str(value, plain.c_str(), base) == 0;
}

int base_of_letter(char letter) {
    switch (letter) {
    case 'h':
    case 'H':
        return 16;
    case 'd':
    case 'D':
        return 10;
    case 'o':
    case 'O':
        return 8;
    case 'b':
    case 'B':
        return 2;
    default:
        return 0;
    }
}

// [size]'[s]<base><digits>, the sign already taken off. Sets problem and
// returns false when malformed.
bool parse_based_literal(std::string_view text, bool signed_before, operand_literal &literal,
                         std::string &problem) {
    const std::size_t quote = text.find('\'');
    const std::string_view size_text = text.substr(0, quote);
    std::string_view rest = text.substr(quote + 1);
    literal.form = size_text.empty() ? operand_literal::shape::unsized : operand_literal::shape::sized;
    literal.width = 0;
    if (!size_text.empty()) {
        const bool digits_only = size_text.find_first_not_of("0123456789") == std::string::npos;
        const unsigned long width =
            digits_only && size_text.size() <= 6 ? std::stoul(std::string(size_text)) : 0;
        if (width < 1 || width > static_cast<unsigned long>(max_field_width)) {
            problem = "the width before ' must be a whole number from 1 to " +
                      std::to_string(max_field_width);
            return false;
        }
        literal.width = static_cast<unsigned>(width);
    }
    literal.is_signed = !rest.empty() && (rest.front() == 's' || rest.front() == 'S');
    if (literal.is_signed) {
        rest.remove_prefix(1);
    }
    const int base = rest.empty() ? 0 : base_of_letter(rest.front());
    if (base == 0) {
        problem = "expected h, d, o or b after ' (or 's)";
        return false;
    }
    rest.remove_prefix(1);
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        // 16'sd-5: vector files often carry a signed decimal value's sign
        // after its base; it means -16'sd5. Patterns (h, o, b) have no sign.
        if (literal.form != operand_literal::shape::sized || !literal.is_signed || base != 10 ||
            signed_before) {
            problem = "a sign goes before the literal (-16'sd5) or after the base of a sized "
                      "signed decimal (16'sd-5), once";
            return false;
        }
        literal.negative = rest.front() == '-';
        literal.sign_after_base = true;
        rest.remove_prefix(1);
    }
    if (rest.find_first_of("xXzZ?") != std::string_view::npos) {
        problem = "x and z digits have no value to divide";
        return false;
    }
    if (!read_digits(rest, base, literal.value.get())) {
        problem = "expected digits of its base, '_' only between two digits";
        return false;
    }
    if (literal.sign_after_base) {
        // A signed value of its width: -2^(w-1) .. 2^(w-1) - 1.
        big_integer value(literal.value);
        if (literal.negative) {
            mpz_neg(value.get(), value.get());
        }
        if (!operand_range(literal.width, true).contains(value.get())) {
            problem = "its value does not fit its own " + std::to_string(literal.width) +
                      " signed bits";
            return false;
        }
    } else if (literal.form == operand_literal::shape::sized &&
        mpz_sizeinbase(literal.value.get(), 2) > literal.width &&
        mpz_sgn(literal.value.get()) != 0) {
        problem = "its value does not fit its own " + std::to_string(literal.width) + " bits";
        return false;
    }
    return true;
}

} // namespace

bool parse_literal(std::string_view text, operand_literal &literal, std::string &problem) {
    problem.clear();
    literal.negative = false;
    literal.is_signed = false;
    literal.width = 0;
    bool has_sign = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        has_sign = true;
        literal.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.find('\'') != std::string_view::npos) {
        if (!parse_based_literal(text, has_sign, literal, problem)) {
            return false;
        }
        if (has_sign && !(literal.is_signed && literal.form == operand_literal::shape::sized)) {
            problem = "a sign goes only before numbers and sized signed literals (-16'sd5); "
                      "write the bit pattern without it";
            return false;
        }
        return true;
    }
    literal.form = operand_literal::shape::number;
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        base = 2;
    }
    if (base != 10) {
        text.remove_prefix(2);
    }
    if (!read_digits(text, base, literal.value.get())) {
        return false;
    }
    if (literal.negative) {
        mpz_neg(literal.value.get(), literal.value.get());
    }
    return true;
}

bool parse_operand(std::string_view text, mpz_ptr value) {
    operand_literal literal;
    std::string problem;
    if (!parse_literal(text, literal, problem) ||
        literal.form != operand_literal::shape::number) {
        return false;
    }
    mpz_set(value, literal.value.get());
    return true;
}

void literal_value_in_field(const operand_literal &literal, std::string_view text,
                            const char *role, const operand_range &range, bool wrap,
                            mpz_ptr value) {
    mpz_set(value, literal.value.get());
    switch (literal.form) {
    case operand_literal::shape::number:
        fit_operand(value, role, range, wrap);
        return;
    case operand_literal::shape::unsized:
        // A pattern as wide as the field, read the way the field reads.
        if (mpz_sizeinbase(value, 2) > range.width() && mpz_sgn(value) != 0 && !wrap) {
            throw usage_error(std::string(role) + " " + quoted_excerpt(text) +
                              " has more bits than the " + range.kind() + " " + role +
                              " field; --wrap-operands keeps its low bits");
        }
        range.wrap(value);
        return;
    case operand_literal::shape::sized:
        break;
    }
    if (literal.width > range.width() && !wrap) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(text) + " is " +
                          std::to_string(literal.width) + " bits wide, wider than the " +
                          range.kind() + " " + role + " field; --wrap-operands keeps its low bits");
    }
    if (!literal.is_signed) {
        // Zero-extended to the field, then read the way the field reads.
        range.wrap(value);
        return;
    }
    if (literal.sign_after_base) {
        // 16'sd-5 is the signed value itself, already within its width.
        if (literal.negative) {
            mpz_neg(value, value);
        }
        fit_operand(value, role, range, wrap);
        return;
    }
    // A signed literal is the value of its two's-complement pattern.
    wrap_to_width(value, literal.width, true);
    if (literal.negative) {
        mpz_neg(value, value);
    }
    fit_operand(value, role, range, wrap);
}
void parse_named_operand(std::string_view text, const char *role, operand_literal &literal) {
    std::string problem;
    if (!parse_literal(text, literal, problem)) {
        throw usage_error(std::string("malformed ") + role + " " + quoted_excerpt(text) + ": " +
                          (problem.empty() ? "expected a decimal, 0x hex or 0b binary integer "
                                             "or a Verilog literal such as 8'hff"
                                           : problem));
    }
}

void fit_operand(mpz_ptr value, const char *role, const operand_range &range, bool wrap) {
    if (range.contains(value)) {
        return;
    }
    if (wrap) {
        range.wrap(value);
        return;
    }
    throw usage_error(std::string(role) + " " + shortened_decimal_text(value) +
                      " does not fit the " + range.kind() + " " + role + " field (" +
                      range.limits() + "); --wrap-operands keeps its low bits");
}

void read_sample(std::string_view dividend_text, std::string_view divisor_text,
                 const operand_fields &fields, sample &result) {
    operand_literal dividend;
    operand_literal divisor;
    parse_named_operand(dividend_text, "dividend", dividend);
    parse_named_operand(divisor_text, "divisor", divisor);
    literal_value_in_field(dividend, dividend_text, "dividend", fields.dividend, fields.wrap,
                           result.dividend.get());
    literal_value_in_field(divisor, divisor_text, "divisor", fields.divisor, fields.wrap,
                           result.divisor.get());
}

} // namespace quodra_div
