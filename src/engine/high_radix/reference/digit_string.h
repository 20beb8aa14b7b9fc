// Assembles the quotient digit string T of the iterative unit on GNU MP
// integers. Digits are signed and redundant (they may be negative or exceed
// 14 bits), arrive most significant first, and are weighted 2^14 apart: each
// step is T = T * 2^14 + q.
//
// Short strings are built exactly that way, in place. Long strings would make
// that quadratic in their length, so they are built in blocks that are merged
// pairwise like a binary counter, which keeps a string of millions of digits
// near-linear.
#ifndef QUODRA_ENGINE_HIGH_RADIX_REFERENCE_DIGIT_STRING_H
#define QUODRA_ENGINE_HIGH_RADIX_REFERENCE_DIGIT_STRING_H

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

#endif
