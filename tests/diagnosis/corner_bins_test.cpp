// The corner bins: which exist for a shape, and which a row falls in, with
// every expectation worked by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "diagnosis/corner_bins.h"
#include "diagnosis/operand_map.h"

using quodra_diagnosis::corner_coverage;
using quodra_diagnosis::divided_sample;
using quodra_diagnosis::divider_shape;

namespace {

class number {
public:
    explicit number(long v) { mpz_init_set_si(v_, v); }
    ~number() { mpz_clear(v_); }
    number(const number &) = delete;
    number &operator=(const number &) = delete;
    mpz_srcptr get() const { return v_; }

private:
    mpz_t v_;
};

divider_shape shape(int algorithm, bool is_signed, bool fractional, unsigned dividend_width,
                    unsigned divisor_width, unsigned fraction_width) {
    divider_shape s;
    s.algorithm = algorithm;
    s.is_signed = is_signed;
    s.fractional = fractional;
    s.dividend_width = dividend_width;
    s.divisor_width = divisor_width;
    s.fraction_width = fraction_width;
    return s;
}

std::set<std::string> names_of(const corner_coverage &coverage, bool only_hit) {
    std::set<std::string> names;
    for (const auto &bin : coverage.bins()) {
        if (!only_hit || bin.rows > 0) names.insert(bin.name);
    }
    return names;
}

const std::set<std::string> sign_bins{"dividend >= 0, divisor > 0", "dividend >= 0, divisor < 0",
                                      "dividend < 0, divisor > 0", "dividend < 0, divisor < 0"};

std::set<std::string> with(std::set<std::string> names, const std::set<std::string> &more) {
    names.insert(more.begin(), more.end());
    return names;
}

TEST(CornerBins, EachShapeListsTheBinsItsOperandsCanReach) {
    const std::set<std::string> everywhere{"zero divisor", "dividend at its minimum",
                                           "dividend at its maximum",
                                           "|dividend| < |divisor| (zero quotient)"};
    const std::set<std::string> signed_remainder = with(
        with(everywhere, sign_bins), {"divisor 1", "divisor -1", "most negative dividend / -1",
                                      "power-of-two divisor", "quotient wraps its field"});
    struct listing_case {
        divider_shape shape;
        std::set<std::string> bins;
    };
    const listing_case cases[] = {
        {shape(1, true, false, 8, 8, 0), signed_remainder},
        {shape(1, false, false, 8, 8, 0), with(everywhere, {"divisor 1", "power-of-two divisor"})},
        // A 1-bit signed divisor holds only -1 and 0; a 1-bit unsigned one 0 and 1.
        {shape(1, true, false, 8, 1, 0),
         with(everywhere, {"dividend >= 0, divisor < 0", "dividend < 0, divisor < 0", "divisor -1",
                           "most negative dividend / -1", "quotient wraps its field"})},
        {shape(1, false, false, 3, 1, 0), with(everywhere, {"divisor 1"})},
        {shape(1, true, true, 8, 8, 4), with(signed_remainder, {"negative fraction, zero integer part"})},
        {shape(1, true, true, 8, 8, 1), signed_remainder}, // no fraction bit below the sign
        // High Radix: a quotient field one bit wider never wraps; halves need
        // a divisor of F + 2 bits.
        {shape(3, true, true, 16, 16, 16),
         with(with(everywhere, sign_bins), {"divisor 1", "divisor -1", "most negative dividend / -1",
                                            "power-of-two divisor",
                                            "rounded otherwise than to nearest"})},
        {shape(3, true, true, 8, 8, 4),
         with(with(everywhere, sign_bins),
              {"divisor 1", "divisor -1", "most negative dividend / -1", "power-of-two divisor",
               "rounded otherwise than to nearest", "exact half"})},
    };
    for (const listing_case &c : cases) {
        const corner_coverage coverage(c.shape);
        EXPECT_EQ(names_of(coverage, false), c.bins)
            << c.shape.algorithm << " " << c.shape.is_signed << " " << c.shape.dividend_width
            << "/" << c.shape.divisor_width << "/" << c.shape.fraction_width;
    }
}

struct row_case {
    const char *what;
    divider_shape shape;
    long dividend, divisor;
    long quotient, fraction, written; // the model's outputs, worked by hand
    std::set<std::string> bins;
};

TEST(CornerBins, EachRowFallsInTheBinsThatDescribeIt) {
    const divider_shape s8 = shape(1, true, false, 8, 8, 0);
    const divider_shape r2 = shape(1, true, true, 8, 8, 4);
    const divider_shape hr = shape(3, true, true, 8, 8, 4);
    const row_case cases[] = {
        {"-128 / -1", s8, -128, -1, -128, 0, 0,
         {"dividend < 0, divisor < 0", "divisor -1", "dividend at its minimum",
          "most negative dividend / -1", "quotient wraps its field"}},
        {"3 / -7", s8, 3, -7, 0, 0, 0,
         {"dividend >= 0, divisor < 0", "|dividend| < |divisor| (zero quotient)"}},
        {"127 / -64", s8, 127, -64, -1, 0, 0,
         {"dividend >= 0, divisor < 0", "dividend at its maximum", "power-of-two divisor"}},
        {"0 / 0", s8, 0, 0, 0, 0, 0, {"zero divisor"}},
        {"-128 / 1", s8, -128, 1, -128, 0, 0,
         {"dividend < 0, divisor > 0", "divisor 1", "dividend at its minimum"}},
        // Radix-2, F = 4: -1 / 3 = -0.25, integer part 0, fraction -2 (units of 2^-3).
        {"-1 / 3 Radix-2", r2, -1, 3, 0, -2, 0,
         {"dividend < 0, divisor > 0", "|dividend| < |divisor| (zero quotient)",
          "negative fraction, zero integer part"}},
        // High Radix, F = 4: 1 * 16 / -32 = -0.5, a half; 1 * 16 / 3 = 5.33,
        // nearest 5, so a written 6 shows the core's rounding.
        {"1 / -32 High Radix", hr, 1, -32, -1, 0, -1,
         {"dividend >= 0, divisor < 0", "power-of-two divisor",
          "|dividend| < |divisor| (zero quotient)", "exact half"}},
        {"1 / 3 written 5", hr, 1, 3, 0, 5, 5,
         {"dividend >= 0, divisor > 0", "|dividend| < |divisor| (zero quotient)"}},
        {"1 / 3 written 6", hr, 1, 3, 0, 6, 6,
         {"dividend >= 0, divisor > 0", "|dividend| < |divisor| (zero quotient)",
          "rounded otherwise than to nearest"}},
    };
    for (const row_case &c : cases) {
        corner_coverage coverage(c.shape);
        const number n(c.dividend), d(c.divisor), q(c.quotient), f(c.fraction), w(c.written);
        divided_sample sample;
        sample.dividend = n.get();
        sample.divisor = d.get();
        sample.quotient = q.get();
        sample.fraction = c.shape.fractional ? f.get() : nullptr;
        sample.written_quotient = c.shape.fractional ? w.get() : nullptr;
        sample.div_by_zero = c.divisor == 0;
        coverage.add(sample);
        EXPECT_EQ(names_of(coverage, true), c.bins) << c.what;
    }
}

TEST(CornerBins, RequiredBinsDecideTheVerdictAndTalliesMerge) {
    const divider_shape hr = shape(3, true, true, 16, 16, 16);
    corner_coverage whole(hr), part(hr);
    EXPECT_FALSE(whole.every_required_bin_reached());
    for (const auto &bin : whole.bins()) {
        EXPECT_EQ(bin.required, std::string(bin.name) != "rounded otherwise than to nearest");
    }
    const number n(-32768), minus_one(-1), q(0);
    divided_sample sample;
    sample.dividend = n.get();
    sample.divisor = minus_one.get();
    sample.quotient = q.get();
    part.add(sample);
    whole.merge(part);
    whole.merge(part);
    EXPECT_EQ(names_of(whole, true), names_of(part, true));
    for (std::size_t b = 0; b < whole.bins().size(); ++b) {
        EXPECT_EQ(whole.bins()[b].rows, 2 * part.bins()[b].rows);
    }
    whole.clear();
    EXPECT_TRUE(names_of(whole, true).empty());
}

// A value of a field in 128 bits, and the same in GNU MP.
using quodra_diagnosis::divided_words;
using quodra_diagnosis::word_value;
__extension__ typedef unsigned __int128 unsigned_wide;

void set_wide(mpz_ptr out, word_value v) {
    const bool negative = v < 0;
    const unsigned_wide m = negative ? static_cast<unsigned_wide>(0) - static_cast<unsigned_wide>(v)
                                         : static_cast<unsigned_wide>(v);
    const uint64_t words[2] = {static_cast<uint64_t>(m), static_cast<uint64_t>(m >> 64)};
    mpz_import(out, 2, -1, sizeof(uint64_t), 0, 0, words);
    if (negative) mpz_neg(out, out);
}

// A value of a field of `width` bits, often one the bins look for: an edge,
// 0, +/-1, a power of two (or its negative), else any.
word_value field_value(std::mt19937_64 &random, unsigned width, bool is_signed) {
    const word_value lowest = is_signed ? -(word_value{1} << (width - 1)) : 0;
    const word_value highest = (word_value{1} << (is_signed ? width - 1 : width)) - 1;
    word_value v = 0;
    switch (random() % 6) {
    case 0: v = lowest; break;
    case 1: v = highest; break;
    case 2: v = static_cast<word_value>(random() % 3) - 1; break;
    case 3: {
        v = word_value{1} << (random() % width);
        if (random() % 2 == 0) v = -v;
        break;
    }
    default: v = static_cast<word_value>(random() & ((uint64_t{1} << (width - 1)) - 1 + (uint64_t{1} << (width - 1))));
        if (is_signed && random() % 2 == 0) v = -v;
        break;
    }
    return v < lowest ? lowest : v > highest ? highest : v;
}

// The bins count a row from words as from GNU MP values, and the operand
// map puts its operands in the same cells: random shapes of fields up to 64
// bits and rows biased to every bin's edge, each counted both ways.
TEST(CornerBins, WordsFallInTheBinsAndMapCellsOfTheirGnuMpValues) {
    std::mt19937_64 random(31);
    std::map<std::string, std::array<int, 2>> missed_and_hit;
    for (int round = 0; round < 20000; ++round) {
        const int algorithm = std::array<int, 3>{1, 3, 4}[random() % 3];
        const bool fractional = algorithm == 3 || (algorithm == 1 && random() % 2 == 0);
        const bool is_signed = algorithm == 3 || random() % 2 == 0;
        const auto dividend_width = static_cast<unsigned>(1 + random() % 64);
        const auto divisor_width = static_cast<unsigned>(1 + random() % 64);
        const auto fraction_width = fractional ? static_cast<unsigned>(random() % 62) : 0u;
        const divider_shape s =
            shape(algorithm, is_signed, fractional, dividend_width, divisor_width, fraction_width);
        corner_coverage from_gnu_mp(s), from_words(s);
        ASSERT_TRUE(from_words.counts_words());
        divided_words words;
        words.dividend = field_value(random, dividend_width, is_signed);
        words.divisor = field_value(random, divisor_width, is_signed);
        words.div_by_zero = words.divisor == 0;
        words.has_quotient = random() % 5 != 0;
        words.quotient = words.divisor == 0 ? 0 : words.dividend / words.divisor;
        if (random() % 3 == 0) words.quotient = field_value(random, dividend_width, is_signed);
        words.has_fraction = fractional && random() % 5 != 0;
        words.fraction = field_value(random, 1 + fraction_width, true);
        words.has_written_quotient = random() % 5 != 0;
        if (words.divisor != 0 && dividend_width + fraction_width <= 62) {
            words.written_quotient = words.dividend * (word_value{1} << fraction_width) / words.divisor +
                                     static_cast<word_value>(random() % 3) - 1;
        }
        mpz_t dividend, divisor, quotient, fraction, written;
        mpz_inits(dividend, divisor, quotient, fraction, written, nullptr);
        set_wide(dividend, words.dividend);
        set_wide(divisor, words.divisor);
        set_wide(quotient, words.quotient);
        set_wide(fraction, words.fraction);
        set_wide(written, words.written_quotient);
        divided_sample sample;
        sample.dividend = dividend;
        sample.divisor = divisor;
        sample.div_by_zero = words.div_by_zero;
        if (words.has_quotient) sample.quotient = quotient;
        if (words.has_fraction) sample.fraction = fraction;
        if (words.has_written_quotient) sample.written_quotient = written;
        from_gnu_mp.add(sample);
        from_words.add(words);
        const quodra_diagnosis::map_axis dividends(dividend_width, is_signed);
        const quodra_diagnosis::map_axis divisors(divisor_width, is_signed);
        ASSERT_EQ(dividends.cell_of(words.dividend), dividends.cell_of(dividend)) << round;
        ASSERT_EQ(divisors.cell_of(words.divisor), divisors.cell_of(divisor)) << round;
        mpz_clears(dividend, divisor, quotient, fraction, written, nullptr);
        for (std::size_t b = 0; b < from_gnu_mp.bins().size(); ++b) {
            ASSERT_EQ(from_words.bins()[b].rows, from_gnu_mp.bins()[b].rows)
                << from_gnu_mp.bins()[b].name << " in round " << round;
            ++missed_and_hit[from_gnu_mp.bins()[b].name][from_gnu_mp.bins()[b].rows];
        }
    }
    EXPECT_EQ(missed_and_hit.size(), 16u) << "every bin of some shape";
    for (const auto &[name, counts] : missed_and_hit) {
        EXPECT_GT(counts[0], 0) << name << " never missed";
        EXPECT_GT(counts[1], 0) << name << " never hit";
    }
}

} // namespace

