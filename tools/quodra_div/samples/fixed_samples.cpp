#include "samples/fixed_samples.h"

#include "cli/tool_error.h"
#include "samples/operand_text.h"

namespace quodra_div {

fixed_samples fixed_samples::from_arguments(const std::vector<std::string> &texts,
                                            const operand_fields &fields) {
    std::vector<sample> samples(texts.size() / 2);
    for (std::size_t pair = 0; pair < samples.size(); ++pair) {
        try {
            read_sample(texts[2 * pair], texts[2 * pair + 1], fields, samples[pair]);
        } catch (const tool_error &e) {
            throw tool_error(e.status(), "command-line pair " + std::to_string(pair + 1) + ": " +
                                             e.what());
        }
    }
    return fixed_samples(std::move(samples), "command-line pair ");
}

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

fixed_samples fixed_samples::demo(const operand_range &dividend_range,
                                  const operand_range &divisor_range) {
    std::vector<sample> samples;
    for (const small_pair &pair : fixed_pairs) {
        keep_if_in_range(samples, small_sample(pair), dividend_range, divisor_range);
    }
    sample overflow; // most negative / -1: the one quotient that does not fit
    mpz_set(overflow.dividend.get(), dividend_range.lowest());
    mpz_set_si(overflow.divisor.get(), -1);
    keep_if_in_range(samples, overflow, dividend_range, divisor_range);
    sample extremes; // largest dividend over the most negative divisor
    mpz_set(extremes.dividend.get(), dividend_range.highest());
    mpz_set(extremes.divisor.get(), divisor_range.lowest());
    keep_if_in_range(samples, extremes, dividend_range, divisor_range);
    for (const small_pair &pair : zero_divisor_pairs) {
        keep_if_in_range(samples, small_sample(pair), dividend_range, divisor_range);
    }
    return fixed_samples(std::move(samples), "demo sample ");
}

bool fixed_samples::next(sample &next_sample) {
    if (taken_ >= samples_.size()) {
        return false;
    }
    next_sample = samples_[taken_++];
    return true;
}

void fixed_samples::skip(uint64_t n) {
    const std::size_t left = samples_.size() - taken_;
    taken_ += n >= left ? left : static_cast<std::size_t>(n);
}

} // namespace quodra_div
