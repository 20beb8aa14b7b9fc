// Default configuration, validation at creation, derived High Radix
// parameters, configuration read-back and the version text.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

#include "model/quodra_v5_1.h"
#include "quodra.h"
#include "support/config_builder.h"
#include "support/recording_handler.h"

namespace {

TEST(DefaultConfig, WritesDefaultsAndKeepsSecondAuxParameter) {
    qor_quodra_v5_1_config config;
    std::memset(&config, 0x5a, sizeof config);
    config.aux_param_2 = 7;
    ASSERT_EQ(qor_quodra_v5_1_default_config(&config), 0);
    EXPECT_STREQ(config.name, "Default configuration");
    EXPECT_EQ(config.algorithm_type, 1);
    EXPECT_EQ(config.divisor_width, 16);
    EXPECT_EQ(config.dividend_width, 16);
    EXPECT_EQ(config.operand_sign, 1);
    EXPECT_EQ(config.remainder_type, 0);
    EXPECT_EQ(config.fractional_width, 16);
    EXPECT_EQ(config.aux_param_1, 1);
    EXPECT_EQ(config.aux_param_2, 7);
}

TEST(DefaultConfig, NullRecordFails) { EXPECT_EQ(qor_quodra_v5_1_default_config(nullptr), 1); }

struct derived_case {
    int32_t divisor_width, dividend_width, fractional_width;
    uint32_t width_p1, divisor_pad, product_width, working_width, divisor_digits, low_digits,
        low_width, aligned_width, iterations, quotient_pad, quotient_digits_width;
};

std::ostream &operator<<(std::ostream &out, const derived_case &c) {
    return out << "widths " << c.divisor_width << "/" << c.dividend_width << "/" << c.fractional_width;
}

class DerivedParameters : public ::testing::TestWithParam<derived_case> {};

TEST_P(DerivedParameters, MatchTheDatapathGeometry) {
    const derived_case &c = GetParam();
    qor_quodra_v5_1_config config = config_builder();
    config.divisor_width = c.divisor_width;
    config.dividend_width = c.dividend_width;
    config.fractional_width = c.fractional_width;
    quodra_v5_1 model(config, nullptr);
    EXPECT_EQ(model.hr_divisor_width_p1, c.width_p1);
    EXPECT_EQ(model.hr_divisor_pad, c.divisor_pad);
    EXPECT_EQ(model.hr_product_width, c.product_width);
    EXPECT_EQ(model.hr_working_width, c.working_width);
    EXPECT_EQ(model.hr_divisor_digits, c.divisor_digits);
    EXPECT_EQ(model.hr_low_digits, c.low_digits);
    EXPECT_EQ(model.hr_low_width, c.low_width);
    EXPECT_EQ(model.hr_aligned_width, c.aligned_width);
    EXPECT_EQ(model.hr_iterations, c.iterations);
    EXPECT_EQ(model.hr_quotient_pad, c.quotient_pad);
    EXPECT_EQ(model.hr_quotient_digits_width, c.quotient_digits_width);
}

// Rows worked by hand from the datapath's definitions: widths A, B, C ->
// A+1, 15-(A mod 16), A+B-1, min(B+C+2, A+B-1), (A>>4)+1, low digits,
// 14*low, low width + 16*slices, ceil((B+C+2)/14), 14*K-(B+C), 14*K+2.
INSTANTIATE_TEST_SUITE_P(
    Table, DerivedParameters,
    ::testing::Values(
        derived_case{16, 16, 16, 17, 15, 31, 31, 2, 0, 0, 32, 3, 10, 44},
        derived_case{24, 32, 8, 25, 7, 55, 42, 2, 1, 14, 46, 3, 2, 44},
        derived_case{16, 40, 20, 17, 15, 55, 55, 2, 2, 28, 60, 5, 10, 72},
        derived_case{8, 8, 4, 9, 7, 15, 14, 1, 0, 0, 16, 1, 2, 16},
        derived_case{12, 20, 8, 13, 3, 31, 30, 1, 1, 14, 30, 3, 14, 44},
        derived_case{32, 32, 32, 33, 15, 63, 63, 3, 2, 28, 76, 5, 6, 72},
        derived_case{32, 16, 16, 33, 15, 47, 34, 3, 0, 0, 48, 3, 10, 44},
        derived_case{303, 16, 16, 304, 0, 318, 34, 19, 0, 0, 304, 3, 10, 44},
        derived_case{303, 300, 0, 304, 0, 602, 302, 19, 0, 0, 304, 22, 8, 310},
        derived_case{16, 290, 0, 17, 15, 305, 292, 2, 19, 266, 298, 21, 4, 296},
        derived_case{1, 1, 0, 2, 14, 1, 1, 1, 0, 0, 16, 1, 13, 16},
        // A negative width wraps in 32-bit unsigned arithmetic.
        derived_case{-1, 16, 16, 0, 0, 14, 14, 268435456, 1, 14, 14, 3, 10, 44}));

struct validation_case {
    int32_t algorithm, sign, remainder;
    const char *message; // null: the configuration is accepted
};

std::ostream &operator<<(std::ostream &out, const validation_case &c) {
    return out << "algorithm " << c.algorithm << " sign " << c.sign << " remainder " << c.remainder;
}

class Validation : public ::testing::TestWithParam<validation_case> {};

TEST_P(Validation, FirstBrokenRuleIsReportedBare) {
    const validation_case &c = GetParam();
    qor_quodra_v5_1_config config = config_builder(c.algorithm, c.sign, c.remainder);
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    if (c.message == nullptr) {
        ASSERT_NE(model, nullptr);
        EXPECT_TRUE(handler.calls.empty());
        EXPECT_EQ(qor_quodra_v5_1_destroy(model), 0);
    } else {
        EXPECT_EQ(model, nullptr);
        ASSERT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(handler.calls[0].handle, &handler);
        EXPECT_EQ(handler.calls[0].error, 1);
        EXPECT_EQ(handler.calls[0].message, c.message);
    }
}

const char *const sign_rule = "Operand sign must be Signed for the High Radix algorithm";
const char *const fraction_rule = "Remainder type must be Fractional for the High Radix algorithm";
const char *const lutmult_rule = "Remainder type must be Remainder for the LutMult algorithm";

INSTANTIATE_TEST_SUITE_P(
    Rules, Validation,
    ::testing::Values(
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_UNSIGNED,
                        QUODRA_OUTPUT_REMAINDER, sign_rule},
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_UNSIGNED,
                        QUODRA_OUTPUT_FRACTIONAL, sign_rule},
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, 2, QUODRA_OUTPUT_FRACTIONAL, sign_rule},
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER,
                        fraction_rule},
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, 2, fraction_rule},
        validation_case{QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                        QUODRA_OUTPUT_FRACTIONAL, nullptr},
        validation_case{QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL,
                        lutmult_rule},
        validation_case{QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_UNSIGNED, 2, lutmult_rule},
        validation_case{QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER,
                        nullptr},
        validation_case{QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER,
                        nullptr},
        validation_case{QUODRA_ALGORITHM_LUTMULT, 9, QUODRA_OUTPUT_REMAINDER, nullptr},
        validation_case{QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 7, nullptr},
        validation_case{2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, nullptr},
        validation_case{7, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL, nullptr},
        validation_case{-3, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER, nullptr}));

