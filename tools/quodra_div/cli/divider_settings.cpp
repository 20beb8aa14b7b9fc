#include "cli/divider_settings.h"

#include <cctype>
#include <cstdlib>

#include "cli/tool_error.h"

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
    const bool digits_only =
        !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits_only && text.size() <= 9) {
        const long number = std::strtol(text.c_str(), nullptr, 10);
        for (int32_t known : {algorithm_radix2, algorithm_high_radix, algorithm_lutmult}) {
            if (number == known) {
                return known;
            }
        }
    }
    throw usage_error("--algorithm: unknown algorithm " + quoted_excerpt(text) +
                      ": expected radix2 (" + std::to_string(algorithm_radix2) +
                      "), high-radix (" + std::to_string(algorithm_high_radix) + ") or lutmult (" +
                      std::to_string(algorithm_lutmult) + ")");
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

qor_quodra_v5_1_config divider_settings::library_config() const {
    qor_quodra_v5_1_config config{};
    config.name = name.c_str();
    config.algorithm_type = algorithm_type;
    config.divisor_width = divisor_width;
    config.dividend_width = dividend_width;
    config.operand_sign = signed_operands ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
    config.remainder_type = fractional_output ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER;
    config.fractional_width = fractional_width;
    config.aux_param_1 = aux_param_1;
    config.aux_param_2 = 0;
    return config;
}

std::string describe_configuration(const divider_settings &settings) {
    std::string text = "configuration \"" + settings.name + "\": " +
                       algorithm_label(settings.algorithm_type) + ", " +
                       (settings.signed_operands ? "signed" : "unsigned") + ", " +
                       (settings.fractional_output ? "fractional" : "remainder") +
                       " output, dividend " + std::to_string(settings.dividend_width) +
                       " bits, divisor " + std::to_string(settings.divisor_width) + " bits";
    if (settings.fractional_output) {
        text += ", fraction " + std::to_string(settings.fractional_width) + " bits";
    }
    return text;
}

divider_settings library_default_settings() {
    qor_quodra_v5_1_config config{};
    qor_quodra_v5_1_default_config(&config);
    divider_settings settings;
    settings.name = config.name != nullptr ? config.name : "";
    settings.algorithm_type = config.algorithm_type;
    settings.divisor_width = config.divisor_width;
    settings.dividend_width = config.dividend_width;
    settings.signed_operands = config.operand_sign == QUODRA_OPERAND_SIGNED;
    settings.fractional_output = config.remainder_type != QUODRA_OUTPUT_REMAINDER;
    settings.fractional_width = config.fractional_width;
    settings.aux_param_1 = config.aux_param_1;
    return settings;
}

} // namespace quodra_div
