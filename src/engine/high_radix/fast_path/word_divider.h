// The High Radix divider's fast path. It runs the set-up steps of the
// reference sample divider (reference/sample_divider.h) without building the
// intermediate integers: the divisor's magnitude and the dividend are read
// as bit fields; the scaled divisor M is formed as R times the normalised
// divisor with a running carry; the aligned dividend X is the dividend's bits
// at the normalisation offset; and the unit is fed its slices directly. Each
// slice count has its own compiled sample steps (set-up, unit loop,
// rounding), chosen once per call.
//
// Entry assumptions: usable() holds (64-bit limbs without nails, a shape
// within the unit's register files, operands within padded_limbs' capacity);
// operands outside their ports are first reduced in place, as the reference
// reduces them. Every other configuration goes to the reference divider.
//
// Where exactness can break: each tier below is a second implementation of
// a step of the reference, taken for the widths it serves, and tied to the
// reference by a differential test (HighRadixWordPath.* in
// tests/engine/high_radix/fast_path/, IterativeUnit.* beside it in
// reference/). K is the digit count (iterations), Ns the slice count, h the
// low digits; gains are the model/I-O-floor ratio of quodra_ratio_bench with
// the tier against without it (the same run, medians; about +-2% is noise),
// then the instructions per sample under callgrind.
//
//   tier                       serves                    gain (time, instr)  tied by
//   set-up in 64/128-bit words both ports <= 64 bits,    16/16 +6%, +14%     AgreesWithTheReference-
//     (divide_words<Ns>)       Ns <= 5, h <= 8           64/64 +16%, +23%    AtEveryWidthUpTo64
//   set-up on limb windows     every other usable shape  (against the GNU    AgreesWithTheReference-
//     (divide_limbs<Ns>)                                 MP set-up)          OnRandomWideAndLong...
//   kernel fixed_slice_unit    K <= 36, Ns 1 .. 19,      16/16 +21%, +14%    CompiledUnitLoopsGive-
//     (digit_kernels.h)        unrolled per Ns           128/128 +28%, +37%  TheReferenceDigits
//                                                        300/200 -4%, +30%
//   kernel iterate_digits      K > 36, any Ns            (against the        SampleLoopMatches-
//     (digit_kernels.h)                                  traced unit)        TheReferenceLoop
//   rounding, one word         K <= 8                    16/16 +17%, +5%     GatheredDigitsRound-
//     (gathered_rounding.cpp)                            32/32 +21%, +9%     AsTheGnuMpString
//   rounding, two words        9 <= K <= 16              128/128 +13%, +5%   (same)
//   rounding, limbs            17 <= K <= 36             (all gathered       (same)
//                                                        rounding: 64/64
//                                                        +60%, +61%)
//   digit string on GNU MP     K > 36, in blocks of 256  C = 10^6: x100;     LongDigitStrings-
//     (reference/digit_string)  digits merged pairwise    C = 10^7: x450      AssembleExactly
//   samples read and written   calls whose arrays take   64/64 +40%, +22%    InPlaceSampleLoop-
//     in place (divide_stored, every read and write in   128/128 +25%, +12%  MatchesTheReference-
//     divide_high_radix.cpp)   place (default tables)                        Loop
//
// Measured on a shared 2-core machine (see docs/performance.md for the
// commands). Removed for showing no gain: a rounding tier for 9 to 12 digits
// in three words (+1.7% in time, within noise: those strings take the
// two-word tier), and a fixed limb register for compilers without 128-bit
// integers (no build here reaches it: such compilers take the GNU MP string).
// The fixed_slice_unit kernel at Ns = 19 with K = 18 (300/200 C40) runs 30%
// fewer instructions but about 4% longer than iterate_digits; kept, as the
// only such point measured, with Ns = 17 gaining 18%.
//
// Tried and slower (or no faster), so not kept:
// - fixed_slice_unit reading each multiplicand from the preparation instead
//   of its own copy: 2% to 5% fewer instructions (473 instead of 496 a
//   sample in the unit at 64/64, 1454 instead of 1486 in the 128/128 sample),
//   the same time within 0.1 of the ratio over three alternating rounds.
// - round_gathered_digits with every callee forced inline (flatten): the
//   same instructions; the compiler already inlines them.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_WORD_DIVIDER_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_WORD_DIVIDER_H

