// A small built-in set of samples that shows the divider's behaviour:
// ordinary quotients, every sign combination, truncation towards zero, the
// overflowing most-negative / -1, and zero divisors. Samples that do not fit
// the configured fields are left out.
#ifndef QUODRA_DIV_DEMO_SAMPLE_SOURCE_H
#define QUODRA_DIV_DEMO_SAMPLE_SOURCE_H

#include <vector>

#include "operand_range.h"
#include "sample_source.h"

namespace quodra_div {

class demo_sample_source : public sample_source {
public:
    demo_sample_source(const operand_range &dividend_range, const operand_range &divisor_range);

    bool next(sample &next_sample) override;
    std::string position() const override;
    uint64_t known_total() const override { return samples_.size(); }

private:
    std::vector<sample> samples_;
    std::size_t taken_ = 0;
};

} // namespace quodra_div

#endif
