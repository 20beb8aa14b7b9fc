// The Radix-2 divider's bit-serial loop on GNU MP integers, the reference
// every faster form of the register is checked against. It takes the
// divisor D and the dividend N as the loop sees them and produces the
// uncorrected quotient register of `iterations` bits, reading dividend bits
// below `dividend_bits`.
#ifndef QUODRA_ENGINE_RADIX2_BIT_SERIAL_LOOP_H
#define QUODRA_ENGINE_RADIX2_BIT_SERIAL_LOOP_H

#include <cstdint>
#include <gmp.h>

// Receives every iteration of the bit-serial loop: iteration number, sign of
// P before the shift, P after the shift and dividend bit, P after the add or
// subtract, and whether the quotient bit was set.
using radix2_trace_hook = void (*)(void *context, uint64_t iteration, bool negative_before_shift,
                                   mpz_srcptr shifted, mpz_srcptr updated, bool bit_set);

// The loop on GNU MP integers; P ends holding the uncorrected partial
// remainder. `hook` may be null.
void radix2_bit_serial_traced(mpz_ptr q, mpz_ptr p, mpz_srcptr d, mpz_srcptr n,
                              uint64_t dividend_bits, uint64_t iterations, radix2_trace_hook hook,
                              void *context);

#endif
