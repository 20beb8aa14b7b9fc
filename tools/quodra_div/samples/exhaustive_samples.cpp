#include "samples/exhaustive_samples.h"

#include <algorithm>

#include "cli/options.h"
#include "numbers/machine_word.h"

namespace quodra_div {

exhaustive_samples::exhaustive_samples(const operand_range &dividend_range,
                                       const operand_range &divisor_range)
    : dividend_range_(dividend_range), divisor_range_(divisor_range) {
    const unsigned bits = dividend_range.width() + divisor_range.width();
    if (bits > static_cast<unsigned>(exhaustive_forced_bits)) {
        throw usage_error("--exhaustive cannot count 2^" + std::to_string(bits) + " pairs");
    }
    divisor_values_ = uint64_t{1} << divisor_range.width();
    lowest_dividend_word_ = word_pattern(dividend_range.lowest());
    lowest_divisor_word_ = word_pattern(divisor_range.lowest());
    total_ = uint64_t{1} << bits;
    skip(0);
}

bool exhaustive_samples::next(sample &next_sample) {
    if (produced_ >= total_) {
        return false;
    }
    mpz_set(next_sample.dividend.get(), dividend_.get());
    mpz_set(next_sample.divisor.get(), divisor_.get());
    ++produced_;
    // The divisor counts up; past its highest value it starts again and the
    // dividend steps up.
    if (mpz_cmp(divisor_.get(), divisor_range_.highest()) < 0) {
        mpz_add_ui(divisor_.get(), divisor_.get(), 1);
    } else {
        mpz_set(divisor_.get(), divisor_range_.lowest());
        mpz_add_ui(dividend_.get(), dividend_.get(), 1);
    }
    return true;
}

void exhaustive_samples::skip(uint64_t n) {
    produced_ = n >= total_ - produced_ ? total_ : produced_ + n;
    // Operands of pair produced_; both offsets are below 2^63.
    mpz_set_ui(dividend_.get(), static_cast<unsigned long>(produced_ / divisor_values_));
    mpz_add(dividend_.get(), dividend_.get(), dividend_range_.lowest());
    mpz_set_ui(divisor_.get(), static_cast<unsigned long>(produced_ % divisor_values_));
    mpz_add(divisor_.get(), divisor_.get(), divisor_range_.lowest());
}

uint64_t exhaustive_samples::claim(uint64_t most, uint64_t &first) {
    first = produced_;
    const uint64_t taken = std::min(most, total_ - produced_);
    skip(taken);
    return taken;
}

// Pair `index` as words: the lowest value plus the offset, mod 2^64, is the
// value's two's-complement word.
void exhaustive_samples::words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const {
    dividend = lowest_dividend_word_ + index / divisor_values_;
    divisor = lowest_divisor_word_ + index % divisor_values_;
}

std::string exhaustive_samples::position() const {
    return "exhaustive pair " + std::to_string(produced_);
}

} // namespace quodra_div
