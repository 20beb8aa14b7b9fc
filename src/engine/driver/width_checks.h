// Configuration guards run by the sample driver before it divides. The
// constructor accepts any field widths; a division path refuses, at the data
// call, the widths that would make its own arithmetic undefined (a negative
// shift or power of two, an iteration count past the 32-bit range). Each
// guard looks only at the widths its path actually uses.
#ifndef QUODRA_ENGINE_WIDTH_CHECKS_H
#define QUODRA_ENGINE_WIDTH_CHECKS_H

#include <cstdint>

#include "model/quodra_v5_1.h"

// Signed remainder mode wraps negative results with 2^dividend_width and
// 2^divisor_width; unsigned remainder mode uses no width. Raises
// QUODRAException on a negative width that would be used.
void require_remainder_widths(const quodra_v5_1 &model);

// Radix-2 runs dividend_width (+ fractional_width in fractional output)
// iterations and, with signed operands, splits and wraps with 2^dividend_width
// and 2^fractional_width. Raises QUODRAException.
void require_radix2_widths(const quodra_v5_1 &model);

// High Radix sizes its quotient digit string from
// dividend_width + fractional_width + 2. Raises QUODRAException.
void require_high_radix_widths(const quodra_v5_1 &model);

// Register limits: no path builds a register wider than
// QUODRA_MAX_REGISTER_BITS, so one sample's time and memory stay small
// whatever widths creation accepted. Each guard runs after the width guard
// of its path and raises QUODRAException naming the limit.
//
// Signed remainder mode wraps with 2^dividend_width and 2^divisor_width.
void require_remainder_register_limit(const quodra_v5_1 &model);
// Radix-2 runs dividend_width (+ fractional_width) iterations into its
// quotient register and splits it with 2^fractional_width when signed.
void require_radix2_register_limit(const quodra_v5_1 &model);
// High Radix builds its quotient digit string, 14 bits per iteration plus 2;
// every other register of the path is narrower.
void require_high_radix_register_limit(const quodra_v5_1 &model);

// Remainder mode divides operands as stored: refuses a call in which any
// divisor or dividend among the first `count` samples is wider than the
// limit, before the first sample is divided.
void require_remainder_operands_within_limit(const qor_array_mpz *divisor,
                                             const qor_array_mpz *dividend, uint32_t count);

#endif
