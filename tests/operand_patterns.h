// Operands for the differential tests of the division paths: the edges of
// a field and of the machine words, random values in range, long runs of
// ones and zeros, and values out of range (wider than the field, negative
// in an unsigned field), each drawn with either sign.
#ifndef QUODRA_TESTS_OPERAND_PATTERNS_H
#define QUODRA_TESTS_OPERAND_PATTERNS_H

#include <gmp.h>

#include <random>

namespace operand_patterns {

// 0, +-1 and +-2.
inline void small_edge(mpz_ptr value, std::mt19937 &pick) {
    const long edges[] = {0, 1, -1, 2, -2};
    mpz_set_si(value, edges[pick() % 5]);
}

// +-(2^k - 1), +-2^k or +-(2^k + 1), with k at the edges of the field
// (its extremes are 2^(w-1) and 2^w - 1) and of 64- and 128-bit words.
inline void power_of_two_edge(mpz_ptr value, std::mt19937 &pick, unsigned width) {
    const unsigned exponents[] = {width, width > 0 ? width - 1 : 0, width + 1, 62, 63, 64, 65,
                                  126, 127, 128};
    mpz_ui_pow_ui(value, 2, exponents[pick() % 10]);
    switch (pick() % 3) {
    case 0: mpz_sub_ui(value, value, 1); break;
    case 1: mpz_add_ui(value, value, 1); break;
    default: break;
    }
}

// One operand for a field of `width` bits.
inline void any_operand(mpz_ptr value, gmp_randstate_t random, std::mt19937 &pick,
                        unsigned width) {
    switch (pick() % 6) {
    case 0: small_edge(value, pick); return;
    case 1: power_of_two_edge(value, pick, width); break;
    case 2: mpz_rrandomb(value, random, width + 1); break;                  // long runs
    case 3: mpz_urandomb(value, random, width + 1 + pick() % 70); break;    // out of range
    default: mpz_urandomb(value, random, width); break;
    }
    if (pick() % 2 == 1) {
        mpz_neg(value, value);
    }
}

} // namespace operand_patterns

#endif
