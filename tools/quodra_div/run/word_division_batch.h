// One batch on the word route: up to capacity random samples held as
// two's-complement words, divided by the engine's word batch in one call,
// and each result decoded into its fields' patterns. Memory follows the
// samples read, as in division_batch.
#ifndef QUODRA_DIV_RUN_WORD_DIVISION_BATCH_H
#define QUODRA_DIV_RUN_WORD_DIVISION_BATCH_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/result_layout.h"
#include "formats/word_result.h"
#include "run/divider_model.h"
#include "samples/sample_source.h"

namespace quodra_div {

// Whether the engine's word batch takes the model's configuration: asked
// with no samples, before the first batch.
bool word_batch_reaches(const divider_model &model);

class word_division_batch {
public:
    // signed_operands: the configuration's operand sign, which picks the
    // word batch's int64 or uint64 operand arrays.
    word_division_batch(std::size_t capacity, bool signed_operands)
        : capacity_(capacity), signed_operands_(signed_operands) {}

    std::size_t capacity() const { return capacity_; }
    std::size_t count() const { return count_; }

    // Empties the batch and reads up to capacity samples from source, which
    // must give words.
    void fill(sample_source &source);
    // Empties the batch and draws the `count` samples (at most capacity)
    // that source.claim_words handed out from `first` on: what a worker
    // thread does with the samples the writer claimed for it.
    void fill_claimed(const sample_source &source, uint64_t first, std::size_t count);
    // Empties the batch and takes `count` samples (at most capacity):
    // at(index, dividend, divisor) gives each as words.
    template <typename At> void fill_with(std::size_t count, At &&at) {
        make_room(count);
        for (std::size_t i = 0; i < count; ++i) {
            at(i, dividends_[i], divisors_[i]);
        }
        count_ = count;
    }

    // Divides the samples in one word batch call and decodes every result.
    // Returns false when the word batch answers not_in_reach or a result is
    // one result_layout::decode would refuse; the samples are kept for the
    // GNU MP route, and the results are then meaningless.
    bool divide(const divider_model &model, const result_layout &layout);

    uint64_t dividend(std::size_t index) const { return dividends_[index]; }
    uint64_t divisor(std::size_t index) const { return divisors_[index]; }
    const word_result &result(std::size_t index) const { return results_[index]; }

private:
    void make_room(std::size_t count);
    bool divide_words(const divider_model &model, const result_layout &layout);

    std::size_t capacity_;
    bool signed_operands_;
    std::size_t count_ = 0;
    std::vector<uint64_t> dividends_;
    std::vector<uint64_t> divisors_;
    std::vector<uint64_t> quotients_;
    std::vector<uint64_t> remainders_;
    std::vector<uint32_t> flags_;
    std::vector<word_result> results_;
};

} // namespace quodra_div

#endif
