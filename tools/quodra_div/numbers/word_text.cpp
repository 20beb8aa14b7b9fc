#include "numbers/word_text.h"

#include "numbers/machine_word.h"
#include "numbers/number_text.h"

namespace quodra_div {

char *put_hex_word(char *at, uint64_t bits, unsigned width) {
    static constexpr char digit_of[] = "0123456789abcdef";
    // A zero-width field still shows its value 0, as GNU MP writes it.
    const unsigned digits = width == 0 ? 1 : hex_digits(width);
    const uint64_t pattern = bits & low_bits_mask(width);
    // Most significant digit first: digit k holds bits 4k .. 4k+3.
    for (unsigned k = 0; k < digits; ++k) {
        at[digits - 1 - k] = digit_of[(pattern >> (4 * k)) & 0xf];
    }
    return at + digits;
}

void append_hex_word(std::string &out, uint64_t bits, unsigned width) {
    char text[max_hex_word_chars];
    out.append(text, static_cast<std::size_t>(put_hex_word(text, bits, width) - text));
}

char *put_decimal_word(char *at, uint64_t bits, bool is_signed) {
    const bool negative = is_signed && (bits >> 63) != 0;
    uint64_t magnitude = negative ? uint64_t{0} - bits : bits; // |-2^63| = 2^63
    char digits[20];
    unsigned count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) {
        *at++ = '-';
    }
    while (count > 0) {
        *at++ = digits[--count];
    }
    return at;
}

char *put_exact_real(char *at, const word_real &value) {
    if (value.negative) {
        *at++ = '-';
    }
    at = put_decimal_word(at, value.integer, false);
    *at++ = '.';
    if (value.scale == 0 || value.fraction == 0) {
        *at++ = '0';
        return at;
    }
    // f / 2^s has exactly s decimal digits: each is the integer part of the
    // remaining fraction times 10 (f * 10 < 2^68: a 128-bit product).
    __extension__ typedef unsigned __int128 double_word;
    const double_word mask = (double_word{1} << value.scale) - 1;
    double_word rest = value.fraction;
    char *last_non_zero = at;
    for (unsigned k = 0; k < value.scale; ++k) {
        rest *= 10;
        const auto digit = static_cast<char>('0' + static_cast<unsigned>(rest >> value.scale));
        rest &= mask;
        *at++ = digit;
        if (digit != '0') {
            last_non_zero = at;
        }
    }
    return last_non_zero; // trailing zeros dropped; a non-zero fraction keeps a
                          // digit
}

} // namespace quodra_div
