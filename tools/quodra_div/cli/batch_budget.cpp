#include "cli/batch_budget.h"

#include <algorithm>

namespace quodra_div {

namespace {

// Dividend and divisor, the quotient register (integer and fraction bits)
// and the remainder: a bound on the bits one sample holds.
uint64_t bits_per_sample(const divider_settings &settings) {
    const auto bits = [](int32_t width) { return static_cast<uint64_t>(std::max(width, 1)); };
    const uint64_t fraction = settings.fractional_output ? bits(settings.fractional_width) : 0;
    return 2 * bits(settings.dividend_width) + 2 * bits(settings.divisor_width) + fraction;
}

} // namespace

std::size_t samples_within_budget(std::size_t requested, const divider_settings &settings) {
    const uint64_t affordable = std::max<uint64_t>(1, batch_bit_budget / bits_per_sample(settings));
    return static_cast<std::size_t>(std::min<uint64_t>(requested, affordable));
}

} // namespace quodra_div
