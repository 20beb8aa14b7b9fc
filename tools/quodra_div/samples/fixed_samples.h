// A fixed list of samples, all made before anything is divided: the
// DIVIDEND DIVISOR pairs of the command line, or the built-in demo set.
#ifndef QUODRA_DIV_SAMPLES_FIXED_SAMPLES_H
#define QUODRA_DIV_SAMPLES_FIXED_SAMPLES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "samples/sample.h"

namespace quodra_div {

class fixed_samples {
public:
    // texts holds dividend, divisor, dividend, divisor, ... Every pair is
    // read at once, so a bad one anywhere on the command line leaves no
    // output at all; throws tool_error naming the first bad pair.
    static fixed_samples from_arguments(const std::vector<std::string> &texts,
                                        const operand_fields &fields);

    // A small set that shows the divider's behaviour: ordinary quotients,
    // every sign combination, truncation towards zero, the overflowing
    // most-negative / -1, and zero divisors. Samples that do not fit the
    // fields are left out.
    static fixed_samples demo(const operand_range &dividend_range,
                              const operand_range &divisor_range);

    bool next(sample &next_sample);
    // "command-line pair N" or "demo sample N".
    std::string position() const { return position_label_ + std::to_string(taken_); }
    uint64_t known_total() const { return samples_.size(); }
    // Passes over n samples.
    void skip(uint64_t n);

private:
    fixed_samples(std::vector<sample> samples, std::string position_label)
        : samples_(std::move(samples)), position_label_(std::move(position_label)) {}

    std::vector<sample> samples_;
    std::string position_label_;
    std::size_t taken_ = 0;
};

} // namespace quodra_div

#endif
