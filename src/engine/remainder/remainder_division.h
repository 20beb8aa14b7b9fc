// Remainder-mode division: every sample divided exactly with truncation
// towards zero into an integer quotient and remainder, in machine words when
// the operands fit them (remainder_division.cpp) and on GNU MP integers
// otherwise (exact_division.cpp, the reference the words are checked
// against).
#ifndef QUODRA_ENGINE_REMAINDER_REMAINDER_DIVISION_H
#define QUODRA_ENGINE_REMAINDER_REMAINDER_DIVISION_H

#include <cstdint>
#include <gmp.h>

#include "model/quodra_v5_1.h"

// One sample with a non-zero divisor on GNU MP integers, the reference the
// word path is checked against: truncating division, and with signed
// operands the magnitudes divided (both operands are left holding their
// magnitudes), the quotient signed by the operand pair and the remainder by
// the dividend, each wrapped into its field.
void divide_exactly(mpz_ptr quotient, mpz_ptr remainder, mpz_ptr divisor, mpz_ptr dividend,
                    mpz_ptr scratch, bool signed_operands, mp_bitcnt_t quotient_width,
                    mp_bitcnt_t remainder_width);

// Divides samples 0 .. count-1 in remainder mode. The arrays have been
// checked by the driver (sizes, remainder present) and the widths by
// require_remainder_widths. Returns 0.
int divide_with_remainder(const quodra_v5_1 &model, qor_array_mpz *divisor, qor_array_mpz *dividend,
                          qor_array_mpz *quotient, qor_array_mpz *remainder,
                          qor_array_uint *div_by_zero, uint32_t count);

#endif
