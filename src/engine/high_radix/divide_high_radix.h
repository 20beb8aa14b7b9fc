// The High Radix divider's sample loop, which takes each sample along the
// fast path where the configuration allows it and along the reference
// otherwise. The reference-only path is kept for tests that tie the two
// together.
#ifndef QUODRA_ENGINE_HIGH_RADIX_DIVIDE_HIGH_RADIX_H
#define QUODRA_ENGINE_HIGH_RADIX_DIVIDE_HIGH_RADIX_H

#include <cstdint>

#include "model/quodra_v5_1.h"

// The divider's sample loop (quodra_v5_1::divide_high_radix) along either
// path; the reference path is kept for tests that tie the two together.
enum class high_radix_path { fast_where_possible, reference_only };
int divide_high_radix_along(const quodra_v5_1 &model, high_radix_path path,
                            qor_array_mpz *divisor, qor_array_mpz *dividend,
                            qor_array_mpz *quotient, qor_array_uint *div_by_zero,
                            uint32_t count);

#endif