struct bound_case {
    int32_t divisor_width, dividend_width, fractional_width;
    bool accepted;
};

std::ostream &operator<<(std::ostream &out, const bound_case &c) {
    return out << "widths " << c.divisor_width << "/" << c.dividend_width << "/" << c.fractional_width;
}

class HighRadixBounds : public ::testing::TestWithParam<bound_case> {};

TEST_P(HighRadixBounds, UnitRegisterFilesLimitTheConfiguration) {
    const bound_case &c = GetParam();
    qor_quodra_v5_1_config config =
        config_builder::high_radix(c.divisor_width, c.dividend_width, c.fractional_width);
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    EXPECT_EQ(model != nullptr, c.accepted);
    EXPECT_EQ(handler.calls.size(), c.accepted ? 0u : 1u);
    if (!c.accepted && !handler.calls.empty()) {
        EXPECT_EQ(handler.calls[0].error, 1);
        EXPECT_EQ(handler.calls[0].message.find("Default configuration"), std::string::npos)
            << "creation reports the bare text";
    }
    qor_quodra_v5_1_destroy(model);
}

INSTANTIATE_TEST_SUITE_P(Table, HighRadixBounds,
                         ::testing::Values(bound_case{303, 16, 16, true},
                                           bound_case{304, 16, 16, false},
                                           bound_case{-1, 16, 16, false},
                                           bound_case{0, 16, 16, true},
                                           bound_case{16, 290, 0, true},   // 19 low digits
                                           bound_case{16, 300, 0, false},  // 20 low digits
                                           bound_case{16, 16, 100000, true}));

