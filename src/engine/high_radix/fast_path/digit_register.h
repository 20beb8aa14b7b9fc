// The digit string in a fixed register of 64-bit limbs, for compilers
// without 128-bit integers (where the gathered rounding tiers of
// gathered_rounding.h do not exist).
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_DIGIT_REGISTER_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_DIGIT_REGISTER_H

#include <gmp.h>

#include <cstdint>

// The digit string in a fixed register of 64-bit limbs, two's complement.
// A digit's magnitude is below 2^16, so K digits give |T| < 2^(14K + 3);
// four digits at a time are gathered in one word (|group| < 2^59) before
// they enter the limbs.
class high_radix_digit_register {
public:
    static constexpr unsigned max_limbs = 8;

    // True when a string of `digits` digits fits the register with its sign.
    static bool holds(uint64_t digits) { return 14 * digits + 4 <= 64 * max_limbs; }

    // Empties the register for a string of `digits` digits (holds(digits)).
    void start(uint32_t digits);

    void append(int32_t digit) {
        group = group * (int64_t{1} << 14) + digit;
        if (++grouped == group_digits) flush();
    }

    // Q = floor((2^pad +/- T) / 2^shift), T negated for a negative divisor,
    // written to Q without allocating once Q has grown to its width.
    // shift must lie in 1 .. 63.
    void round_into(mpz_ptr Q, bool negative_divisor, uint32_t pad, uint32_t shift);

private:
    static constexpr unsigned group_digits = 4;

    void flush();

    uint64_t limb[max_limbs] = {};
    unsigned limbs = 1;
    int64_t group = 0;
    unsigned grouped = 0;
};

#endif
