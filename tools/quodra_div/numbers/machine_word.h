// Values of fields up to 64 bits wide held in one machine word: the word is
// the value's two's-complement pattern mod 2^64, read as signed or unsigned
// by whoever knows the field.
#ifndef QUODRA_DIV_NUMBERS_MACHINE_WORD_H
#define QUODRA_DIV_NUMBERS_MACHINE_WORD_H

#include <gmp.h>

#include <cstdint>

namespace quodra_div {

// The low `width` bits set (width 0 .. 64).
inline uint64_t low_bits_mask(unsigned width) {
    return width >= 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
}

// value mod 2^64: its two's-complement pattern in a word.
uint64_t word_pattern(mpz_srcptr value);

// The value a word holds: bits read as two's complement when is_signed.
void set_from_word(mpz_ptr value, uint64_t bits, bool is_signed);

} // namespace quodra_div

#endif
