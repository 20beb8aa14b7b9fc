// Samples given on the command line as DIVIDEND DIVISOR pairs.
#ifndef QUODRA_DIV_ARGUMENT_SAMPLE_SOURCE_H
#define QUODRA_DIV_ARGUMENT_SAMPLE_SOURCE_H

#include <vector>

#include "sample_source.h"

namespace quodra_div {

class argument_sample_source : public sample_source {
public:
    // texts holds dividend, divisor, dividend, divisor, ...
    explicit argument_sample_source(std::vector<std::string> texts);

    bool next(sample &next_sample) override;
    std::string position() const override;
    uint64_t known_total() const override { return texts_.size() / 2; }

private:
    std::vector<std::string> texts_;
    std::size_t pairs_taken_ = 0;
};

} // namespace quodra_div

#endif
