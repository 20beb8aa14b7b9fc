// libquodra_systemc: one sample of 64-bit operand values through the
// engine's word batch (divide_word_batch), whose words are the values
// data_do writes for the same sample. The model is the library's own, made
// from the caller's configuration by the engine linked in here.
#include "quodra_sc_words.h"

#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/driver/word_sample.h"

struct quodra_sc_words {
    quodra_v5_1 *model;
    bool signed_operands;
    bool signed_quotient;
};

namespace {

bool run_batch(const quodra_sc_words &words, uint64_t dividend, uint64_t divisor, std::size_t count,
               quodra_sc_word_sample &out) {
    return quodra_internal::divide_word_sample(
               *words.model, words.signed_operands, dividend, divisor, words.signed_quotient, count,
               {&out.quotient, &out.remainder, &out.div_by_zero}) ==
           quodra_internal::word_batch_status::divided;
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
