// Operands for the differential tests of the division paths: the edges of
// a field and of the machine words, random values in range, long runs of
// ones and zeros, and values out of range (wider than the field, negative
// in an unsigned field), each drawn with either sign; and refused reads,
// which leave the previous sample's operand in the divider's register.
#ifndef QUODRA_TESTS_SUPPORT_OPERAND_PATTERNS_H
#define QUODRA_TESTS_SUPPORT_OPERAND_PATTERNS_H

#include <gmp.h>

#include <cstddef>
#include <random>

#include "quodra.h"

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

// Hides the last `refused` samples of an input array from the divider
// (past its data_size, so their reads are refused) while it lives, then
// restores the size so that the array releases every element.
class refused_tail {
public:
    refused_tail(qor_array_mpz *array, std::size_t refused)
        : array(array), size(array->data_size) {
        array->data_size = size - refused;
    }
    ~refused_tail() { array->data_size = size; }
    refused_tail(const refused_tail &) = delete;
    refused_tail &operator=(const refused_tail &) = delete;

private:
    qor_array_mpz *array;
    std::size_t size;
};

// The operand registers as the divider holds them after reading sample i:
// a refused read leaves the previous value.
inline void read_operands(mpz_ptr divisor_register, mpz_ptr dividend_register,
                          const qor_array_mpz *divisor, const qor_array_mpz *dividend,
                          std::size_t i) {
    if (i < divisor->data_size) {
        mpz_set(divisor_register, divisor->data[i]);
    }
    if (i < dividend->data_size) {
        mpz_set(dividend_register, dividend->data[i]);
    }
}

} // namespace operand_patterns

#endif