// The wrap bin divides 64-bit operands in one machine division, except
// where that division cannot: -2^63 / -1, whose quotient 2^63 wraps a
// 64-bit field. Rows at the 64-bit edges, counted from words.
TEST(CornerBins, WrapBinAtTheSixtyFourBitEdges) {
    const word_value lowest = -(word_value{1} << 63);
    const word_value highest = (word_value{1} << 63) - 1;
    struct row_case {
        word_value dividend, divisor;
        bool wraps;
    };
    const row_case cases[] = {
        {lowest, -1, true},   {lowest, 1, false},  {highest, -1, false},
        {lowest, 2, false},   {lowest, lowest, false}, {highest, 1, false},
        {-8, -1, false},      {lowest + 1, -1, false},
    };
    const divider_shape s = shape(1, true, false, 64, 64, 0);
    for (const row_case &c : cases) {
        corner_coverage coverage(s);
        divided_words words;
        words.dividend = c.dividend;
        words.divisor = c.divisor;
        words.has_quotient = true;
        words.quotient = c.wraps ? lowest : c.dividend / c.divisor; // the written pattern
        coverage.add(words);
        uint64_t wrapped = 0;
        for (const quodra_diagnosis::bin_tally &bin : coverage.bins()) {
            if (std::string(bin.name) == "quotient wraps its field") wrapped = bin.rows;
        }
        EXPECT_EQ(wrapped, c.wraps ? 1u : 0u) << static_cast<long long>(c.dividend) << " / "
                                              << static_cast<long long>(c.divisor);
    }
}
