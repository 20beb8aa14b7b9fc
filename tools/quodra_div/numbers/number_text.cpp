#include "numbers/number_text.h"

#include <cstring>

namespace quodra_div {

std::size_t decimal_chars(unsigned width, bool is_signed) {
    big_integer limit;
    mpz_setbit(limit.get(), width);
    // sizeinbase may count one digit more than needed, never fewer.
    return mpz_sizeinbase(limit.get(), 10) + (is_signed ? 1 : 0);
}

const char *number_text::digits_of(mpz_srcptr value, int base) {
    const std::size_t needed = mpz_sizeinbase(value, base) + 2;
    if (buffer_.size() < needed) {
        buffer_.resize(needed);
    }
    return mpz_get_str(buffer_.data(), base, value);
}

void number_text::append_decimal(std::string &out, mpz_srcptr value) {
    out += digits_of(value, 10);
}

void number_text::append_hex_pattern(std::string &out, mpz_srcptr value, unsigned width) {
    // The residue mod 2^width is the two's-complement pattern.
    mpz_set(scratch_.get(), value);
    wrap_to_width(scratch_.get(), width, false);
    const char *digits = digits_of(scratch_.get(), 16);
    const std::size_t length = std::strlen(digits);
    const std::size_t wanted = hex_digits(width);
    if (length < wanted) {
        out.append(wanted - length, '0');
    }
    out += digits;
}

mpz_srcptr number_text::power_of_five(unsigned exponent) {
    if (exponent != five_exponent_ || mpz_sgn(five_power_.get()) == 0) {
        mpz_ui_pow_ui(five_power_.get(), 5, exponent);
        five_exponent_ = exponent;
    }
    return five_power_.get();
}

void number_text::append_exact_real(std::string &out, mpz_srcptr numerator, unsigned scale) {
    if (mpz_sgn(numerator) < 0) {
        out += '-';
    }
    mpz_abs(scratch_.get(), numerator);
    mpz_fdiv_q_2exp(integer_part_.get(), scratch_.get(), scale);
    mpz_fdiv_r_2exp(fraction_part_.get(), scratch_.get(), scale);
    append_decimal(out, integer_part_.get());
    out += '.';
    if (scale == 0 || mpz_sgn(fraction_part_.get()) == 0) {
        out += '0';
        return;
    }
    // f / 2^s = f * 5^s / 10^s: exactly s decimal digits.
    mpz_mul(fraction_part_.get(), fraction_part_.get(), power_of_five(scale));
    const char *digits = digits_of(fraction_part_.get(), 10);
    std::size_t length = std::strlen(digits);
    out.append(scale - length, '0');
    while (length > 1 && digits[length - 1] == '0') {
        --length;
    }
    out.append(digits, length);
}

} // namespace quodra_div
