// The part of each operand the Radix-2 datapath looks at, taken from a
// stored integer of any size. The loop reads dividend bits below W only, and
// with signed operands the operand's sign; a divisor is compared whole, but
// one of 2^n or more exceeds every n-bit value X the loop divides, so its
// register bits are all 0 (D > 0) or all 1 (D < 0, unsigned) whatever its
// size. Each function costs O(W) or O(n), never the stored size.
#ifndef QUODRA_ENGINE_RADIX2_USED_OPERAND_BITS_H
#define QUODRA_ENGINE_RADIX2_USED_OPERAND_BITS_H

#include <gmp.h>

#include <cstdint>

namespace radix2 {

// target = the dividend as the loop sees it: `stored` itself when its
// magnitude fits W bits; else sign(N) * ((|N| mod 2^W) + 2^W), which keeps
// N mod 2^W (the unsigned loop's two's-complement bits), |N| mod 2^W (the
// signed loop's magnitude bits) and the sign, even when those bits are 0.
void keep_dividend_bits(mpz_ptr target, mpz_srcptr stored, uint64_t dividend_bits);

// target = the divisor as the loop sees it: `stored` itself when its
// magnitude is below 2^iterations, else sign(D) * 2^iterations, which gives
// the same register and the same zero flag.
void keep_divisor_bits(mpz_ptr target, mpz_srcptr stored, uint64_t iterations);

} // namespace radix2

#endif
