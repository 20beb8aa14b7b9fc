// libquodra_systemc: one sample of 64-bit operand values through the
// engine's word batch (divide_word_batch), whose words are the values
// data_do writes for the same sample. The model is the library's own, made
// from the caller's configuration by the engine linked in here.
#include "quodra_sc_words.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "engine/driver/word_batch.h"

struct quodra_sc_words {
    quodra_v5_1 *model;
    bool signed_operands;
    bool signed_quotient;
};

namespace {

using quodra_internal::divide_word_batch;
using quodra_internal::word_batch_status;
using quodra_internal::word_results;

int64_t as_int64(uint64_t bits) {
    int64_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint64_t as_bits(int64_t value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Runs `count` (0 or 1) samples; a count of 0 asks only whether the
// configuration is in reach, which the batch checks before any sample.
bool run_batch(const quodra_sc_words &words, uint64_t dividend, uint64_t divisor, std::size_t count,
               quodra_sc_word_sample &out) {
    int64_t signed_quotient_word = 0;
    word_results results;
    if (words.signed_quotient) {
        results.quotient.as_int64 = &signed_quotient_word;
    } else {
        results.quotient.as_uint64 = &out.quotient;
    }
    results.remainder.as_uint64 = &out.remainder;
    results.div_by_zero = &out.div_by_zero;
    word_batch_status status;
    if (words.signed_operands) {
        const int64_t n = as_int64(dividend);
        const int64_t d = as_int64(divisor);
        status = divide_word_batch(*words.model, &d, &n, count, results);
    } else {
        status = divide_word_batch(*words.model, &divisor, &dividend, count, results);
    }
    if (words.signed_quotient) {
        out.quotient = as_bits(signed_quotient_word);
    }
    return status == word_batch_status::divided;
}

} // namespace

extern "C" quodra_sc_words *quodra_sc_words_open(const qor_quodra_v5_1_config *config,
                                                 int signed_operands, int signed_quotient) {
    if (config == nullptr) {
        return nullptr;
    }
    // No handler: a configuration refused here was refused, with its
    // message, by the caller's own libquodra model first.
    quodra_v5_1 *model = qor_quodra_v5_1_create(config, nullptr, nullptr);
    if (model == nullptr) {
        return nullptr;
    }
    auto *words = new (std::nothrow) quodra_sc_words{model, signed_operands != 0, signed_quotient != 0};
    if (words == nullptr) {
        qor_quodra_v5_1_destroy(model);
        return nullptr;
    }
    quodra_sc_word_sample unused{0, 0, 0};
    if (!run_batch(*words, 0, 0, 0, unused)) {
        quodra_sc_words_close(words);
        return nullptr;
    }
    return words;
}

extern "C" int quodra_sc_words_divide_one(const quodra_sc_words *words, uint64_t dividend,
                                          uint64_t divisor, quodra_sc_word_sample *out) {
    return words != nullptr && out != nullptr && run_batch(*words, dividend, divisor, 1, *out);
}

extern "C" void quodra_sc_words_close(quodra_sc_words *words) {
    if (words != nullptr) {
        qor_quodra_v5_1_destroy(words->model);
        delete words;
    }
}
