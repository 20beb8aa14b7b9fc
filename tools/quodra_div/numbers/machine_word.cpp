#include "numbers/machine_word.h"

namespace quodra_div {

uint64_t word_pattern(mpz_srcptr value) {
    // The low 64 bits of |value|, negated mod 2^64 for a negative value.
    mpz_t low;
    mpz_init(low);
    mpz_abs(low, value);
    mpz_fdiv_r_2exp(low, low, 64);
    uint64_t magnitude = 0;
    mpz_export(&magnitude, nullptr, -1, sizeof magnitude, 0, 0, low); // one word at most
    mpz_clear(low);
    return mpz_sgn(value) < 0 ? uint64_t{0} - magnitude : magnitude;
}

void set_from_word(mpz_ptr value, uint64_t bits, bool is_signed) {
    const bool negative = is_signed && (bits >> 63) != 0;
    const uint64_t magnitude = negative ? uint64_t{0} - bits : bits; // |-2^63| = 2^63
    if (sizeof(unsigned long) >= sizeof magnitude) {
        mpz_set_ui(value, static_cast<unsigned long>(magnitude)); // the usual case, faster
    } else {
        mpz_import(value, 1, -1, sizeof magnitude, 0, 0, &magnitude);
    }
    if (negative) {
        mpz_neg(value, value);
    }
}

} // namespace quodra_div
