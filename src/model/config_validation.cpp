#include "model/config_validation.h"

#include "model/quodra_exception.h"

void qor_validate_algorithm_combination(const qor_quodra_v5_1_config &config) {
    if (config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX && config.operand_sign != QUODRA_OPERAND_SIGNED) {
        throw QUODRAException("Operand sign must be Signed for the High Radix algorithm");
    }
    if (config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX && config.remainder_type != QUODRA_OUTPUT_FRACTIONAL) {
        throw QUODRAException("Remainder type must be Fractional for the High Radix algorithm");
    }
    if (config.algorithm_type == QUODRA_ALGORITHM_LUTMULT && config.remainder_type != QUODRA_OUTPUT_REMAINDER) {
        throw QUODRAException("Remainder type must be Remainder for the LutMult algorithm");
    }
}

void qor_validate_high_radix_bounds(const qor_quodra_v5_1_config &config,
                                    uint32_t divisor_digits, uint32_t low_digits,
                                    uint32_t max_divisor_digits, uint32_t max_low_digits) {
    if (config.algorithm_type != QUODRA_ALGORITHM_HIGH_RADIX) {
        return;
    }
    // A negative divisor width wraps to an enormous slice count and lands here too.
    if (divisor_digits > max_divisor_digits) {
        throw QUODRAException(
            "Divisor width must be between 0 and 303 bits for the High Radix algorithm");
    }
    if (low_digits > max_low_digits) {
        throw QUODRAException(
            "Dividend and fractional widths need more than 19 low dividend digits, "
            "beyond the High Radix unit");
    }
}
