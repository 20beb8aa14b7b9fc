// Real results of every width: the quotient register is scaled by
// 2^-fractional_width before it becomes a double, so wide fractional
// registers give the right value; a warning only when the value loses bits
// or leaves the double range; results for widths up to 1023 as the former
// truncate-then-divide conversion gave them.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/driver_test_support.h"

namespace {

using driver_test::messages;
using driver_test::real_vector;
using driver_test::test_model;
using driver_test::uint_vector;

const std::string quotient_warning =
    "Default configuration WARNING: Quotient truncated to fit double precision";
const std::string remainder_warning =
    "Default configuration WARNING: Remainder truncated to fit double precision";

struct real_result {
    double quotient;
    double remainder;
    std::vector<std::string> messages;
};

real_result divide_real(const qor_quodra_v5_1_config &c, double dividend, double divisor) {
    test_model model(c);
    EXPECT_NE(model.get(), nullptr);
    real_vector divisors{divisor}, dividends{dividend}, quotient(1, -42.0), remainder(1, -43.0);
    uint_vector flags(1, 9u);
    EXPECT_EQ(qor_quodra_v5_1_data_real_do(model.get(), divisors.get(), dividends.get(),
                                           quotient.get(), remainder.get(), flags.get(), 1),
              0);
    return {quotient[0], remainder[0], messages(model.calls())};
}

// 1/3 = 0.0101...: its 54th significant bit is 0, so truncating to 53 bits
// gives the nearest double. 100/7 truncated is one step below the nearest.
TEST(RealScaling, WideFractionalRegistersGiveTheirValue) {
    for (int32_t fraction : {1000, 1023, 1024, 1100, 5000}) {
        SCOPED_TRACE("F " + std::to_string(fraction));
        const real_result third =
            divide_real(config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                       QUODRA_OUTPUT_FRACTIONAL)
                            .widths(8, 8, fraction),
                        1.0, 3.0);
        EXPECT_EQ(third.quotient, 1.0 / 3.0);
        EXPECT_EQ(third.messages, std::vector<std::string>{quotient_warning});

        const real_result seventh =
            divide_real(config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                                       QUODRA_OUTPUT_FRACTIONAL)
                            .widths(8, 8, fraction),
                        100.0, 7.0);
        EXPECT_EQ(seventh.quotient, std::nextafter(100.0 / 7.0, 0.0));
        EXPECT_EQ(seventh.messages, std::vector<std::string>{quotient_warning});

        const real_result negative =
            divide_real(config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                                       QUODRA_OUTPUT_FRACTIONAL)
                            .widths(8, 8, fraction),
                        -100.0, 7.0);
        EXPECT_EQ(negative.quotient, -std::nextafter(100.0 / 7.0, 0.0));
    }
}

// A register wider than a double's range that stands for an exact value
// comes back exactly and without a warning: 2 / 1 with F = 1100 is the
// register 2^1101.
TEST(RealScaling, ExactValuesOfWideRegistersDoNotWarn) {
    const real_result two = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, 1100),
        2.0, 1.0);
    EXPECT_EQ(two.quotient, 2.0);
    EXPECT_TRUE(two.messages.empty());

    const real_result half = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, 1100),
        1.0, 2.0);
    EXPECT_EQ(half.quotient, 0.5);
    EXPECT_TRUE(half.messages.empty());
}

// The exactness test at its two edges. 2^107 / (2^53 - 1) = 2^54 + 2 (rest
// 2) has 54 significant bits, one more than a double holds, so it warns; its
// remainder 2 does not. 1 / (3 * 2^1022) with F = 1074 is floor(2^52 / 3) *
// 2^-1074, a subnormal double held exactly, so it does not warn.
TEST(RealScaling, ExactnessIsJudgedAtFiftyFourBitsAndInTheSubnormals) {
    const real_result wide = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(64, 120, 0),
        std::ldexp(1.0, 107), std::ldexp(1.0, 53) - 1.0);
    EXPECT_EQ(wide.quotient, std::ldexp(1.0, 54)); // truncated towards zero
    EXPECT_EQ(wide.remainder, 2.0);
    EXPECT_EQ(wide.messages, std::vector<std::string>{quotient_warning});

    const real_result subnormal = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(1100, 2, 1074),
        1.0, 3.0 * std::ldexp(1.0, 1022));
    EXPECT_EQ(subnormal.quotient, std::ldexp(1501199875790165.0, -1074)); // floor(2^52 / 3)
    EXPECT_TRUE(subnormal.messages.empty());
}

// The value, not the register, decides whether the range is left: 255 / 1
// with W 1100 and F 90 is 255 (exact) while a zero divisor's all-ones
// register, about 2^1100, is beyond the range.
TEST(RealScaling, RangeIsJudgedOnTheScaledValue) {
    const real_result in_range = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 1100, 90),
        255.0, 1.0);
    EXPECT_EQ(in_range.quotient, 255.0);
    EXPECT_TRUE(in_range.messages.empty());

    const real_result beyond = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 1100, 40),
        5.0, 0.0);
    EXPECT_EQ(beyond.quotient, DBL_MAX);
    EXPECT_EQ(beyond.messages, std::vector<std::string>{quotient_warning});
}

