// The divider's configuration as the flags set it: the algorithms by the
// names users type, the record handed to the library, and the one-line
// description headers carry.
#ifndef QUODRA_DIV_CLI_DIVIDER_SETTINGS_H
#define QUODRA_DIV_CLI_DIVIDER_SETTINGS_H

#include <cstdint>
#include <string>

#include "quodra.h"

namespace quodra_div {

// Algorithms by the names users type

constexpr int32_t algorithm_radix2 = QUODRA_ALGORITHM_RADIX2;
constexpr int32_t algorithm_high_radix = QUODRA_ALGORITHM_HIGH_RADIX;
constexpr int32_t algorithm_lutmult = QUODRA_ALGORITHM_LUTMULT;

// "radix2", "high-radix", "lutmult" (any case, '-' or '_' optional) or the
// number of one of them (1, 3, 4). The library itself would take other
// numbers in remainder mode, where every algorithm divides exactly, but a
// number no core has is almost always a typing mistake. Throws tool_error.
int32_t parse_algorithm(const std::string &text);

// The name for a known number, else the number itself.
std::string algorithm_label(int32_t algorithm_type);

struct divider_settings {
    std::string name;
    int32_t algorithm_type = 1;
    int32_t divisor_width = 16;
    int32_t dividend_width = 16;
    bool signed_operands = true;
    bool fractional_output = false;
    int32_t fractional_width = 16;
    int32_t aux_param_1 = 1;

    // The record handed to the library; its name points into this object.
    qor_quodra_v5_1_config library_config() const;
};

// The library's own defaults, so that `quodra-div 100 7` divides exactly as
// a program starting from qor_quodra_v5_1_default_config would.
divider_settings library_default_settings();

// One line naming the configuration, for table and hex file headers.
std::string describe_configuration(const divider_settings &settings);

} // namespace quodra_div

#endif
