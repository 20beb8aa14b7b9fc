// Rounding of short digit strings gathered in an array: the quotient
// Q = floor((2^pad +/- T) / 2^shift) formed in 128-bit words and fixed limbs,
// with no GNU MP call until Q is written.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_GATHERED_ROUNDING_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_GATHERED_ROUNDING_H

#include <gmp.h>

#include <cstdint>

#if defined(__SIZEOF_INT128__)
// Q = floor((2^pad +/- T) / 2^shift) for the digit string T of
// digits[0 .. count-1] (most significant first), T negated for a negative
// divisor, with no GNU MP call until Q is written (and no allocation once Q
// has grown to its width). count at most max_gathered_digits; shift in
// 1 .. 63 and pad below 64. The gathered_digit_lead entries before
// digits[0] must be zero: short strings are summed eight digits at a time,
// as a tree rather than one digit after another.
constexpr uint32_t max_gathered_digits = 36;
constexpr uint32_t gathered_digit_lead = 8;
void round_gathered_digits(mpz_ptr Q, const int32_t *digits, uint32_t count,
                           bool negative_divisor, uint32_t pad, uint32_t shift);

// The same Q as a signed 128-bit word for a string of at most
// max_word_digits digits: |T| < 2^115 there, so Q is exact in the word.
constexpr uint32_t max_word_digits = 8;
__extension__ typedef __int128 rounded_word;
rounded_word round_gathered_word(const int32_t *digits, uint32_t count, bool negative_divisor,
                                 uint32_t pad, uint32_t shift);
#endif

#endif