TEST(HighRadixBounds, OtherAlgorithmsAreNotBounded) {
    qor_quodra_v5_1_config config = config_builder();
    config.divisor_width = 4000;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    EXPECT_NE(model, nullptr);
    qor_quodra_v5_1_destroy(model);
}

// A High Radix record that breaks both the sign rule and the unit's width
// bound is refused for the sign: the algorithm's rules are checked first.
TEST(HighRadixBounds, AlgorithmRulesAreCheckedBeforeTheUnitBounds) {
    qor_quodra_v5_1_config config =
        config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_UNSIGNED,
                       QUODRA_OUTPUT_FRACTIONAL)
            .widths(1000, 16, 16);
    recording_handler handler;
    EXPECT_EQ(qor_quodra_v5_1_create(&config, recording_handler::record, &handler), nullptr);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].message, sign_rule);
}

TEST(GetConfig, ReturnsStoredRecordWithNameInsideModel) {
    std::string caller_name = "Default configuration";
    qor_quodra_v5_1_config config = config_builder();
    config.name = caller_name.c_str();
    config.aux_param_2 = -42;
    config.fractional_width = -5; // stored exactly as given, no clamping
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    ASSERT_NE(model, nullptr);
    caller_name.assign("overwritten by the caller");

    qor_quodra_v5_1_config back;
    std::memset(&back, 0, sizeof back);
    ASSERT_EQ(qor_quodra_v5_1_get_config(model, &back), 0);
    EXPECT_STREQ(back.name, "Default configuration");
    EXPECT_NE(back.name, caller_name.c_str());
    EXPECT_EQ(back.algorithm_type, 1);
    EXPECT_EQ(back.divisor_width, 16);
    EXPECT_EQ(back.dividend_width, 16);
    EXPECT_EQ(back.operand_sign, 1);
    EXPECT_EQ(back.remainder_type, 0);
    EXPECT_EQ(back.fractional_width, -5);
    EXPECT_EQ(back.aux_param_1, 1);
    EXPECT_EQ(back.aux_param_2, -42);
    EXPECT_EQ(qor_quodra_v5_1_destroy(model), 0);
}

TEST(GetConfig, NullArgumentsFailSilently) {
    qor_quodra_v5_1_config config = config_builder();
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(qor_quodra_v5_1_get_config(model, nullptr), 1);
    EXPECT_EQ(qor_quodra_v5_1_get_config(nullptr, &config), 1);
    EXPECT_TRUE(handler.calls.empty());
    qor_quodra_v5_1_destroy(model);
}

TEST(Version, IsFiveOneAndAlwaysTheSameText) {
    const char *first = qor_quodra_v5_1_get_version();
    EXPECT_STREQ(first, "5.1");
    EXPECT_EQ(qor_quodra_v5_1_get_version(), first);
}

TEST(Version, ConcurrentFirstCallsAgree) {
    // Each test runs in its own process under CTest, so this is the first call.
    std::vector<const char *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = qor_quodra_v5_1_get_version(); });
    }
    for (std::thread &t : threads) {
        t.join();
    }
    for (const char *version : seen) {
        EXPECT_EQ(version, seen[0]);
    }
    EXPECT_STREQ(seen[0], "5.1");
}

TEST(Destroy, NullModelFails) { EXPECT_EQ(qor_quodra_v5_1_destroy(nullptr), 1); }

} // namespace
