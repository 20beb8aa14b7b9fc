// Configuration guards run by the sample driver before it divides. The
// constructor accepts any field widths; a division path refuses, at the data
// call, the widths that would make its own arithmetic undefined (a negative
// shift or power of two, an iteration count past the 32-bit range). Each
// guard looks only at the widths its path actually uses.
#ifndef QUODRA_ENGINE_WIDTH_CHECKS_H
#define QUODRA_ENGINE_WIDTH_CHECKS_H

#include "quodra_v5_1.h"

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

#endif
