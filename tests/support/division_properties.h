// What a division result must satisfy, stated once in exact integer
// arithmetic independently of how the engine computes it, for the property
// tests and the fuzz targets alike. Each check gives the text of the
// property a sample breaks, or an empty string when the sample keeps them
// all; describe_sample gives the sample for a report.
#ifndef QUODRA_TESTS_SUPPORT_DIVISION_PROPERTIES_H
#define QUODRA_TESTS_SUPPORT_DIVISION_PROPERTIES_H

#include <gmp.h>

#include <cstdint>
#include <string>

#include "quodra.h"

// 2^bits for a non-negative bit count.
void set_power_of_two(mpz_ptr value, uint64_t bits);

// Remainder mode. N = Qt*D + Rt with truncation towards zero; a negative
// Qt (Rt) is delivered with 2^field added once in signed mode, and as is in
// unsigned mode. Either result may be absent (null) when only the other one
// reached the caller. With operands inside their fields both results lie
// inside their fields. D must be non-zero.
std::string remainder_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                       mpz_srcptr dividend, mpz_srcptr quotient,
                                       mpz_srcptr remainder);

// The signed Radix-2 layout of a register U: I = U >> F and
// G = (U mod 2^F) >> 1, both negated when the result is negative and
// wrapped into W and F bits; the value is I 2^F + G.
void radix2_signed_layout(mpz_ptr expected, mpz_srcptr u, bool negative, uint64_t w, uint64_t f);

// The Radix-2 register in closed form: U = floor((|N| mod 2^W) 2^Fi / |D|)
// (all ones when D = 0) with Fi fraction iterations (F in fractional
// output, else 0); signed operands then take the signed layout. False when
// no closed form applies (unsigned operands with a negative divisor).
bool radix2_closed_form(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                        mpz_srcptr dividend, mpz_ptr expected);

// The Radix-2 quotient register equals its closed form where one applies.
std::string radix2_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                    mpz_srcptr dividend, mpz_srcptr quotient);

// The High Radix port reduction: the two's-complement value of the low
// `width` bits (0 for a zero-width port).
void reduce_to_port(mpz_ptr value, int32_t width);

// High Radix, on operands already reduced to their ports, D non-zero:
// |Q*D - N*2^C| < |D|, the quotient is within one unit of N*2^C/D.
std::string high_radix_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                        mpz_srcptr dividend, mpz_srcptr quotient);

// The configuration and operands of a sample, and whichever results are
// not null, one line each, so that a failure can be reproduced by hand.
std::string describe_sample(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                            mpz_srcptr dividend, mpz_srcptr quotient, mpz_srcptr remainder);

#endif
