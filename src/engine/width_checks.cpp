#include "width_checks.h"

#include <cstdint>
#include <limits>

#include "quodra_exception.h"

namespace {

void require_non_negative(int32_t width, const char *message) {
    if (width < 0) {
        throw QUODRAException(message);
    }
}

// True when first + second + extra stays within a signed 32-bit integer;
// the operands are already known to be non-negative.
bool sum_fits_int32(int32_t first, int32_t second, int32_t extra) {
    const int64_t sum = int64_t{first} + int64_t{second} + int64_t{extra};
    return sum <= std::numeric_limits<int32_t>::max();
}

bool signed_operands(const quodra_v5_1 &model) { return model.config.operand_sign == 1; }

} // namespace

void require_remainder_widths(const quodra_v5_1 &model) {
    if (!signed_operands(model)) {
        return;
    }
    require_non_negative(model.config.dividend_width,
                         "Dividend width must not be negative for signed remainder output");
    require_non_negative(model.config.divisor_width,
                         "Divisor width must not be negative for signed remainder output");
}

void require_radix2_widths(const quodra_v5_1 &model) {
    const qor_quodra_v5_1_config &config = model.config;
    require_non_negative(config.dividend_width,
                         "Dividend width must not be negative for the Radix-2 algorithm");

    const bool fraction_iterations = config.remainder_type == 1;
    if (!fraction_iterations && !signed_operands(model)) {
        return;
    }
    require_non_negative(config.fractional_width,
                         "Fractional width must not be negative for the Radix-2 algorithm");
    if (fraction_iterations && !sum_fits_int32(config.dividend_width, config.fractional_width, 0)) {
        throw QUODRAException(
            "Dividend width plus fractional width is too large for the Radix-2 algorithm");
    }
}

void require_high_radix_widths(const quodra_v5_1 &model) {
    const qor_quodra_v5_1_config &config = model.config;
    require_non_negative(config.dividend_width,
                         "Dividend width must not be negative for the High Radix algorithm");
    require_non_negative(config.fractional_width,
                         "Fractional width must not be negative for the High Radix algorithm");
    if (!sum_fits_int32(config.dividend_width, config.fractional_width, 2)) {
        throw QUODRAException(
            "Dividend width plus fractional width is too large for the High Radix algorithm");
    }
}
