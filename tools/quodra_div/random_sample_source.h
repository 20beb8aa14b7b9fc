// Random in-range samples, reproducible from a seed. The first samples are
// every combination of each field's edge values (most negative, -1, 0, 1,
// maximum, as far as the field holds them), so zero divisors and the
// overflowing most-negative / -1 are always covered.
#ifndef QUODRA_DIV_RANDOM_SAMPLE_SOURCE_H
#define QUODRA_DIV_RANDOM_SAMPLE_SOURCE_H

#include <random>
#include <vector>

#include "operand_range.h"
#include "sample_source.h"

namespace quodra_div {

class random_sample_source : public sample_source {
public:
    random_sample_source(const operand_range &dividend_range, const operand_range &divisor_range,
                         uint64_t count, uint64_t seed);

    bool next(sample &next_sample) override;
    std::string position() const override;
    uint64_t known_total() const override { return count_; }

private:
    bool next_edge_pair(sample &next_sample);
    void draw(const operand_range &range, mpz_ptr value);
    uint64_t uniform_below(uint64_t bound);

    const operand_range &dividend_range_;
    const operand_range &divisor_range_;
    std::vector<big_integer> dividend_edges_;
    std::vector<big_integer> divisor_edges_;
    uint64_t count_;
    uint64_t produced_ = 0;
    // The engine's output sequence is fixed by the C++ standard, so a seed
    // gives the same samples on every platform and library version.
    std::mt19937_64 engine_;
    std::vector<uint64_t> words_;
};

} // namespace quodra_div

#endif
