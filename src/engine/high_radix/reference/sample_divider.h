// One sample of the High Radix divider, from the operands as read to the
// signed quotient: the set-up steps in hardware order around one run of the
// iterative unit. The working integers are made once and reused from sample
// to sample; the intermediate values of the last sample stay readable.
#ifndef QUODRA_ENGINE_HIGH_RADIX_SAMPLE_H
#define QUODRA_ENGINE_HIGH_RADIX_SAMPLE_H

#include <gmp.h>

#include <cstdint>

#include "engine/high_radix/reference/setup.h"
#include "engine/high_radix/reference/unit.h"
#include "model/quodra_v5_1.h"
#include "engine/common/working_integer.h"

class high_radix_sample_divider {
public:
    enum class outcome { quotient_ready, divide_by_zero, unit_failed };

    explicit high_radix_sample_divider(const quodra_v5_1 &model);

    // Reduces both operands in place to their port widths (a no-op for
    // operands in range, and idempotent), then divides. A divisor that
    // reduces to zero is a division by zero. With a trace the unit's
    // registers are reported as it runs.
    outcome divide(mpz_ptr divisor, mpz_ptr dividend, high_radix_unit_trace *trace = nullptr);

    // Intermediate values of the last sample that reached the unit.
    bool divisor_negative() const { return negative; }
    uint32_t normalisation() const { return shift; }              // j
    mpz_srcptr normalised_divisor() const { return normalised; }  // Dn
    uint32_t fraction() const { return divisor_fraction_bits; }   // y
    reciprocal_lookup table_position() const { return position; } // idx, r
    uint32_t reciprocal_estimate() const { return reciprocal; }   // R
    mpz_srcptr scaled_divisor() const { return scaled; }          // M
    mpz_srcptr aligned_dividend() const { return aligned; }       // X
    mpz_srcptr digit_string() const { return digits; }            // T
    mpz_srcptr quotient() const { return result; }                // Q

private:
    int run_unit(high_radix_unit_trace *trace);

    const quodra_v5_1 &model;
    bool negative = false;
    uint32_t shift = 0;
    uint32_t divisor_fraction_bits = 0;
    reciprocal_lookup position{0, 0};
    uint32_t reciprocal = 0;
    working_integer normalised;
    working_integer reciprocal_value;
    working_integer scaled;
    working_integer aligned;
    working_integer digits;
    working_integer result;
    working_integer scratch;
};

#endif
