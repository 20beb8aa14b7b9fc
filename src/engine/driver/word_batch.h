// The engine's batch path over machine words: arrays of 64-bit operands in,
// result words out, through the same word cores that data_do uses once it
// has read its GNU MP samples (remainder/word_core.h, radix2/word_core.h,
// the High Radix word set-up of fast_path/word_divider.h). Every word it
// writes is the value data_do writes for the same sample, and its flags are
// data_do's flags.
//
// Internal: not exported from the shared library. It is for the front ends
// that link the internal archive quodra_internal (the tool, the DPI library)
// or compile the library's sources in (the Python extension); a caller
// that gets word_batch_status::not_in_reach divides the same samples again
// through data_do on GNU MP arrays, which also gives every message a
// refused configuration deserves.
//
// Reach (configuration, checked before the first sample):
//   remainder mode, any algorithm: unsigned operands always; signed ones
//     when both fields (dividend and divisor width) are 0 .. 64 bits wide;
//   Radix-2 fractional algorithm: when data_do accepts the widths and the
//     written value (the register of W or W + F bits, or the signed layout
//     of W + F bits) fits 64 bits;
//   High Radix: divisor width 1 .. 64, dividend width 0 .. 64 and
//     B + C <= 62 (the bound is proved in word_batch.cpp).
// Reach (samples): a result that the output's reading cannot hold (a
// negative value in a uint64 output, 2^63 or more in an int64 one) ends
// the call with not_in_reach, that word unwritten; the outputs then hold
// a partial batch.
#ifndef QUODRA_ENGINE_DRIVER_WORD_BATCH_H
#define QUODRA_ENGINE_DRIVER_WORD_BATCH_H

#include <cstddef>
#include <cstdint>

#include "model/quodra_v5_1.h"

namespace quodra_internal {

// One output array, read as signed or unsigned words: exactly one pointer
// is set.
struct result_words {
    int64_t *as_int64 = nullptr;
    uint64_t *as_uint64 = nullptr;
};

// Where one call's results go, `count` elements each. The remainder is
// written in remainder mode only. div_by_zero[i] is 1 for a zero divisor,
// as data_do flags it; a High Radix quotient is then undefined and its word
// is left as the caller had it, as data_do leaves the quotient element, so
// the flag is what marks it.
struct word_results {
    result_words quotient;
    result_words remainder;
    uint32_t *div_by_zero = nullptr;
};

enum class word_batch_status { divided, not_in_reach };

// Divides samples 0 .. count-1 of the operand arrays (values, not bit
// patterns: the GNU MP integers data_do would read). Never raises and never
// allocates; safe to call from several threads on one model.
word_batch_status divide_word_batch(const quodra_v5_1 &model, const int64_t *divisor,
                                    const int64_t *dividend, std::size_t count,
                                    const word_results &results) noexcept;
word_batch_status divide_word_batch(const quodra_v5_1 &model, const uint64_t *divisor,
                                    const uint64_t *dividend, std::size_t count,
                                    const word_results &results) noexcept;

} // namespace quodra_internal

#endif
