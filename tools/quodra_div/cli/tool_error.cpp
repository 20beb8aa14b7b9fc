#include "cli/tool_error.h"

#include <cctype>
#include <cstdio>

namespace quodra_div {

std::string shortened(std::string_view text) {
    if (text.size() <= longest_quoted) {
        return std::string(text);
    }
    return std::string(text.substr(0, longest_quoted)) + "...";
}

std::string quoted_excerpt(std::string_view text) {
    std::string result = "'";
    for (std::size_t i = 0; i < text.size() && i < longest_quoted; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isprint(c)) {
            result += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            result += escaped;
        }
    }
    if (text.size() > longest_quoted) {
        result += "...";
    }
    return result + "'";
}

} // namespace quodra_div
