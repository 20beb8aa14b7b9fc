// Assembles the quotient digit string of the iterative unit. Digits are
// signed and redundant (they may be negative or exceed 14 bits), arrive most
// significant first, and are weighted 2^14 apart: each step is
// T = T * 2^14 + q.
//
// Short strings (the usual case) are built exactly that way, in place. Long
// strings would make that quadratic in their length, so they are built in
// blocks that are merged pairwise like a binary counter, which keeps a string
// of millions of digits near-linear.
//
// Strings of up to 36 digits (the usual case) need no GNU MP call until the
// rounded quotient is written out: gathered in an array and summed in 128-bit
// words and fixed limbs (round_gathered_digits), or, where the compiler has
// no 128-bit integers, in a fixed two's complement limb register.
#ifndef QUODRA_ENGINE_HIGH_RADIX_DIGIT_STRING_H
#define QUODRA_ENGINE_HIGH_RADIX_DIGIT_STRING_H

#include <gmp.h>

#include <cstdint>

class high_radix_digit_string {
public:
    // Digits up to this count go straight into T.
    static constexpr uint32_t block_digits = 256;

    // T receives T * 2^(14 * total_digits) + the digit string once finished.
    high_radix_digit_string(mpz_ptr T, uint64_t total_digits);
    // An idle string, to be started for each sample: its working integers
    // then grow once and serve every later sample of the call.
    high_radix_digit_string() = default;
    ~high_radix_digit_string();
    high_radix_digit_string(const high_radix_digit_string &) = delete;
    high_radix_digit_string &operator=(const high_radix_digit_string &) = delete;

    // Starts a new string into T, as the constructor does.
    void restart(mpz_ptr T, uint64_t total_digits);

    void append(int32_t digit);

    // Folds the blocks into T; appending afterwards is not allowed.
    void finish();

private:
    static constexpr unsigned max_levels = 40;

    void push_block();

    mpz_ptr target = nullptr;
    bool blocked = false;
    bool block_initialised = false;
    mpz_t block;
    uint32_t block_count = 0;
    // level[i], when occupied, holds block_digits * 2^i digits; higher
    // levels hold earlier, more significant digits.
    mpz_t level[max_levels];
    bool occupied[max_levels] = {};
    unsigned levels_initialised = 0;
};

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

#if defined(__SIZEOF_INT128__)
// Q = floor((2^pad +/- T) / 2^shift) for the digit string T of
// digits[0 .. count-1] (most significant first), T negated for a negative
// divisor, with no GNU MP call until Q is written (and no allocation once Q
// has grown to its width). count at most max_gathered_digits; shift in
// 1 .. 63 and pad below 64. The gathered_digit_lead entries before
// digits[0] must be zero: short strings are summed eight digits at a time,
// as a tree rather than one digit after another.
constexpr uint32_t max_gathered_digits = 36;
constexpr uint32_t gathered_digit_lead = 8;
void round_gathered_digits(mpz_ptr Q, const int32_t *digits, uint32_t count,
                           bool negative_divisor, uint32_t pad, uint32_t shift);
#endif

#endif
