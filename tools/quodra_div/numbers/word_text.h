// Number text of 64-bit words, without GNU MP: the fixed-width hex pattern
// of a field up to 64 bits wide, decimal values, and exact binary fractions.
#ifndef QUODRA_DIV_NUMBERS_WORD_TEXT_H
#define QUODRA_DIV_NUMBERS_WORD_TEXT_H

#include <cstdint>
#include <string>

namespace quodra_div {

// Most characters put_hex_word writes.
constexpr unsigned max_hex_word_chars = 16;

// Writes the low `width` bits of bits (width 0 .. 64) at `at` as exactly
// hex_digits(width) lower-case digits (one for width 0): the text that
// number_text::append_hex_pattern writes for the same pattern. Returns the
// end of the digits.
char *put_hex_word(char *at, uint64_t bits, unsigned width);

// The same digits appended to out.
void append_hex_word(std::string &out, uint64_t bits, unsigned width);

// Most characters put_decimal_word writes: a sign and 20 digits.
constexpr unsigned max_decimal_word_chars = 21;

// The value of bits (two's complement when is_signed) in decimal, as
// number_text::append_decimal writes it. Returns the end of the text.
char *put_decimal_word(char *at, uint64_t bits, bool is_signed);

// A real value -/+ (integer + fraction / 2^scale), fraction < 2^scale and
// scale <= 64: the parts number_text::append_exact_real splits it into.
struct word_real {
    bool negative = false;
    uint64_t integer = 0;
    uint64_t fraction = 0;
    unsigned scale = 0;
};

// Most characters put_exact_real writes.
constexpr unsigned max_exact_real_chars = 1 + 20 + 1 + 64;

// The text number_text::append_exact_real writes for the same value.
char *put_exact_real(char *at, const word_real &value);

} // namespace quodra_div

#endif
