// A GNU MP integer owned by one C++ object, so every path releases it.
#ifndef QUODRA_DIV_BIG_INTEGER_H
#define QUODRA_DIV_BIG_INTEGER_H

#include <gmp.h>

namespace quodra_div {

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

} // namespace quodra_div

#endif
