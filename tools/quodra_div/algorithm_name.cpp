#include "algorithm_name.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tool_error.h"

namespace quodra_div {
namespace {

// Lower-case with '-' and '_' dropped, so "High_Radix" matches "highradix".
std::string normalised(const std::string &text) {
    std::string result;
    for (char c : text) {
        if (c != '-' && c != '_') {
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return result;
}

bool parse_int32(const std::string &text, int32_t &value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char *end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX ||
        std::isspace(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

} // namespace

int32_t parse_algorithm(const std::string &text) {
    const std::string key = normalised(text);
    if (key == "radix2") {
        return algorithm_radix2;
    }
    if (key == "highradix") {
        return algorithm_high_radix;
    }
    if (key == "lutmult") {
        return algorithm_lutmult;
    }
    int32_t number = 0;
    if (parse_int32(text, number)) {
        return number;
    }
    throw usage_error("unknown algorithm '" + text +
                      "': use radix2, high-radix, lutmult or a number");
}

std::string algorithm_label(int32_t algorithm_type) {
    switch (algorithm_type) {
    case algorithm_radix2:
        return "radix2";
    case algorithm_high_radix:
        return "high-radix";
    case algorithm_lutmult:
        return "lutmult";
    default:
        return std::to_string(algorithm_type);
    }
}

} // namespace quodra_div
