// One sample through the engine's word batch, for the front ends that
// divide a sample a call (the DPI and SystemC libraries): operands and
// results as 64-bit bit patterns, so a C interface can carry them.
//
// Operands are read as int64 values when signed_operands, as uint64 values
// otherwise; the quotient word is the two's-complement pattern of the
// signed High Radix quotient when signed_quotient, the written pattern
// otherwise. A count of 0 divides nothing and only asks whether the model's
// configuration is in reach, which the batch decides before any sample.
#ifndef QUODRA_ENGINE_DRIVER_WORD_SAMPLE_H
#define QUODRA_ENGINE_DRIVER_WORD_SAMPLE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/driver/word_batch.h"

namespace quodra_internal {

struct word_sample_results {
    uint64_t *quotient;
    uint64_t *remainder; // written in remainder mode only
    uint32_t *div_by_zero;
};

inline word_batch_status divide_word_sample(const quodra_v5_1 &model, bool signed_operands,
                                            uint64_t dividend, uint64_t divisor,
                                            bool signed_quotient, std::size_t count,
                                            const word_sample_results &out) noexcept {
    int64_t signed_quotient_word = 0;
    word_results results;
    if (signed_quotient) {
        results.quotient.as_int64 = &signed_quotient_word;
    } else {
        results.quotient.as_uint64 = out.quotient;
    }
    results.remainder.as_uint64 = out.remainder;
    results.div_by_zero = out.div_by_zero;
    word_batch_status status;
    if (signed_operands) {
        int64_t n;
        int64_t d;
        std::memcpy(&n, &dividend, sizeof n);
        std::memcpy(&d, &divisor, sizeof d);
        status = divide_word_batch(model, &d, &n, count, results);
    } else {
        status = divide_word_batch(model, &divisor, &dividend, count, results);
    }
    if (signed_quotient) {
        // 0 where the batch left the word alone (a zero divisor's quotient).
        std::memcpy(out.quotient, &signed_quotient_word, sizeof signed_quotient_word);
    }
    return status;
}

} // namespace quodra_internal

#endif
