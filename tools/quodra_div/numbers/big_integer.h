// GNU MP integers owned by C++ objects, and the one place the tool wraps a
// number to a field's width.
#ifndef QUODRA_DIV_NUMBERS_BIG_INTEGER_H
#define QUODRA_DIV_NUMBERS_BIG_INTEGER_H

#include <gmp.h>

#include <string>

namespace quodra_div {

// A GNU MP integer owned by one C++ object, so every path releases it.
class big_integer {
public:
    big_integer() { mpz_init(value_); }
    explicit big_integer(long initial) { mpz_init_set_si(value_, initial); }
    big_integer(const big_integer &other) { mpz_init_set(value_, other.value_); }
    big_integer &operator=(const big_integer &other) {
        mpz_set(value_, other.value_);
        return *this;
    }
    ~big_integer() { mpz_clear(value_); }

    mpz_ptr get() { return value_; }
    mpz_srcptr get() const { return value_; }

private:
    mpz_t value_;
};

// Keeps the low `width` bits of value (width >= 1): the unsigned pattern
// 0 .. 2^width - 1, or, as_signed, that pattern read as two's complement,
// -2^(width-1) .. 2^(width-1) - 1. The one place the tool wraps numbers.
void wrap_to_width(mpz_ptr value, unsigned width, bool as_signed);

// The value in decimal, for messages.
std::string decimal_text(mpz_srcptr value);

// shortened(decimal_text(value)), the form a message quotes, without
// converting every digit of a huge value.
std::string shortened_decimal_text(mpz_srcptr value);

} // namespace quodra_div

#endif
