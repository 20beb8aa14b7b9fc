#include "operand_text.h"

#include <cctype>
#include <cstdio>

namespace quodra_div {
namespace {

bool all_digits(std::string_view digits, int base) {
    if (digits.empty()) {
        return false;
    }
    for (char c : digits) {
        const auto u = static_cast<unsigned char>(c);
        if (base == 16 ? !std::isxdigit(u) : !std::isdigit(u)) {
            return false;
        }
    }
    return true;
}

bool has_hex_prefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

bool parse_operand(std::string_view text, mpz_ptr value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (has_hex_prefix(text)) {
        base = 16;
        text.remove_prefix(2);
    }
    if (!all_digits(text, base)) {
        return false;
    }
    // Checked above, so GNU MP sees only digits of the chosen base.
    mpz_set_str(value, std::string(text).c_str(), base);
    if (negative) {
        mpz_neg(value, value);
    }
    return true;
}

std::string quoted_excerpt(std::string_view text) {
    constexpr std::size_t longest = 40;
    std::string result = "'";
    for (std::size_t i = 0; i < text.size() && i < longest; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isprint(c)) {
            result += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            result += escaped;
        }
    }
    if (text.size() > longest) {
        result += "...";
    }
    return result + "'";
}

} // namespace quodra_div
