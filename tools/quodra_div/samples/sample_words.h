// The random words of one --random sample, a function of (seed, sample
// index) alone.
#ifndef QUODRA_DIV_SAMPLES_SAMPLE_WORDS_H
#define QUODRA_DIV_SAMPLES_SAMPLE_WORDS_H

#include <Random123/philox.h>

#include <cstdint>

namespace quodra_div {

// Philox4x64-10 is a counter-based generator: a keyed bijection of a 256-bit
// counter. Sample i's k-th block of four words is the image of the counter
// (i, k, 0, 0) under the key (seed, 0), and its words are used in order. A
// sample therefore needs nothing from the samples before it, however many
// words they drew, so a shard or a job starts at its first sample at once.
// The cipher is exact integer arithmetic (64 x 64 -> 128-bit products, xor),
// the same on every platform.
class sample_words {
public:
    sample_words(uint64_t seed, uint64_t sample_index)
        : key_{{seed, 0}}, counter_{{sample_index, 0, 0, 0}} {}

    uint64_t next() {
        if (used_ == block_.size()) {
            block_ = cipher_(counter_, key_);
            ++counter_[1];
            used_ = 0;
        }
        return block_[used_++];
    }

private:
    using cipher = r123::Philox4x64;
    cipher cipher_;
    cipher::key_type key_;
    cipher::ctr_type counter_;
    cipher::ctr_type block_{};
    std::size_t used_ = block_.size();
};

} // namespace quodra_div

#endif
