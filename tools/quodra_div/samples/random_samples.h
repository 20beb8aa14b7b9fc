// Random in-range samples, reproducible from a seed (--random).
#ifndef QUODRA_DIV_SAMPLES_RANDOM_SAMPLES_H
#define QUODRA_DIV_SAMPLES_RANDOM_SAMPLES_H

#include <cstdint>
#include <string>
#include <vector>

#include "samples/sample.h"
#include "samples/sample_words.h"

namespace quodra_div {

// Random in-range samples, reproducible from a seed. The first samples are
// every combination of each field's edge values (most negative, -1, 0, 1,
// maximum, as far as the field holds them), so zero divisors and the
// overflowing most-negative / -1 are always covered.
class random_samples {
public:
    random_samples(const operand_range &dividend_range, const operand_range &divisor_range,
                   uint64_t count, uint64_t seed);

    bool next(sample &next_sample);
    // Whether both fields are 1 .. 64 bits wide, so that next_words can
    // hand out the samples.
    bool fits_words() const;
    // The sample next() would give, as two's-complement words (see
    // numbers/machine_word.h); only when fits_words().
    bool next_words(uint64_t &dividend, uint64_t &divisor);
    // Takes up to `most` samples at once for words_at, without drawing
    // them: returns how many, the first being sample `first`.
    uint64_t claim(uint64_t most, uint64_t &first);
    // Sample `index` as words, a function of the index alone, so that
    // worker threads draw their own samples; only when fits_words().
    void words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const;
    std::string position() const;
    uint64_t known_total() const { return count_; }
    // Each sample is a function of its index, so skipping costs nothing.
    void skip(uint64_t n);

private:
    bool next_edge_pair(sample &next_sample);
    void draw(const operand_range &range, sample_words &words, mpz_ptr value);
    static uint64_t draw_word(const operand_range &range, sample_words &words);

    const operand_range &dividend_range_;
    const operand_range &divisor_range_;
    std::vector<big_integer> dividend_edges_;
    std::vector<big_integer> divisor_edges_;
    std::vector<uint64_t> dividend_edge_words_;
    std::vector<uint64_t> divisor_edge_words_;
    uint64_t count_;
    uint64_t produced_ = 0;
    uint64_t seed_;
    std::vector<uint64_t> limbs_;
};

} // namespace quodra_div

#endif
