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

} // namespace quodra_div
