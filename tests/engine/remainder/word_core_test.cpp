// The remainder word core's two signed routes against each other: the
// sign-free route on C's / and % (divide_signed_values) must give the
// field patterns of the sign-and-magnitude route (divide_in_word) for
// every pair of field widths up to 63 bits, at the edges of each field
// (the most negative value over -1 among them) and on random values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/remainder/word_core.h"

namespace {

using remainder_words::signed_word;

// Edges of a signed field of `width` bits, then random values of it.
std::vector<int64_t> field_values(int width, std::mt19937_64 &random) {
    const int64_t most = static_cast<int64_t>((uint64_t{1} << (width - 1)) - 1);
    const int64_t least = -most - 1;
    std::vector<int64_t> values = {0, 1, -1, 2, -2, most, least, most - 1, least + 1};
    for (int i = 0; i < 6; ++i) {
        const int shift = static_cast<int>(random() % static_cast<uint64_t>(width));
        const auto bits = static_cast<int64_t>(random() >> (64 - width + shift));
        values.push_back(i % 2 == 0 ? bits : -bits);
    }
    for (int64_t &value : values) {
        value = std::min(std::max(value, least), most); // the field's values only
    }
    return values;
}

uint64_t pattern_of(signed_word<uint64_t> value) { return value.magnitude; }

signed_word<uint64_t> as_signed_word(int64_t value) {
    const bool negative = value < 0;
    const auto bits = static_cast<uint64_t>(value);
    return {negative ? uint64_t{0} - bits : bits, negative};
}

TEST(RemainderWordCore, SignFreeRouteGivesTheSignAndMagnitudePatterns) {
    std::mt19937_64 random(20261209);
    for (int dividend_width = 1; dividend_width <= 63; ++dividend_width) {
        for (int divisor_width : {1, 2, 16, 31, 32, 33, 62, 63}) {
            const remainder_words::result_fields fields{true, uint64_t(dividend_width),
                                                        uint64_t(divisor_width)};
            for (int64_t n : field_values(dividend_width, random)) {
                for (int64_t d : field_values(divisor_width, random)) {
                    if (d == 0) {
                        continue;
                    }
                    const auto expected =
                        remainder_words::divide_in_word(as_signed_word(d), as_signed_word(n), fields);
                    ASSERT_FALSE(expected.quotient.negative || expected.remainder.negative);
                    const auto patterns = remainder_words::divide_signed_values(d, n, fields);
                    ASSERT_EQ(patterns.quotient, pattern_of(expected.quotient))
                        << n << " / " << d << " at " << dividend_width << "/" << divisor_width;
                    ASSERT_EQ(patterns.remainder, pattern_of(expected.remainder))
                        << n << " % " << d << " at " << dividend_width << "/" << divisor_width;
                }
            }
        }
    }
}

} // namespace
