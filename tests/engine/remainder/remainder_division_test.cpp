// Remainder-mode division: exact truncating quotient and remainder, signed
// results as two's-complement patterns of their field widths, zero divisors
// flagged, whatever the algorithm_type.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/remainder/remainder_division.h"
#include "support/division_properties.h"
#include "support/driver_test_support.h"
#include "support/operand_patterns.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

struct remainder_row {
    long dividend;
    long divisor;
    unsigned long quotient;
    unsigned long remainder;
    unsigned int div_by_zero;
};

// Divides every row in one call and checks every written value.
void expect_rows(const qor_quodra_v5_1_config &c, const std::vector<remainder_row> &rows) {
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    const size_t n = rows.size();
    mpz_vector divisor(n), dividend(n), quotient(n), remainder(n);
    uint_vector flags(n, 7u);
    for (size_t i = 0; i < n; ++i) {
        divisor.set(i, rows[i].divisor);
        dividend.set(i, rows[i].dividend);
    }
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), static_cast<uint32_t>(n)),
              0);
    EXPECT_TRUE(model.calls().empty());
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(std::to_string(rows[i].dividend) + " / " + std::to_string(rows[i].divisor));
        EXPECT_EQ(mpz_cmp_ui(quotient.at(i), rows[i].quotient), 0) << quotient.text(i);
        EXPECT_EQ(mpz_cmp_ui(remainder.at(i), rows[i].remainder), 0) << remainder.text(i);
        EXPECT_EQ(flags.at(i), rows[i].div_by_zero);
    }
}

const std::vector<remainder_row> signed_8_by_8 = {
    {100, 7, 14, 2, 0}, {-7, 2, 253, 255, 0},  {7, -2, 253, 1, 0}, {-7, -2, 3, 255, 0},
    {-6, 3, 254, 0, 0}, {-128, -1, 128, 0, 0}, {5, 0, 0, 0, 1},    {-5, 0, 0, 0, 1},
    {0, 5, 0, 0, 0},    {0, -5, 0, 0, 0},      {-1, 3, 0, 255, 0},
};

class RemainderModeEveryAlgorithm : public testing::TestWithParam<int32_t> {};

TEST_P(RemainderModeEveryAlgorithm, SignedEightByEight) {
    qor_quodra_v5_1_config c = config_builder(GetParam()).widths(8, 8, 4);
    expect_rows(c, signed_8_by_8);
}

TEST_P(RemainderModeEveryAlgorithm, NarrowRemainderFieldWrapsWithItsOwnWidth) {
    qor_quodra_v5_1_config c = config_builder(GetParam()).widths(8, 8, 4);
    c.divisor_width = 4;
    expect_rows(c, {{-7, 2, 253, 15, 0}, {7, -2, 253, 1, 0}});
}

TEST_P(RemainderModeEveryAlgorithm, UnsignedDividesAsStored) {
    qor_quodra_v5_1_config c = config_builder(GetParam()).widths(8, 8, 4);
    c.operand_sign = QUODRA_OPERAND_UNSIGNED;
    expect_rows(c, {{100, 7, 14, 2, 0}, {5, 0, 0, 0, 1}, {255, 255, 1, 0, 0}, {6, 7, 0, 6, 0}});
}

INSTANTIATE_TEST_SUITE_P(AlgorithmTypes, RemainderModeEveryAlgorithm, testing::Values(1, 4, 0, 2));

TEST(RemainderMode, AnyOperandSignOtherThanOneIsUnsigned) {
    const qor_quodra_v5_1_config c = config_builder(QUODRA_ALGORITHM_RADIX2, 2).widths(8, 8, 4);
    expect_rows(c, {{100, 7, 14, 2, 0}});
}

// Only operand_sign 1 is signed: with 2 or -1 negative operands are divided
// as stored, truncating, and the results are not wrapped into their fields.
TEST(RemainderMode, OtherOperandSignsDivideNegativeOperandsAsStored) {
    for (int32_t sign : {2, -1}) {
        SCOPED_TRACE("operand_sign " + std::to_string(sign));
        const qor_quodra_v5_1_config c =
            config_builder(QUODRA_ALGORITHM_RADIX2, sign).widths(8, 8, 4);
        test_model model(c);
        mpz_vector divisor{2, -2, -2, 0}, dividend{-7, 7, -7, -5}, quotient(4), remainder(4);
        uint_vector flags(4, 9u);
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(), 4),
                  0);
        const char *const quotients[] = {"-3", "-3", "3", "0"};
        const char *const remainders[] = {"-1", "1", "-1", "0"};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(quotient.text(i), quotients[i]) << i;
            EXPECT_EQ(remainder.text(i), remainders[i]) << i;
            EXPECT_EQ(flags.at(i), i == 3 ? 1u : 0u);
        }
    }
}

