#include "samples/random_samples.h"

#include <algorithm>

#include "numbers/machine_word.h"

namespace quodra_div {

namespace {

// Edge values that the range holds, in a fixed order, without repeats.
std::vector<big_integer> edge_values(const operand_range &range) {
    std::vector<big_integer> candidates(5);
    mpz_set(candidates[0].get(), range.lowest());
    mpz_set_si(candidates[1].get(), -1);
    mpz_set_si(candidates[2].get(), 0);
    mpz_set_si(candidates[3].get(), 1);
    mpz_set(candidates[4].get(), range.highest());
    std::vector<big_integer> edges;
    for (const big_integer &candidate : candidates) {
        bool repeated = false;
        for (const big_integer &kept : edges) {
            repeated = repeated || mpz_cmp(kept.get(), candidate.get()) == 0;
        }
        if (!repeated && range.contains(candidate.get())) {
            edges.push_back(candidate);
        }
    }
    return edges;
}

std::vector<uint64_t> edge_words(const std::vector<big_integer> &edges) {
    std::vector<uint64_t> words;
    for (const big_integer &edge : edges) {
        words.push_back(word_pattern(edge.get()));
    }
    return words;
}

bool fits_word(const operand_range &range) { return range.width() >= 1 && range.width() <= 64; }

// Unbiased: rejects the few raw values that would favour small results.
uint64_t uniform_below(uint64_t bound, sample_words &words) {
    const uint64_t threshold = (0 - bound) % bound; // 2^64 mod bound
    uint64_t raw = 0;
    do {
        raw = words.next();
    } while (raw < threshold);
    return raw % bound;
}

} // namespace

random_samples::random_samples(const operand_range &dividend_range,
                               const operand_range &divisor_range, uint64_t count, uint64_t seed)
    : dividend_range_(dividend_range),
      divisor_range_(divisor_range),
      dividend_edges_(edge_values(dividend_range)),
      divisor_edges_(edge_values(divisor_range)),
      dividend_edge_words_(edge_words(dividend_edges_)),
      divisor_edge_words_(edge_words(divisor_edges_)),
      count_(count),
      seed_(seed) {}

bool random_samples::next(sample &next_sample) {
    if (produced_ >= count_) {
        return false;
    }
    if (!next_edge_pair(next_sample)) {
        sample_words words(seed_, produced_);
        draw(dividend_range_, words, next_sample.dividend.get());
        draw(divisor_range_, words, next_sample.divisor.get());
    }
    ++produced_;
    return true;
}

bool random_samples::next_edge_pair(sample &next_sample) {
    const uint64_t pairs = dividend_edges_.size() * divisor_edges_.size();
    if (produced_ >= pairs) {
        return false;
    }
    const std::size_t divisor_index = produced_ % divisor_edges_.size();
    const std::size_t dividend_index = produced_ / divisor_edges_.size();
    mpz_set(next_sample.dividend.get(), dividend_edges_[dividend_index].get());
    mpz_set(next_sample.divisor.get(), divisor_edges_[divisor_index].get());
    return true;
}


// The magnitude's bit length is uniform, then its bits: quotients of every
// size occur, not only those of two full-width operands. Negative values are
// -(m + 1), so the most negative value is reachable and 0 is not doubled.
void random_samples::draw(const operand_range &range, sample_words &words, mpz_ptr value) {
    const unsigned magnitude_width = range.is_signed() ? range.width() - 1 : range.width();
    const auto length = static_cast<unsigned>(uniform_below(uint64_t{magnitude_width} + 1, words));
    mpz_set_ui(value, 0);
    if (length > 0) {
        limbs_.resize((length + 63) / 64);
        for (uint64_t &limb : limbs_) {
            limb = words.next();
        }
        mpz_import(value, limbs_.size(), -1, sizeof(uint64_t), 0, 0, limbs_.data());
        mpz_fdiv_r_2exp(value, value, length);
        mpz_setbit(value, length - 1);
    }
    if (range.is_signed() && (words.next() & 1) != 0) {
        mpz_add_ui(value, value, 1);
        mpz_neg(value, value);
    }
}

bool random_samples::fits_words() const {
    return fits_word(dividend_range_) && fits_word(divisor_range_);
}

// The same samples as next(): the same edge pairs first, then the same
// words of the same sample_words drawn in the same order.
bool random_samples::next_words(uint64_t &dividend, uint64_t &divisor) {
    if (produced_ >= count_) {
        return false;
    }
    words_at(produced_, dividend, divisor);
    ++produced_;
    return true;
}

uint64_t random_samples::claim(uint64_t most, uint64_t &first) {
    first = produced_;
    const uint64_t taken = std::min(most, count_ - produced_);
    produced_ += taken;
    return taken;
}

void random_samples::words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const {
    const uint64_t pairs = dividend_edge_words_.size() * divisor_edge_words_.size();
    if (index < pairs) {
        dividend = dividend_edge_words_[index / divisor_edge_words_.size()];
        divisor = divisor_edge_words_[index % divisor_edge_words_.size()];
        return;
    }
    sample_words words(seed_, index);
    dividend = draw_word(dividend_range_, words);
    divisor = draw_word(divisor_range_, words);
}

// draw() for a field of 1 .. 64 bits, where the magnitude takes one random
// word: its low `length` bits with the top one set; a negative value
// -(m + 1) is the pattern ~m.
uint64_t random_samples::draw_word(const operand_range &range, sample_words &words) {
    const unsigned magnitude_width = range.is_signed() ? range.width() - 1 : range.width();
    const auto length = static_cast<unsigned>(uniform_below(uint64_t{magnitude_width} + 1, words));
    uint64_t magnitude = 0;
    if (length > 0) {
        magnitude = (words.next() & low_bits_mask(length)) | (uint64_t{1} << (length - 1));
    }
    if (range.is_signed() && (words.next() & 1) != 0) {
        return ~magnitude;
    }
    return magnitude;
}

std::string random_samples::position() const {
    return "random sample " + std::to_string(produced_);
}

void random_samples::skip(uint64_t n) {
    produced_ += std::min(n, count_ - produced_);
}

} // namespace quodra_div
