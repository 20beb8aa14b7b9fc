#include "demo_sample_source.h"

namespace quodra_div {
namespace {

struct small_pair {
    long dividend;
    long divisor;
};

constexpr small_pair fixed_pairs[] = {
    {100, 7}, {-7, 2}, {7, -2}, {-7, -2}, {-6, 3}, {1, 3},
};
constexpr small_pair zero_divisor_pairs[] = {{5, 0}, {-5, 0}};

void keep_if_in_range(std::vector<sample> &kept, const sample &candidate,
                      const operand_range &dividend_range, const operand_range &divisor_range) {
    if (dividend_range.contains(candidate.dividend.get()) &&
        divisor_range.contains(candidate.divisor.get())) {
        kept.push_back(candidate);
    }
}

sample small_sample(const small_pair &pair) {
    sample result;
    mpz_set_si(result.dividend.get(), pair.dividend);
    mpz_set_si(result.divisor.get(), pair.divisor);
    return result;
}

} // namespace

demo_sample_source::demo_sample_source(const operand_range &dividend_range,
                                       const operand_range &divisor_range) {
    for (const small_pair &pair : fixed_pairs) {
        keep_if_in_range(samples_, small_sample(pair), dividend_range, divisor_range);
    }
    sample overflow; // most negative / -1: the one quotient that does not fit
    mpz_set(overflow.dividend.get(), dividend_range.lowest());
    mpz_set_si(overflow.divisor.get(), -1);
    keep_if_in_range(samples_, overflow, dividend_range, divisor_range);
    sample extremes; // largest dividend over the most negative divisor
    mpz_set(extremes.dividend.get(), dividend_range.highest());
    mpz_set(extremes.divisor.get(), divisor_range.lowest());
    keep_if_in_range(samples_, extremes, dividend_range, divisor_range);
    for (const small_pair &pair : zero_divisor_pairs) {
        keep_if_in_range(samples_, small_sample(pair), dividend_range, divisor_range);
    }
}

bool demo_sample_source::next(sample &next_sample) {
    if (taken_ >= samples_.size()) {
        return false;
    }
    next_sample = samples_[taken_++];
    return true;
}

std::string demo_sample_source::position() const {
    return "demo sample " + std::to_string(taken_);
}

} // namespace quodra_div
