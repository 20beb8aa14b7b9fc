// A GNU MP integer that lives for one scope: the engine creates its working
// values once per call and reuses them sample after sample.
#ifndef QUODRA_ENGINE_WORKING_INTEGER_H
#define QUODRA_ENGINE_WORKING_INTEGER_H

#include <gmp.h>

class working_integer {
public:
    working_integer() { mpz_init(value); }
    ~working_integer() { mpz_clear(value); }
    working_integer(const working_integer &) = delete;
    working_integer &operator=(const working_integer &) = delete;

    mpz_ptr get() { return value; }
    mpz_srcptr get() const { return value; }
    operator mpz_ptr() { return value; }
    operator mpz_srcptr() const { return value; }

private:
    mpz_t value;
};

#endif
