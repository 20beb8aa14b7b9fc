// The corner bins: which exist for a shape, and which a row falls in, with
// every expectation worked by hand.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "diagnosis/corner_bins.h"

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

} // namespace
