// The Radix-2 divider's fast path: the register of the bit-serial loop from
// its closed form. The loop is a non-restoring divider of the n-bit value
// X = (N mod 2^W) * 2^(n-W); with D > 0 its register is floor(X / D), and
// with D <= 0 every bit is set.
#ifndef QUODRA_ENGINE_RADIX2_CLOSED_FORM_H
#define QUODRA_ENGINE_RADIX2_CLOSED_FORM_H

#include <gmp.h>

#include <cstdint>

#include "engine/common/working_integer.h"
#include "quodra.h"

namespace radix2 {

// What one call divides: the widths as the loop uses them.
struct radix2_shape {
    bool signed_operands;
    uint64_t dividend_bits;
    uint64_t fraction_bits; // F where the signed layout or the fraction uses it, else 0
    uint64_t iterations;
    // Bits of the value written: the register, or the signed layout of W + F bits.
    uint64_t written_bits() const {
        return signed_operands ? dividend_bits + fraction_bits : iterations;
    }
};

// The shape of a configuration whose widths require_radix2_widths has
// accepted (every width used is non-negative and W + F representable): F
// is used by the fractional output and by the signed layout, and the
// fractional output runs W + F iterations.
radix2_shape shape_of(const qor_quodra_v5_1_config &config);

// The word one call's samples are divided in, chosen once per call.
enum class sample_word { none, bits_64, bits_128 };
sample_word word_for(const radix2_shape &shape);

// The working values of one call.
struct radix2_registers {
    working_integer divisor;
    working_integer dividend;
    working_integer quotient;
    working_integer fraction;
    working_integer scratch;
};

// One sample's written value into r.quotient from r.divisor and r.dividend
// (magnitudes when the operands are signed, `negative` the result's sign):
// the register in the word chosen for the call, or on GNU MP integers, then
// the signed layout when the operands are signed.
void divide_sample(radix2_registers &r, const radix2_shape &shape, sample_word word,
                   bool negative);

// The register alone in one GNU MP division; `scratch` is a working integer.
void closed_form(mpz_ptr q, mpz_ptr scratch, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                 uint64_t iterations);

} // namespace radix2

#endif
