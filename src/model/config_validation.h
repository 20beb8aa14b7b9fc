// The rules a configuration must pass before a model is built.
#ifndef QUODRA_MODEL_CONFIG_VALIDATION_H
#define QUODRA_MODEL_CONFIG_VALIDATION_H

#include "quodra.h"

// Raises QUODRAException with the first rule the record breaks.
void qor_validate_algorithm_combination(const qor_quodra_v5_1_config &config);

// Raises QUODRAException when a High Radix configuration needs more slices or
// low digits than the iterative unit's register files hold.
void qor_validate_high_radix_bounds(const qor_quodra_v5_1_config &config,
                                    uint32_t divisor_digits, uint32_t low_digits,
                                    uint32_t max_divisor_digits, uint32_t max_low_digits);

#endif
