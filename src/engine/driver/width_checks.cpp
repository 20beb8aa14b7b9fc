#include "engine/driver/width_checks.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "model/quodra_exception.h"
#include "arrays/sample_vector.h"

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

bool signed_operands(const quodra_v5_1 &model) { return model.config.operand_sign == QUODRA_OPERAND_SIGNED; }

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

    const bool fraction_iterations = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL;
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

namespace {

constexpr int64_t register_limit = QUODRA_MAX_REGISTER_BITS;

void require_within_limit(int64_t bits, const char *what) {
    if (bits > register_limit) {
        throw QUODRAException(std::string(what) + " exceeds the limit of " +
                              std::to_string(register_limit) + " bits");
    }
}

// Looks at the stored elements the first `count` samples read; a custom
// copy operation is trusted to deliver what is stored.
void require_operands_within_limit(const qor_array_mpz *array, uint32_t count, const char *what) {
    const size_t elements = quodra_arrays::addressed_elements(array, count);
    for (size_t i = 0; i < elements; ++i) {
        const mpz_t *slot = quodra_arrays::sample_slot(array, i);
        require_within_limit(static_cast<int64_t>(mpz_sizeinbase(*slot, 2)), what);
    }
}

} // namespace

void require_remainder_register_limit(const quodra_v5_1 &model) {
    if (!signed_operands(model)) {
        return;
    }
    require_within_limit(model.config.dividend_width, "Dividend width");
    require_within_limit(model.config.divisor_width, "Divisor width");
}

void require_radix2_register_limit(const quodra_v5_1 &model) {
    const qor_quodra_v5_1_config &config = model.config;
    require_within_limit(config.dividend_width, "Dividend width");
    if (config.remainder_type == QUODRA_OUTPUT_FRACTIONAL) {
        require_within_limit(int64_t{config.dividend_width} + config.fractional_width,
                             "Dividend width plus fractional width");
    } else if (signed_operands(model)) {
        require_within_limit(config.fractional_width, "Fractional width");
    }
}

void require_high_radix_register_limit(const quodra_v5_1 &model) {
    const int64_t digits =
        (int64_t{model.config.dividend_width} + model.config.fractional_width + 2 + 13) / 14;
    require_within_limit(14 * digits + 2, "The High Radix quotient digit string");
}

void require_remainder_operands_within_limit(const qor_array_mpz *divisor,
                                             const qor_array_mpz *dividend, uint32_t count) {
    require_operands_within_limit(divisor, count, "Divisor operand");
    require_operands_within_limit(dividend, count, "Dividend operand");
}
