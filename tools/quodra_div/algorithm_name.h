// The divider algorithms by the names users type.
#ifndef QUODRA_DIV_ALGORITHM_NAME_H
#define QUODRA_DIV_ALGORITHM_NAME_H

#include <cstdint>
#include <string>

#include "quodra.h"

namespace quodra_div {

constexpr int32_t algorithm_radix2 = QUODRA_ALGORITHM_RADIX2;
constexpr int32_t algorithm_high_radix = QUODRA_ALGORITHM_HIGH_RADIX;
constexpr int32_t algorithm_lutmult = QUODRA_ALGORITHM_LUTMULT;

// "radix2", "high-radix", "lutmult" (any case, '-' or '_' optional) or a
// decimal number, passed to the library unchanged. Throws tool_error.
int32_t parse_algorithm(const std::string &text);

// The name for a known number, else the number itself.
std::string algorithm_label(int32_t algorithm_type);

} // namespace quodra_div

#endif
