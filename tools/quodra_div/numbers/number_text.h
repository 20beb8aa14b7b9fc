// Number text for every format and message: decimal values, fixed-width
// two's-complement hex patterns and exact binary fractions. Buffers and
// scratch integers are reused, so formatting a row does not allocate once
// they have grown.
#ifndef QUODRA_DIV_NUMBERS_NUMBER_TEXT_H
#define QUODRA_DIV_NUMBERS_NUMBER_TEXT_H

#include <cstddef>
#include <string>
#include <vector>

#include "numbers/big_integer.h"

namespace quodra_div {

// Hex digits of a field: ceil(width / 4).
inline unsigned hex_digits(unsigned width) { return (width + 3) / 4; }

// Characters of the longest decimal value of a field.
std::size_t decimal_chars(unsigned width, bool is_signed);

class number_text {
public:
    void append_decimal(std::string &out, mpz_srcptr value);

    // The two's-complement bit pattern of value in `width` bits, as exactly
    // hex_digits(width) digits. Bits above the width are dropped.
    void append_hex_pattern(std::string &out, mpz_srcptr value, unsigned width);

    // numerator / 2^scale written exactly: every binary fraction has a
    // finite decimal expansion of at most `scale` digits. Trailing zeros are
    // dropped, one fraction digit is always kept ("3.0", "-14.3125").
    void append_exact_real(std::string &out, mpz_srcptr numerator, unsigned scale);

private:
    const char *digits_of(mpz_srcptr value, int base);
    mpz_srcptr power_of_five(unsigned exponent);

    std::vector<char> buffer_;
    big_integer scratch_;
    big_integer integer_part_;
    big_integer fraction_part_;
    big_integer five_power_;
    unsigned five_exponent_ = 0; // five_power_ = 5^five_exponent_
};

} // namespace quodra_div

#endif
