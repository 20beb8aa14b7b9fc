// Number text of 64-bit words, without GNU MP: the fixed-width hex pattern
// of a field up to 64 bits wide.
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

} // namespace quodra_div

#endif
