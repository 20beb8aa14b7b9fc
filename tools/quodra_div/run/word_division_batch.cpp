#include "run/word_division_batch.h"

#include "engine/driver/word_batch.h"

namespace quodra_div {

namespace {

using quodra_internal::divide_word_batch;
using quodra_internal::word_batch_status;

// Never a flag value: shows that the word batch wrote no flag.
constexpr uint32_t unwritten_flag = 2;

// The words are two's-complement patterns; a signed batch reads the same
// storage as int64 (a signed and an unsigned type may alias).
const int64_t *as_signed(const std::vector<uint64_t> &words) {
    return reinterpret_cast<const int64_t *>(words.data());
}

} // namespace

bool word_batch_reaches(const divider_model &model) {
    const quodra_internal::word_results nowhere;
    const bool is_signed = model.get()->config.operand_sign == QUODRA_OPERAND_SIGNED;
    const word_batch_status status =
        is_signed ? divide_word_batch(*model.get(), static_cast<const int64_t *>(nullptr), nullptr,
                                      0, nowhere)
                  : divide_word_batch(*model.get(), static_cast<const uint64_t *>(nullptr), nullptr,
                                      0, nowhere);
    return status == word_batch_status::divided;
}

void word_division_batch::fill(sample_source &source) {
    uint64_t first = 0;
    const uint64_t count = source.claim_words(capacity_, first);
    fill_claimed(source, first, static_cast<std::size_t>(count));
}

void word_division_batch::fill_claimed(const sample_source &source, uint64_t first,
                                       std::size_t count) {
    fill_with(count, [&](std::size_t index, uint64_t &dividend, uint64_t &divisor) {
        source.words_at(first + index, dividend, divisor);
    });
}

// The operand words grow to the largest batch once and are then reused.
void word_division_batch::make_room(std::size_t count) {
    if (dividends_.size() < count) {
        dividends_.resize(count);
        divisors_.resize(count);
    }
}

bool word_division_batch::divide(const divider_model &model, const result_layout &layout) {
    if (count_ == 0) {
        return true;
    }
    // Planted first, so that a slot the word batch leaves alone is seen.
    quotients_.assign(count_, unwritten_quotient_word(layout));
    remainders_.assign(count_, ~uint64_t{0});
    flags_.assign(count_, unwritten_flag);
    results_.resize(count_);
    if (!divide_words(model, layout)) {
        return false;
    }
    for (std::size_t i = 0; i < count_; ++i) {
        if (!decode_words(layout, quotients_[i], remainders_[i], flags_[i], results_[i])) {
            return false;
        }
    }
    return true;
}

// A High Radix quotient is a signed value; every other output is an
// unsigned pattern, which the word batch writes in uint64 words.
bool word_division_batch::divide_words(const divider_model &model, const result_layout &layout) {
    quodra_internal::word_results out;
    if (layout.raw_quotient_signed()) {
        out.quotient.as_int64 = reinterpret_cast<int64_t *>(quotients_.data());
    } else {
        out.quotient.as_uint64 = quotients_.data();
    }
    if (layout.has_remainder()) {
        out.remainder.as_uint64 = remainders_.data();
    }
    out.div_by_zero = flags_.data();
    const word_batch_status status =
        signed_operands_
            ? divide_word_batch(*model.get(), as_signed(divisors_), as_signed(dividends_), count_,
                                out)
            : divide_word_batch(*model.get(), divisors_.data(), dividends_.data(), count_, out);
    return status == word_batch_status::divided;
}

} // namespace quodra_div
