#include "engine/high_radix/reference/digit_string.h"

namespace {

constexpr unsigned digit_bits = 14;

// value = value * 2^14 + digit, for a signed digit.
void shift_in_digit(mpz_ptr value, int32_t digit) {
    mpz_mul_2exp(value, value, digit_bits);
    if (digit >= 0) {
        mpz_add_ui(value, value, static_cast<unsigned long>(digit));
    } else {
        mpz_sub_ui(value, value, static_cast<unsigned long>(-static_cast<int64_t>(digit)));
    }
}

// high = high * 2^(14 * low_digits) + low.
void place_above(mpz_ptr high, mpz_srcptr low, uint64_t low_digits) {
    mpz_mul_2exp(high, high, static_cast<mp_bitcnt_t>(digit_bits * low_digits));
    mpz_add(high, high, low);
}

} // namespace

high_radix_digit_string::high_radix_digit_string(mpz_ptr T, uint64_t total_digits) {
    restart(T, total_digits);
}

void high_radix_digit_string::restart(mpz_ptr T, uint64_t total_digits) {
    target = T;
    blocked = total_digits > block_digits;
    if (blocked && !block_initialised) {
        mpz_init(block);
        block_initialised = true;
    }
    // finish() leaves the block empty and every level unoccupied.
}

high_radix_digit_string::~high_radix_digit_string() {
    if (block_initialised) mpz_clear(block);
    for (unsigned i = 0; i < levels_initialised; ++i) mpz_clear(level[i]);
}

void high_radix_digit_string::append(int32_t digit) {
    if (!blocked) {
        shift_in_digit(target, digit);
        return;
    }
    shift_in_digit(block, digit);
    if (++block_count == block_digits) push_block();
}

// Carries a full block up the levels: two equal neighbours merge into one
// level above, the earlier one becoming the more significant half.
void high_radix_digit_string::push_block() {
    uint64_t carried_digits = block_digits;
    unsigned i = 0;
    while (i < levels_initialised && occupied[i]) {
        place_above(level[i], block, carried_digits);
        mpz_swap(level[i], block);
        occupied[i] = false;
        carried_digits *= 2;
        ++i;
    }
    // The unit produces fewer than 2^32 digits, so no more than 24 levels.
    if (i == levels_initialised) {
        mpz_init(level[i]);
        ++levels_initialised;
    }
    mpz_swap(level[i], block);
    occupied[i] = true;
    mpz_set_ui(block, 0);
    block_count = 0;
}

void high_radix_digit_string::finish() {
    if (!blocked) return;
    // Lower levels hold later digits: fold them in from the partial block up.
    uint64_t folded_digits = block_count;
    for (unsigned i = 0; i < levels_initialised; ++i) {
        if (!occupied[i]) continue;
        place_above(level[i], block, folded_digits);
        mpz_swap(level[i], block);
        occupied[i] = false;
        folded_digits += static_cast<uint64_t>(block_digits) << i;
    }
    place_above(target, block, folded_digits);
    mpz_set_ui(block, 0);
    block_count = 0;
}