// The former conversion: the register truncated to a double (the largest
// finite double past the range), then divided by 2^F.
double truncate_then_divide(mpz_srcptr value, int fraction) {
    const double whole = mpz_sizeinbase(value, 2) > 1024 ? DBL_MAX : mpz_get_d(value);
    return whole / std::ldexp(1.0, fraction);
}

// Unsigned Radix-2 with random operands and F from 0 to 1023: the quotient
// is bit-identical to the former conversion wherever the register fits a
// double's range, with a warning for exactly the same values.
TEST(RealScaling, WidthsUpTo1023MatchTheFormerConversion) {
    std::mt19937_64 random(1023);
    mpz_t reg, back;
    mpz_inits(reg, back, nullptr);
    int inexact = 0;
    for (int round = 0; round < 400; ++round) {
        const int32_t width = 1 + static_cast<int32_t>(random() % 52);
        const int32_t fraction = static_cast<int32_t>(random() % 1024);
        const double dividend = static_cast<double>(random() >> (64 - width));
        const double divisor = static_cast<double>(1 + (random() >> (64 - 1 - random() % 52)));
        const real_result r =
            divide_real(config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                       QUODRA_OUTPUT_FRACTIONAL)
                            .widths(8, width, fraction),
                        dividend, divisor);

        // floor(N * 2^F / D), formed independently of the library.
        mpz_set_d(reg, dividend);
        mpz_mul_2exp(reg, reg, static_cast<mp_bitcnt_t>(fraction));
        mpz_set_d(back, divisor);
        mpz_fdiv_q(reg, reg, back);
        if (mpz_sizeinbase(reg, 2) > 1024) {
            continue;
        }
        SCOPED_TRACE("W " + std::to_string(width) + " F " + std::to_string(fraction));
        EXPECT_EQ(r.quotient, truncate_then_divide(reg, fraction));

        // Scaling an integer by 2^-F with F <= 1023 loses nothing (its
        // lowest bit stays above the smallest subnormal), so the warning
        // comes exactly when the register has more than 53 significant bits.
        const bool exact = mpz_cmp_d(reg, mpz_get_d(reg)) == 0;
        EXPECT_EQ(r.messages.size(), exact ? 0u : 1u);
        inexact += exact ? 0 : 1;
    }
    EXPECT_GT(inexact, 50);
    mpz_clears(reg, back, nullptr);
}

// A negative quotient wider than 53 bits warns and truncates towards zero:
// High Radix -2^62 / 3 is -1537228672809129301, 61 bits, whose low 8 bits go.
// In unsigned remainder mode the same division leaves a remainder of -1,
// exact. (A remainder, smaller than the divisor and sharing the dividend's
// low bits, cannot be wider than 53 bits when both operands are doubles.)
TEST(RealScaling, NegativeResultsWiderThanADoubleWarnAndTruncateTowardsZero) {
    const double truncated = -static_cast<double>(1537228672809129301ull >> 8 << 8);
    const double dividend = -std::ldexp(1.0, 62);
    const real_result high_radix = divide_real(
        config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 64, 0),
        dividend, 3.0);
    EXPECT_EQ(high_radix.quotient, truncated);
    EXPECT_EQ(high_radix.messages, std::vector<std::string>{quotient_warning});

    const real_result remainder = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 64, 0),
        dividend, 3.0);
    EXPECT_EQ(remainder.quotient, truncated);
    EXPECT_EQ(remainder.remainder, -1.0);
    EXPECT_EQ(remainder.messages, std::vector<std::string>{quotient_warning});
}

// 2^1023, the largest power of two a double holds, comes back exactly; its
// negative, wrapped to the pattern 2^1025 - 2^1023, is beyond the range.
TEST(RealScaling, TwoToThe1023IsExactWithoutClampOrWarning) {
    const double top = std::ldexp(1.0, 1023);
    const real_result exact = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 1025, 0),
        top, 1.0);
    EXPECT_EQ(exact.quotient, top);
    EXPECT_EQ(exact.remainder, 0.0);
    EXPECT_TRUE(exact.messages.empty());

    const real_result wrapped = divide_real(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 1025, 0),
        -top, 1.0);
    EXPECT_EQ(wrapped.quotient, DBL_MAX);
    EXPECT_EQ(wrapped.messages, std::vector<std::string>{quotient_warning});
}

// Fractional output needs no remainder storage: a remainder array with
// nothing reserved (no dim, dim_size 0) is shaped into an empty temporary
// and never written.
TEST(RealScaling, FractionalModeAcceptsAnUnreservedRemainderArray) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, 4));
    real_vector divisor{2.0, 3.0}, dividend{7.0, 1.0}, quotient(2, -42.0);
    uint_vector flags(2, 9u);
    qor_array_real *remainder = qor_quodra_v5_1_qor_array_real_create();
    ASSERT_NE(remainder, nullptr);
    ASSERT_EQ(remainder->dim, nullptr);
    EXPECT_EQ(qor_quodra_v5_1_data_real_do(model.get(), divisor.get(), dividend.get(),
                                           quotient.get(), remainder, flags.get(), 2),
              0);
    EXPECT_EQ(quotient[0], 3.5);
    EXPECT_EQ(quotient[1], 0.3125);
    EXPECT_EQ(remainder->data_size, 0u);
    EXPECT_TRUE(model.calls().empty());
    qor_quodra_v5_1_qor_array_real_destroy(remainder);
}

} // namespace
