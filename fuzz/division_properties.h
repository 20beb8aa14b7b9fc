// What a division result must satisfy, stated in exact integer arithmetic
// independently of how the engine computes it.
#ifndef QUODRA_FUZZ_DIVISION_PROPERTIES_H
#define QUODRA_FUZZ_DIVISION_PROPERTIES_H

#include <gmp.h>

#include <cstdint>

#include "quodra.h"

// Remainder mode. N = Qt*D + Rt with truncation towards zero; a negative
// Qt (Rt) is delivered with 2^field added once in signed mode, and as is in
// unsigned mode. Either result may be absent (null) when only the other one
// reached the caller. With operands inside their fields both results lie
// inside their fields. D must be non-zero.
void check_remainder_sample(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                            mpz_srcptr dividend, mpz_srcptr quotient, mpz_srcptr remainder);

// The Radix-2 register in closed form: U = floor((|N| mod 2^W) 2^Fi / |D|)
// (all ones when D = 0) with Fi fraction iterations; signed operands then
// split U at F into integer and fraction fields, each carrying the result's
// sign as a two's-complement pattern. False when no closed form applies
// (unsigned operands with a negative divisor).
bool radix2_closed_form(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                        mpz_srcptr dividend, mpz_ptr expected);

// The Radix-2 quotient register equals its closed form where one applies.
void check_radix2_sample(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                         mpz_srcptr dividend, mpz_srcptr quotient);

// The High Radix port reduction: the two's-complement value of the low
// `width` bits (0 for a zero-width port).
void reduce_to_port(mpz_ptr value, int32_t width);

// High Radix, on operands already reduced to their ports, D non-zero:
// |Q*D - N*2^C| < |D|, the quotient is within one unit of N*2^C/D.
void check_high_radix_sample(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                             mpz_srcptr dividend, mpz_srcptr quotient);

#endif