TEST(RemainderMode, UnsignedNegativeOperandsAreDividedExactlyAsStored) {
    const qor_quodra_v5_1_config c =
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED).widths(8, 8, 4);
    test_model model(c);
    mpz_vector divisor{2}, dividend{-7}, quotient(1), remainder(1);
    uint_vector flags(1, 9u);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    EXPECT_EQ(quotient.text(0), "-3");
    EXPECT_EQ(remainder.text(0), "-1");
    EXPECT_EQ(flags.at(0), 0u);
}

TEST(RemainderMode, WideOperandsBeyondMachineWords) {
    const qor_quodra_v5_1_config c = config_builder().widths(100, 200, 4);
    test_model model(c);
    mpz_vector divisor(1), dividend(1), quotient(1), remainder(1);
    uint_vector flags(1, 0u);
    // -(2^150 + 5) / 2^70: quotient -2^80, remainder -5, both wrapped.
    mpz_t value;
    mpz_init(value);
    mpz_ui_pow_ui(value, 2, 150);
    mpz_add_ui(value, value, 5);
    mpz_neg(value, value);
    dividend.set(0, value);
    mpz_ui_pow_ui(value, 2, 70);
    divisor.set(0, value);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    mpz_ui_pow_ui(value, 2, 200);
    mpz_t part;
    mpz_init(part);
    mpz_ui_pow_ui(part, 2, 80);
    mpz_sub(value, value, part);
    EXPECT_EQ(mpz_cmp(quotient.at(0), value), 0) << quotient.text(0, 16);
    mpz_ui_pow_ui(value, 2, 100);
    mpz_sub_ui(value, value, 5);
    EXPECT_EQ(mpz_cmp(remainder.at(0), value), 0) << remainder.text(0, 16);
    mpz_clear(part);
    mpz_clear(value);
}

// A random operand of a field: uniform or long runs of ones and zeros
// (mpz_rrandomb), [-2^(w-1), 2^(w-1)) when signed, [0, 2^w) when not.
void random_field_value(mpz_ptr value, gmp_randstate_t random, std::mt19937 &pick,
                        unsigned width, bool is_signed) {
    if (pick() % 2 == 0) {
        mpz_urandomb(value, random, width);
    } else {
        mpz_rrandomb(value, random, width);
    }
    if (is_signed) {
        mpz_t half;
        mpz_init(half);
        mpz_ui_pow_ui(half, 2, width - 1);
        mpz_sub(value, value, half);
        mpz_clear(half);
    }
}

// Truncating division checked by its invariants, not by recomputing it
// (support/division_properties.h, shared with the fuzz targets):
// q d + r = n, |r| < |d|, the remainder zero or of the dividend's sign, the
// signed results wrapped once into fields of dividend_width and
// divisor_width bits, and results inside their fields.
TEST(RemainderModeProperty, InvariantsOfTruncatingDivision) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 20240611);
    std::mt19937 pick(4242);
    for (int round = 0; round < 120; ++round) {
        const int32_t sign = round % 2 == 0 ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
        const auto dividend_width = 1 + static_cast<int32_t>(pick() % 300);
        const auto divisor_width = 1 + static_cast<int32_t>(pick() % 300);
        const qor_quodra_v5_1_config c =
            config_builder(round % 3 == 0 ? QUODRA_ALGORITHM_LUTMULT : QUODRA_ALGORITHM_RADIX2,
                           sign)
                .widths(divisor_width, dividend_width, 4);
        const bool is_signed = c.operand_sign == QUODRA_OPERAND_SIGNED;
        SCOPED_TRACE("widths " + std::to_string(c.dividend_width) + "/" +
                     std::to_string(c.divisor_width) + (is_signed ? " signed" : " unsigned"));
        test_model model(c);
        const size_t n = 48;
        mpz_vector divisor(n), dividend(n), quotient(n), remainder(n);
        uint_vector flags(n, 5u);
        for (size_t i = 0; i < n; ++i) {
            random_field_value(dividend->data[i], random, pick, c.dividend_width, is_signed);
            // Small divisors now and then, so quotients also use the full field.
            const unsigned width = (i % 4 == 0) ? std::min<unsigned>(3, c.divisor_width)
                                                : static_cast<unsigned>(c.divisor_width);
            random_field_value(divisor->data[i], random, pick, width, is_signed);
        }
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(),
                                          static_cast<uint32_t>(n)),
                  0);
        for (size_t i = 0; i < n; ++i) {
            SCOPED_TRACE(dividend.text(i) + " / " + divisor.text(i));
            mpz_srcptr d = divisor.at(i);
            mpz_srcptr nn = dividend.at(i);
            EXPECT_EQ(flags.at(i), mpz_sgn(d) == 0 ? 1u : 0u);
            if (mpz_sgn(d) == 0) {
                EXPECT_EQ(mpz_sgn(quotient.at(i)), 0);
                EXPECT_EQ(mpz_sgn(remainder.at(i)), 0);
                continue;
            }
            EXPECT_EQ(remainder_sample_violation(c, d, nn, quotient.at(i), remainder.at(i)), "");
        }
    }
    gmp_randclear(random);
}

