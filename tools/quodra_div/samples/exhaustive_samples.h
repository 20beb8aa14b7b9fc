// Every operand pair of the fields, in a fixed order (--exhaustive).
#ifndef QUODRA_DIV_SAMPLES_EXHAUSTIVE_SAMPLES_H
#define QUODRA_DIV_SAMPLES_EXHAUSTIVE_SAMPLES_H

#include <cstdint>
#include <string>

#include "samples/sample.h"

namespace quodra_div {

// Every operand pair of the fields, dividend outer and divisor inner, each
// from its lowest to its highest value: pair i has dividend lowest + i / D
// and divisor lowest + i % D, where D is the number of divisor values. The
// widths together may have at most 63 bits (throws tool_error otherwise).
class exhaustive_samples {
public:
    exhaustive_samples(const operand_range &dividend_range, const operand_range &divisor_range);

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return total_; }
    // Jumps over n pairs at once.
    void skip(uint64_t n);
    // random_samples' word interface: every field of an exhaustive run
    // fits a word (the widths sum to at most 63 bits).
    uint64_t claim(uint64_t most, uint64_t &first);
    void words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const;

private:
    const operand_range &dividend_range_;
    const operand_range &divisor_range_;
    uint64_t divisor_values_;
    uint64_t total_;
    uint64_t produced_ = 0;
    uint64_t lowest_dividend_word_; // the lowest values' two's-complement words
    uint64_t lowest_divisor_word_;
    big_integer dividend_;
    big_integer divisor_;
};

} // namespace quodra_div

#endif
