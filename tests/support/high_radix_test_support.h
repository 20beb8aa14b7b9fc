// Test support for the High Radix divider: models made directly, GNU MP
// integers that release themselves, and seeded operands.
#ifndef QUODRA_TESTS_SUPPORT_HIGH_RADIX_TEST_SUPPORT_H
#define QUODRA_TESTS_SUPPORT_HIGH_RADIX_TEST_SUPPORT_H

#include <gmp.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/high_radix/reference/setup.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "quodra.h"
#include "support/config_builder.h"

namespace high_radix_test {

// A model made directly, as the library's own code sees it; null when
// creation refuses the widths (beyond the unit).
inline std::unique_ptr<quodra_v5_1> created_model(int32_t A, int32_t B, int32_t C,
                                                  qor_quodra_v5_1_zanlogger::ZanLogger &logger) {
    try {
        return std::make_unique<quodra_v5_1>(config_builder::high_radix(A, B, C), &logger);
    } catch (const QUODRAException &) {
        return nullptr;
    }
}

struct integer {
    integer() { mpz_init(v); }
    ~integer() { mpz_clear(v); }
    integer(const integer &) = delete;
    integer &operator=(const integer &) = delete;
    std::string text() const {
        std::vector<char> s(mpz_sizeinbase(v, 10) + 2);
        mpz_get_str(s.data(), 10, v);
        return s.data();
    }
    mpz_t v;
};

class random_source {
public:
    explicit random_source(unsigned long seed) {
        gmp_randinit_mt(state);
        gmp_randseed_ui(state, seed);
    }
    ~random_source() { gmp_randclear(state); }
    random_source(const random_source &) = delete;
    random_source &operator=(const random_source &) = delete;

    uint32_t below(uint32_t n) { return static_cast<uint32_t>(gmp_urandomm_ui(state, n)); }

    // A value of a width-bit signed port, often at its edges.
    void signed_operand(mpz_ptr x, uint32_t width) {
        const uint32_t top = width - 1;
        switch (below(8)) {
        case 0: // most negative
            mpz_set_si(x, -1);
            mpz_mul_2exp(x, x, top);
            return;
        case 1: // most positive
            mpz_set_ui(x, 1);
            mpz_mul_2exp(x, x, top);
            mpz_sub_ui(x, x, 1);
            return;
        case 2:             // +/- a power of two
            if (top == 0) { // a one-bit port holds only 0 and -1
                mpz_set_si(x, -1);
                return;
            }
            mpz_set_ui(x, 1);
            mpz_mul_2exp(x, x, below(top));
            break;
        default: // any magnitude that fits
            mpz_urandomb(x, state, below(top + 1));
            break;
        }
        if (below(2) == 1) mpz_neg(x, x);
    }

    // A port value: random bits, long runs of ones and zeros included, read
    // as a width-bit two's complement number; one in eight is left as up to
    // 70 bits wider than the port, of either sign.
    void port_value(mpz_ptr x, uint32_t width, mpz_ptr scratch) {
        const bool beyond = below(8) == 0;
        mpz_rrandomb(x, state, width + 1 + (beyond ? below(70) : 0));
        if (!beyond) {
            reduce_to_port_width(x, width, scratch);
        } else if (below(2) == 0) {
            mpz_neg(x, x);
        }
    }

private:
    gmp_randstate_t state;
};

} // namespace high_radix_test

#endif
