// Width guards of the division paths: each refuses exactly the negative or
// overflowing widths its own arithmetic would use, and nothing else.
#include <gtest/gtest.h>

#include <ostream>

#include <climits>
#include <string>
#include <vector>

#include "support/driver_test_support.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "engine/driver/width_checks.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

using width_guard = void (*)(const quodra_v5_1 &);

struct width_case {
    const char *name;
    width_guard guard;
    qor_quodra_v5_1_config configuration;
    const char *message; // null: accepted
};

// Prints the case by its name, so test listings stay short and identical
// from build to build.
void PrintTo(const width_case &c, std::ostream *out) { *out << c.name; }

const char *const remainder_dividend =
    "Dividend width must not be negative for signed remainder output";
const char *const remainder_divisor =
    "Divisor width must not be negative for signed remainder output";
const char *const radix2_dividend = "Dividend width must not be negative for the Radix-2 algorithm";
const char *const radix2_fraction =
    "Fractional width must not be negative for the Radix-2 algorithm";
const char *const radix2_sum =
    "Dividend width plus fractional width is too large for the Radix-2 algorithm";
const char *const high_radix_dividend =
    "Dividend width must not be negative for the High Radix algorithm";
const char *const high_radix_fraction =
    "Fractional width must not be negative for the High Radix algorithm";
const char *const high_radix_sum =
    "Dividend width plus fractional width is too large for the High Radix algorithm";

std::vector<width_case> width_cases() {
    const width_guard remainder = require_remainder_widths;
    const width_guard radix2 = require_radix2_widths;
    const width_guard high_radix = require_high_radix_widths;
    return {
        {"remainder_signed_negative_dividend", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(8, -1, 4),
         remainder_dividend},
        {"remainder_signed_negative_divisor", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(-1, 8, 4),
         remainder_divisor},
        {"remainder_dividend_checked_first", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(-3, -3, 4),
         remainder_dividend},
        {"remainder_signed_zero_widths", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(0, 0, -9),
         nullptr},
        {"remainder_signed_maximal_widths", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(INT_MAX, INT_MAX, 0),
         nullptr},
        {"remainder_unsigned_uses_no_width", remainder,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(-5, -5, -5),
         nullptr},
        {"radix2_negative_dividend", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, -1, 4),
         radix2_dividend},
        {"radix2_negative_dividend_any_mode", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 2).widths(8, INT_MIN, 4),
         radix2_dividend},
        {"radix2_negative_fraction", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, 8, -1),
         radix2_fraction},
        {"radix2_signed_split_uses_fraction", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 2).widths(8, 8, -1),
         radix2_fraction},
        {"radix2_unsigned_w_iterations_only", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 2).widths(8, 8, -1),
         nullptr},
        {"radix2_divisor_width_unused", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(-7, 8, 4),
         nullptr},
        {"radix2_sum_overflows", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, INT_MAX, 1),
         radix2_sum},
        {"radix2_sum_at_limit", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, INT_MAX - 1, 1),
         nullptr},
        {"radix2_sum_unused_without_fraction_bits", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 2)
             .widths(8, INT_MAX, INT_MAX),
         nullptr},
        {"radix2_zero_widths", radix2,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(0, 0, 0),
         nullptr},
        {"high_radix_negative_dividend", high_radix,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, -1, 16),
         high_radix_dividend},
        {"high_radix_negative_fraction", high_radix,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, 16, -1),
         high_radix_fraction},
        {"high_radix_sum_overflows", high_radix,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, INT_MAX - 10, 9),
         high_radix_sum},
        {"high_radix_sum_at_limit", high_radix,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, INT_MAX - 10, 8),
         nullptr},
        {"high_radix_divisor_width_unused", high_radix,
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(-1, 16, 16),
         nullptr},
    };
}

class WidthGuard : public testing::TestWithParam<width_case> {};

TEST_P(WidthGuard, RefusesExactlyTheWidthsItsPathUses) {
    const width_case &c = GetParam();
    test_model model(c.configuration); // Radix-2 models accept any widths
    ASSERT_NE(model.get(), nullptr);
    if (c.message == nullptr) {
        EXPECT_NO_THROW(c.guard(*model.get()));
        return;
    }
    try {
        c.guard(*model.get());
        ADD_FAILURE() << "accepted";
    } catch (const QUODRAException &failure) {
        EXPECT_STREQ(failure.what(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, WidthGuard, testing::ValuesIn(width_cases()),
                         [](const testing::TestParamInfo<width_case> &info) {
                             return std::string(info.param.name);
                         });

// At the data call the guard runs after the array checks and before the
// first write; creation accepted the widths.
TEST(WidthGuardAtDataCall, RefusedBeforeAnySampleIsWritten) {
    for (const qor_quodra_v5_1_config &c : std::initializer_list<qor_quodra_v5_1_config>
         {config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
              .widths(8, -1, 4),
          config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
              .widths(8, 8, -2)}) {
        test_model model(c);
        ASSERT_NE(model.get(), nullptr);
        mpz_vector divisor{2}, dividend{-7}, quotient{-99}, remainder{-98};
        uint_vector flags(1, 5u);
        EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(), 1),
                  1);
        ASSERT_EQ(model.calls().size(), 1u);
        EXPECT_EQ(model.calls()[0].message,
                  std::string("Default configuration ERROR: ") +
                      (c.remainder_type == QUODRA_OUTPUT_REMAINDER ? remainder_dividend
                                                                   : radix2_fraction));
        EXPECT_EQ(quotient.text(0), "-99");
        EXPECT_EQ(remainder.text(0), "-98");
        EXPECT_EQ(flags.at(0), 5u);

        // An array check still comes first.
        divisor->dim[0] = 0;
        EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(), 1),
                  1);
        EXPECT_EQ(model.calls().back().message,
                  "Default configuration ERROR: Number of samples requested is larger than the "
                  "divisor size");
    }
}

TEST(WidthGuardAtDataCall, UnsignedRemainderModeIgnoresNegativeWidths) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(-4, -4, -4));
    mpz_vector divisor{7}, dividend{100}, quotient(1), remainder(1);
    uint_vector flags(1, 5u);
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    EXPECT_EQ(quotient.text(0), "14");
    EXPECT_EQ(remainder.text(0), "2");
}

} // namespace
