// The per-sample set-up steps of the High Radix divider: operands reduced to
// their port widths, the divisor normalised so its leading one sits at the
// top of its port, an 18-bit reciprocal interpolated from the table, the
// scaled divisor M = R * Dn (close to a power of two), the aligned dividend X,
// and the final sign and rounding of the unit's digit string.
#ifndef QUODRA_ENGINE_HIGH_RADIX_SETUP_H
#define QUODRA_ENGINE_HIGH_RADIX_SETUP_H

#include <gmp.h>

#include <cstdint>

#include "engine/common/twos_complement_fields.h"
#include "engine/high_radix/reference/reciprocal_table.h"

// reduce_to_port_width() for a source that does not fit its port. Only the
// source's low `width` bits are read, so the cost follows the port, not the
// source's size.
void reduce_beyond_port_width(mpz_ptr target, mpz_srcptr source, int64_t width, mpz_ptr scratch);

// target = the two's complement number a port of `width` bits would hold
// for source (source modulo 2^width, read as signed). Values in range pass
// unchanged; a port of width 0 or less holds only 0. target may be source.
inline void reduce_to_port_width(mpz_ptr target, mpz_srcptr source, int64_t width,
                                 mpz_ptr scratch) {
    if (width > 0 && fits_twos_complement(source, static_cast<uint64_t>(width))) {
        mpz_set(target, source);
        return;
    }
    reduce_beyond_port_width(target, source, width, scratch);
}

// The same reduction in place.
inline void reduce_to_port_width(mpz_ptr value, int64_t width, mpz_ptr scratch) {
    if (width > 0 && fits_twos_complement(value, static_cast<uint64_t>(width))) return;
    reduce_beyond_port_width(value, value, width, scratch);
}

// j: the number of zero bits above the leading one of magnitude in a
// width-bit field. magnitude must lie in [1, 2^width).
uint32_t normalisation_shift(mpz_srcptr magnitude, uint32_t width);

// y: the 26 bits below the leading one of the normalised divisor, whose
// leading one is bit width - 1. Narrow divisors are padded with zeros, wide
// ones truncated.
uint32_t divisor_fraction(mpz_srcptr normalised, uint32_t width, mpz_ptr scratch);

// Where a fraction falls in the reciprocal table: the top 9 bits pick the
// entry, the other 17 give an offset centred on the interval's midpoint.
struct reciprocal_lookup {
    uint32_t index; // 0 .. 511
    int32_t offset; // -65536 .. 65535
};
inline reciprocal_lookup locate_in_reciprocal_table(uint32_t fraction) {
    constexpr uint32_t offset_bits = 17;
    const uint32_t half_interval = 1u << (offset_bits - 1);
    const uint32_t within = fraction & ((1u << offset_bits) - 1);
    return {fraction >> offset_bits,
            static_cast<int32_t>(within) - static_cast<int32_t>(half_interval)};
}

// R: the table's base plus the offset times its (negative) slope, an
// estimate of 2^18 / x for the normalised divisor x in [1, 2); lies in
// [2^17, 2^18 - 1].
// Inline: the fast path runs it once per sample.
inline uint32_t interpolated_reciprocal(reciprocal_lookup where) {
    constexpr int64_t slope_bias = int64_t{1} << 14;
    const int64_t base = reciprocal_table::base(where.index);
    const int64_t slope = static_cast<int64_t>(reciprocal_table::slope(where.index)) - slope_bias;
    // 2^39 + b * 2^17 is below 2^40 and |offset * slope| below 2^30: the
    // numerator is positive and fits 64 bits comfortably, so the shift is
    // a floor.
    const int64_t numerator = (int64_t{1} << 39) + base * (int64_t{1} << 17) + where.offset * slope;
    return static_cast<uint32_t>(numerator >> 22);
}

// M = R * Dn * 2^pad.
void scale_divisor(mpz_ptr M, uint32_t reciprocal, mpz_srcptr normalised, uint32_t pad);

// X = floor(N * 2^shift / 2^drop), an arithmetic shift keeping N's sign.
void align_dividend(mpz_ptr X, mpz_srcptr dividend, uint32_t shift, uint32_t drop);

// Q = floor((2^pad +/- T) / 2^shift): the divisor's sign applied to the
// digit string, the rounding constant added, then an arithmetic shift.
void round_digit_string(mpz_ptr Q, mpz_srcptr T, bool negative_divisor, uint32_t pad,
                        uint32_t shift, mpz_ptr scratch);

#endif
