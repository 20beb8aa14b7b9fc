// The per-sample set-up steps of the High Radix divider: operands reduced to
// their port widths, the divisor normalised so its leading one sits at the
// top of its port, an 18-bit reciprocal interpolated from the table, the
// scaled divisor M = R * Dn (close to a power of two), the aligned dividend X,
// and the final sign and rounding of the unit's digit string.
#ifndef QUODRA_ENGINE_HIGH_RADIX_SETUP_H
#define QUODRA_ENGINE_HIGH_RADIX_SETUP_H

#include <gmp.h>

#include <cstdint>

// Reduces value to the two's complement number a port of `width` bits would
// hold (the value modulo 2^width, read as signed). Values in range are left
// as they are; a port of width 0 or less holds only 0.
void reduce_to_port_width(mpz_ptr value, int64_t width, mpz_ptr scratch);

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
reciprocal_lookup locate_in_reciprocal_table(uint32_t fraction);

// R: the table's base plus the offset times its (negative) slope, an
// estimate of 2^18 / x for the normalised divisor x in [1, 2); lies in
// [2^17, 2^18 - 1].
uint32_t interpolated_reciprocal(reciprocal_lookup where);

// M = R * Dn * 2^pad.
void scale_divisor(mpz_ptr M, uint32_t reciprocal, mpz_srcptr normalised, uint32_t pad);

// X = floor(N * 2^shift / 2^drop), an arithmetic shift keeping N's sign.
void align_dividend(mpz_ptr X, mpz_srcptr dividend, uint32_t shift, uint32_t drop);

// Q = floor((2^pad +/- T) / 2^shift): the divisor's sign applied to the
// digit string, the rounding constant added, then an arithmetic shift.
void round_digit_string(mpz_ptr Q, mpz_srcptr T, bool negative_divisor, uint32_t pad,
                        uint32_t shift, mpz_ptr scratch);

#endif