#include <gmp.h>

#include <cstdint>
#include <utility>

#include "engine/common/working_integer.h"
#include "engine/high_radix/fast_path/gathered_rounding.h"
#include "engine/high_radix/fast_path/padded_limbs.h"
#include "engine/high_radix/reference/digit_string.h"
#include "engine/high_radix/reference/unit.h"
#include "model/quodra_v5_1.h"

class high_radix_word_divider {
public:
    enum class outcome { quotient_ready, divide_by_zero, outside_port };

    explicit high_radix_word_divider(const quodra_v5_1 &model);

    // False when the configuration must take the reference path for every
    // sample: widths the unit's register files or 64-bit limbs cannot hold.
    bool usable() const { return configuration_usable; }

    // Divides one sample (usable() must hold). Like the reference, it first
    // reduces both operands in place to their port widths (a no-op for
    // operands in range), the dividend only when the divisor is not zero.
    outcome divide(mpz_ptr divisor, mpz_ptr dividend);

    mpz_srcptr quotient() const { return result; }

    // Divides one sample read where it is stored, writing the quotient
    // straight into `quotient` (which may be either operand's element: both
    // are read before it is written). Nothing is reduced: when an operand
    // lies outside its port the answer is outside_port and nothing is
    // written, and the caller loads, reduces and divides it with divide().
    // A zero divisor within its port gives divide_by_zero, as divide() does.
    outcome divide_stored(mpz_srcptr divisor, mpz_srcptr dividend, mpz_ptr quotient);

#if defined(__SIZEOF_INT128__)
    // True when every sample's quotient comes out of the word set-up and the
    // one-word rounding (ports of at most 64 bits, K <= max_word_digits),
    // so that divide_port_words serves the call.
    bool quotient_in_words() const;

    // The quotient Q = floor((2^pad +/- T) / 2^shift) of operands already
    // within their ports (port_word), as an exact signed 128-bit word, with
    // no GNU MP integer on the way. quotient_in_words() must hold and the
    // divisor must not be zero.
    rounded_word divide_port_words(int64_t divisor, int64_t dividend);
#endif

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
    using word_sample = void (high_radix_word_divider::*)(int64_t, int64_t);
    template <uint32_t Ns> void divide_words(int64_t divisor, int64_t dividend);
    static word_sample word_sample_for(uint32_t slices);
#if defined(__SIZEOF_INT128__)
    // The same set-up rounded to a word, for divide_port_words.
    using rounded_sample = rounded_word (high_radix_word_divider::*)(int64_t, int64_t);
    template <uint32_t Ns> rounded_word divide_words_to_word(int64_t divisor, int64_t dividend);
    static rounded_sample rounded_sample_for(uint32_t slices);
#endif
    // The unit's inputs from operands within ports of at most 64 bits;
    // returns the reciprocal R.
    template <uint32_t Ns> uint32_t set_up_words(int64_t divisor, int64_t dividend);
    void run_unit_and_round(uint32_t reciprocal, bool negative);

    // Where the digit string is gathered, by its length.
    enum class digit_store { gathered, gnu_mp };

    const quodra_v5_1 &model;
    high_radix_unit_shape shape;
    bool configuration_usable;
    bool words; // both ports fit 64-bit words
    word_sample divide_in_words = nullptr;
#if defined(__SIZEOF_INT128__)
    rounded_sample divide_to_word = nullptr;
#endif
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
    high_radix_digit_string long_string;
    working_integer digits;
    working_integer result;
    working_integer scratch;
    mpz_ptr written = result; // where the rounding writes Q: result, or a caller's element
};

#endif
