// The Radix-2 bit-serial loop with its registers in machine words: a second,
// independent implementation of the loop in bit_serial_loop.cpp, for tests
// that check the GNU MP loop, the closed form and this one against each
// other. The library itself computes the register from the closed form.
#ifndef QUODRA_TESTS_SUPPORT_RADIX2_WORD_LOOP_H
#define QUODRA_TESTS_SUPPORT_RADIX2_WORD_LOOP_H

#include <gmp.h>

#include <cstddef>
#include <cstdint>

#include "engine/common/machine_words.h"

namespace radix2_word_loop {

// Machine-word registers. The loop below is the one above with P and Q in
// words instead of GNU MP integers; it is taken only when they fit. With a
// divisor D in (0, 2^(b-2)) the partial remainder stays in [-D, D) after
// every add or subtract and in [-2D, 2D) after the shift, so it fits a
// signed b-bit word; at most b iterations keep Q within an unsigned one.
template <class Unsigned> struct word_register;

template <> struct word_register<uint64_t> {
    using signed_type = int64_t;
    static constexpr unsigned bits = 64;
};

#if defined(QUODRA_HAVE_UINT128)
using machine_words::uint128;
using machine_words::int128;

template <> struct word_register<uint128> {
    using signed_type = int128;
    static constexpr unsigned bits = 128;
};
#endif

// One iteration; Q collects its bits from the top down by shifting them in.
template <class Signed, class Unsigned>
inline void word_iteration(Signed &p, Unsigned &q, Signed divisor, Signed dividend_bit) {
    const bool was_negative = p < 0;
    p = p * 2 + dividend_bit;
    p += was_negative ? divisor : -divisor;
    q = (q << 1) | Unsigned{p >= 0 ? 1u : 0u};
}

// `dividend` holds the low bits of N in two's complement.
template <class Unsigned>
inline Unsigned run_bit_serial_word(Unsigned d, Unsigned dividend, uint64_t dividend_bits,
                             uint64_t iterations) {
    using Signed = typename word_register<Unsigned>::signed_type;
    const auto divisor = static_cast<Signed>(d);
    Signed p = 0;
    Unsigned q = 0;
    uint64_t j = 0;
    for (; j < dividend_bits; ++j) {
        const auto bit = static_cast<Signed>((dividend >> (dividend_bits - 1 - j)) & 1u);
        word_iteration(p, q, divisor, bit);
    }
    for (; j < iterations; ++j) {
        word_iteration(p, q, divisor, Signed{0});
    }
    return q;
}

template <class Unsigned> inline bool registers_fit(size_t divisor_bits, uint64_t iterations) {
    return iterations <= word_register<Unsigned>::bits &&
           divisor_bits <= word_register<Unsigned>::bits - 2;
}

template <class Unsigned>
inline void run_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                  uint64_t iterations) {
    using machine_words::low_bits_of;
    machine_words::set_word(q, run_bit_serial_word(low_bits_of<Unsigned>(d),
                                                   low_bits_of<Unsigned>(n), dividend_bits,
                                                   iterations));
}

// Runs one sample's loop in the narrowest words that hold its registers;
// false, with Q untouched, when none does.
inline bool radix2_bit_serial_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                             uint64_t iterations) {
    if (!machine_words::available || mpz_sgn(d) <= 0) {
        return false;
    }
    const size_t divisor_bits = mpz_sizeinbase(d, 2);
    if (registers_fit<uint64_t>(divisor_bits, iterations)) {
        run_in_words<uint64_t>(q, d, n, dividend_bits, iterations);
        return true;
    }
#if defined(QUODRA_HAVE_UINT128)
    if (registers_fit<uint128>(divisor_bits, iterations)) {
        run_in_words<uint128>(q, d, n, dividend_bits, iterations);
        return true;
    }
#endif
    return false;
}

} // namespace radix2_word_loop

#endif
