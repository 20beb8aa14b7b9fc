// The High Radix divider's fast path. It runs the set-up steps of the
// reference sample divider (reference/sample_divider.h) without building the
// intermediate integers: the divisor's magnitude and the dividend are read
// as bit fields, from 64-bit and 128-bit words when both ports are at most 64
// bits wide, else as limb-wide windows of their limbs; the scaled divisor M
// is formed limb by limb as R times the normalised divisor with a running
// carry; the aligned dividend X is the dividend's bits at the normalisation
// offset; and the unit is fed its slices directly. Each slice count has its
// own compiled sample steps (set-up, unit loop, rounding), chosen once per
// call, so that every slice loop is unrolled. Digit
// strings of up to 36 digits are gathered in an array and rounded in fixed
// limbs, longer ones in one GNU MP string reused from sample to sample.
//
// Operands outside their ports are first reduced in place, as the reference
// reduces them. Configurations it does not take (see usable()) go to the
// reference divider; the results are the same bit for bit.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_WORD_DIVIDER_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_WORD_DIVIDER_H

#include <gmp.h>

#include <cstdint>
#include <utility>

#include "engine/common/working_integer.h"
#include "engine/high_radix/fast_path/digit_register.h"
#include "engine/high_radix/fast_path/gathered_rounding.h"
#include "engine/high_radix/fast_path/padded_limbs.h"
#include "engine/high_radix/reference/digit_string.h"
#include "engine/high_radix/reference/unit.h"
#include "model/quodra_v5_1.h"

class high_radix_word_divider {
public:
    enum class outcome { quotient_ready, divide_by_zero };

    explicit high_radix_word_divider(const quodra_v5_1 &model);

    // False when the configuration must take the reference path for every
    // sample: widths the unit's register files or 64-bit limbs cannot hold.
    bool usable() const { return configuration_usable; }

    // Divides one sample (usable() must hold). Like the reference, it first
    // reduces both operands in place to their port widths (a no-op for
    // operands in range), the dividend only when the divisor is not zero.
    outcome divide(mpz_ptr divisor, mpz_ptr dividend);

    mpz_srcptr quotient() const { return result; }

private:
    // The limb path compiled for each slice count, chosen once per call.
    using limb_sample = void (high_radix_word_divider::*)(const padded_limbs &, uint64_t, bool,
                                                          const padded_limbs &);
    template <uint32_t Ns>
    void divide_limbs(const padded_limbs &magnitude, uint64_t magnitude_bits, bool negative,
                      const padded_limbs &dividend);
    template <uint32_t... Ns>
    static limb_sample limb_sample_among(uint32_t slices, std::integer_sequence<uint32_t, Ns...>);
    template <uint32_t Ns> void gather_and_round(uint32_t reciprocal, bool negative);
    // The word path compiled for each slice count of ports of at most 64
    // bits, chosen once per call.
    using word_sample = void (high_radix_word_divider::*)(mpz_srcptr, mpz_srcptr);
    template <uint32_t Ns> void divide_words(mpz_srcptr divisor, mpz_srcptr dividend);
    static word_sample word_sample_for(uint32_t slices);
    void run_unit_and_round(uint32_t reciprocal, bool negative);

    // Where the digit string is gathered, by its length.
    enum class digit_store { gathered, limb_register, gnu_mp };

    const quodra_v5_1 &model;
    high_radix_unit_shape shape;
    bool configuration_usable;
    bool words; // both ports fit 64-bit words
    word_sample divide_in_words = nullptr;
    uint64_t divisor_half = 0; // 2^(width - 1) of each port, for the range test
    uint64_t dividend_half = 0;
    digit_store store;
    uint32_t divisor_width;
    uint32_t dividend_width;
    uint32_t dividend_drop; // hr_product_width - hr_working_width
    size_t divisor_limbs;   // limbs of the divisor slices' source
    size_t aligned_limbs;   // limbs of the aligned dividend, sign included
    uint32_t quotient_shift;
    int64_t dividend_lift; // aligned_width - working_width
    uint64_t aligned_keep[padded_limbs::capacity]; // per limb of s: its bits at or above the lift
    limb_sample divide_in_limbs; // null for a slice count beyond the unit's
    high_radix_unit_preparation prep;
#if defined(__SIZEOF_INT128__)
    // The digits of one sample after a lead of zeros.
    int32_t gathered[gathered_digit_lead + max_gathered_digits] = {};
#endif
    high_radix_digit_register digit_register;
    high_radix_digit_string long_string;
    working_integer digits;
    working_integer result;
    working_integer scratch;
};

#endif