// The word path against the GNU MP route it stands in for, through
// data_do: widths on both sides of 64 bits (and 0), edge, in-range and
// out-of-range operands of every sign (so signed results may stay negative
// after their wrap), zero divisors, operand_sign 2, and refused reads that
// leave the previous sample's registers (magnitudes, once signed).
TEST(RemainderModeProperty, WordPathEqualsGnuMpRoute) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 6464);
    std::mt19937 pick(64);
    const int32_t widths[] = {0, 1, 7, 31, 62, 63, 64, 65, 66, 127, 128, 200};
    mpz_t q, r, d, nn, scratch;
    mpz_inits(q, r, d, nn, scratch, nullptr);
    for (int round = 0; round < 200; ++round) {
        const auto sign = static_cast<int32_t>(round % 3 == 2 ? 2 : round % 2);
        const int32_t dividend_width = widths[pick() % std::size(widths)];
        const int32_t divisor_width = widths[pick() % std::size(widths)];
        const qor_quodra_v5_1_config c =
            config_builder(QUODRA_ALGORITHM_RADIX2, sign).widths(divisor_width, dividend_width, 4);
        const bool is_signed = c.operand_sign == QUODRA_OPERAND_SIGNED;
        SCOPED_TRACE("widths " + std::to_string(c.dividend_width) + "/" +
                     std::to_string(c.divisor_width) + " sign " + std::to_string(c.operand_sign));
        test_model model(c);
        const size_t n = 24;
        mpz_vector divisor(n), dividend(n), quotient(n), remainder(n);
        uint_vector flags(n, 5u);
        for (size_t i = 0; i < n; ++i) {
            operand_patterns::any_operand(divisor->data[i], random, pick,
                                          static_cast<unsigned>(c.divisor_width));
            operand_patterns::any_operand(dividend->data[i], random, pick,
                                          static_cast<unsigned>(c.dividend_width));
        }
        const operand_patterns::refused_tail refused(
            round % 2 == 0 ? divisor.get() : dividend.get(), static_cast<size_t>(round % 4));
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(),
                                          static_cast<uint32_t>(n)),
                  0);
        mpz_set_ui(d, 0);
        mpz_set_ui(nn, 0);
        for (size_t i = 0; i < n; ++i) {
            operand_patterns::read_operands(d, nn, divisor.get(), dividend.get(), i);
            EXPECT_EQ(flags.at(i), mpz_sgn(d) == 0 ? 1u : 0u);
            if (mpz_sgn(d) == 0) {
                mpz_set_ui(q, 0);
                mpz_set_ui(r, 0);
            } else {
                divide_exactly(q, r, d, nn, scratch, is_signed,
                               static_cast<mp_bitcnt_t>(c.dividend_width),
                               static_cast<mp_bitcnt_t>(c.divisor_width));
            }
            ASSERT_EQ(mpz_cmp(quotient.at(i), q), 0) << "sample " << i << " gave "
                                                     << quotient.text(i);
            ASSERT_EQ(mpz_cmp(remainder.at(i), r), 0) << "sample " << i << " gave "
                                                      << remainder.text(i);
        }
    }
    mpz_clears(q, r, d, nn, scratch, nullptr);
    gmp_randclear(random);
}

} // namespace
