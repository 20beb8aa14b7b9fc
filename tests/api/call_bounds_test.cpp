// Bounded work per data call: each path refuses a configuration whose
// registers would pass QUODRA_MAX_REGISTER_BITS, before anything is written,
// and accepts one at the limit; remainder mode refuses operands wider than
// the limit; Radix-2 ignores how wide an operand is beyond what it reads;
// and a call whose arrays claim far more samples than they hold stops once
// no later sample can change anything.
#include <gmp.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <ostream>
#include <string>
#include <vector>

#include "support/driver_test_support.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

constexpr int32_t limit = static_cast<int32_t>(QUODRA_MAX_REGISTER_BITS);
const std::string error_prefix = "Default configuration ERROR: ";

struct limit_case {
    const char *name;
    qor_quodra_v5_1_config configuration;
    const char *message; // null: accepted
};

void PrintTo(const limit_case &c, std::ostream *out) { *out << c.name; }

// The largest B + C whose High Radix digit string, 14 * ceil((B + C + 2) / 14)
// + 2 bits, stays within the limit.
constexpr int32_t high_radix_sum_at_limit = (limit - 2) / 14 * 14 - 2;

std::vector<limit_case> limit_cases() {
    const char *const dividend = "Dividend width exceeds the limit of 1048576 bits";
    const char *const divisor = "Divisor width exceeds the limit of 1048576 bits";
    const char *const fraction = "Fractional width exceeds the limit of 1048576 bits";
    const char *const sum = "Dividend width plus fractional width exceeds the limit of 1048576 bits";
    const char *const digits =
        "The High Radix quotient digit string exceeds the limit of 1048576 bits";
    return {
        {"remainder_dividend_past",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(8, limit + 1, 0),
         dividend},
        {"remainder_divisor_past",
         config_builder(QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(limit + 1, 8, 0),
         divisor},
        {"remainder_both_at",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(limit, limit, 0),
         nullptr},
        {"remainder_unsigned_widths_unused",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
             .widths(INT32_MAX, INT32_MAX, 0),
         nullptr},
        {"radix2_sum_past",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, limit - 99, 100),
         sum},
        {"radix2_sum_at",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
             .widths(8, limit - 100, 100),
         nullptr},
        {"radix2_dividend_past",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 2)
             .widths(8, limit + 1, 0),
         dividend},
        {"radix2_split_fraction_past",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 2).widths(8, 8, limit + 1),
         fraction},
        {"radix2_split_fraction_at",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 2).widths(8, 8, limit),
         nullptr},
        {"radix2_unsigned_fraction_unused",
         config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 2)
             .widths(8, 8, INT32_MAX),
         nullptr},
        {"high_radix_digits_past",
         config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                        QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, 16, high_radix_sum_at_limit - 15),
         digits},
        {"high_radix_digits_at",
         config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                        QUODRA_OUTPUT_FRACTIONAL)
             .widths(16, 16, high_radix_sum_at_limit - 16),
         nullptr},
    };
}

class RegisterLimit : public testing::TestWithParam<limit_case> {};

// One sample, -1 / 1 (or 1 / 3 for High Radix): refused with one message and
// nothing written, or accepted with the sample divided.
TEST_P(RegisterLimit, RefusedPastTheLimitAcceptedAtIt) {
    const limit_case &c = GetParam();
    test_model model(c.configuration);
    ASSERT_NE(model.get(), nullptr);
    const bool high_radix = c.configuration.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
    mpz_vector divisor{high_radix ? 3 : 1}, dividend{high_radix ? 1 : -1}, quotient{-99},
        remainder{-98};
    uint_vector flags(1, 5u);
    const int32_t status = qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                                   quotient.get(), remainder.get(), flags.get(), 1);
    if (c.message != nullptr) {
        EXPECT_EQ(status, 1);
        ASSERT_EQ(model.calls().size(), 1u);
        EXPECT_EQ(model.calls()[0].message, error_prefix + c.message);
        EXPECT_EQ(quotient.text(0), "-99");
        EXPECT_EQ(remainder.text(0), "-98");
        EXPECT_EQ(flags.at(0), 5u);
        return;
    }
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(model.calls().empty());
    EXPECT_EQ(flags.at(0), 0u);
    EXPECT_NE(quotient.text(0), "-99");
}

INSTANTIATE_TEST_SUITE_P(Paths, RegisterLimit, testing::ValuesIn(limit_cases()),
                         [](const testing::TestParamInfo<limit_case> &info) {
                             return std::string(info.param.name);
                         });

// Signed remainder mode at the limit wraps with the full 2^W.
TEST(RegisterLimitValues, SignedRemainderAtTheLimitWrapsWithTwoToTheWidth) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(limit, limit, 0));
    mpz_vector divisor{1}, dividend{-1}, quotient(1), remainder(1);
    uint_vector flags(1, 5u);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    // 2^W - 1: W ones.
    EXPECT_EQ(mpz_sizeinbase(quotient.at(0), 2), static_cast<size_t>(limit));
    EXPECT_EQ(mpz_popcount(quotient.at(0)), static_cast<mp_bitcnt_t>(limit));
    EXPECT_EQ(remainder.text(0), "0");
}

// Unsigned Radix-2 at W + F = limit: 1 / 3 gives floor(2^F / 3), the bits
// 0101...01 below the integer part.
TEST(RegisterLimitValues, Radix2AtTheLimitDividesExactly) {
    const int32_t fraction = limit - 8;
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, fraction));
    mpz_vector divisor{3}, dividend{1}, quotient(1);
    uint_vector flags(1, 5u);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), 1),
              0);
    mpz_t expected;
    mpz_init(expected);
    mpz_ui_pow_ui(expected, 2, static_cast<unsigned long>(fraction));
    mpz_sub_ui(expected, expected, 1);
    mpz_divexact_ui(expected, expected, 3); // (2^F - 1) / 3 for even F
    EXPECT_EQ(mpz_cmp(quotient.at(0), expected), 0);
    mpz_clear(expected);
}

struct operand_case {
    const char *name;
    mp_bitcnt_t divisor_bits; // magnitude 2^bits - 1
    mp_bitcnt_t dividend_bits;
    const char *message;
};

void PrintTo(const operand_case &c, std::ostream *out) { *out << c.name; }

class RemainderOperandLimit : public testing::TestWithParam<std::tuple<operand_case, int32_t>> {};

// Remainder mode divides operands as stored, so their own width is bounded
// too, in signed and unsigned mode; the sample after a refused one is never
// divided.
TEST_P(RemainderOperandLimit, RefusedPastTheLimitAcceptedAtIt) {
    const operand_case &c = std::get<0>(GetParam());
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, std::get<1>(GetParam()), QUODRA_OUTPUT_REMAINDER)
            .widths(8, 8, 0));
    mpz_vector divisor{3, 3}, dividend{7, 7}, quotient{-99, -99}, remainder{-98, -98};
    uint_vector flags(2, 5u);
    mpz_t value;
    mpz_init(value);
    mpz_ui_pow_ui(value, 2, c.divisor_bits);
    mpz_sub_ui(value, value, 1);
    divisor.set(1, value);
    mpz_ui_pow_ui(value, 2, c.dividend_bits);
    mpz_sub_ui(value, value, 1);
    dividend.set(1, value);
    const int32_t status = qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                                   quotient.get(), remainder.get(), flags.get(), 2);
    if (c.message == nullptr) {
        EXPECT_EQ(status, 0);
        EXPECT_EQ(quotient.text(0), "2");
        mpz_tdiv_q(value, dividend.at(1), divisor.at(1)); // positive: no wrap when signed
        EXPECT_EQ(mpz_cmp(quotient.at(1), value), 0);
    } else {
        EXPECT_EQ(status, 1);
        ASSERT_EQ(model.calls().size(), 1u);
        EXPECT_EQ(model.calls()[0].message, error_prefix + c.message);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(quotient.text(i), "-99");
            EXPECT_EQ(remainder.text(i), "-98");
            EXPECT_EQ(flags.at(i), 5u);
        }
    }
    mpz_clear(value);
}

INSTANTIATE_TEST_SUITE_P(
    Operands, RemainderOperandLimit,
    testing::Combine(
        testing::Values(
            operand_case{"dividend_past", 2, limit + 1,
                         "Dividend operand exceeds the limit of 1048576 bits"},
            operand_case{"divisor_past", limit + 1, 2,
                         "Divisor operand exceeds the limit of 1048576 bits"},
            operand_case{"both_at", limit, limit, nullptr},
            operand_case{"dividend_at", 5, limit, nullptr}),
        testing::Values(0, 1)),
    [](const testing::TestParamInfo<std::tuple<operand_case, int32_t>> &info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == 1 ? "_signed" : "_unsigned");
    });

// Only samples the call reads count: a wide operand past the count or past
// data_size is never looked at.
TEST(RemainderOperandLimit, OperandsTheCallDoesNotReadAreNotChecked) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 8, 0));
    mpz_vector divisor{3, 3}, dividend{7, 7}, quotient(2), remainder(2);
    uint_vector flags(2, 5u);
    mpz_t wide;
    mpz_init(wide);
    mpz_ui_pow_ui(wide, 2, static_cast<unsigned long>(limit) + 5);
    dividend.set(1, wide);
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    dividend->data_size = 1; // sample 1 is now out of reach
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 2),
              0);
    dividend->data_size = 2;
    EXPECT_TRUE(model.calls().empty());
    mpz_clear(wide);
}

// Radix-2 reads W dividend bits and compares the divisor with registers of
// W + F bits: operands of millions of bits cost no more than small ones and
// divide as the datapath defines (a divisor above every partial remainder
// gives 0; only the low W dividend bits enter).
TEST(Radix2WideOperands, DivideAsTheDatapathDefines) {
    for (int32_t sign : {0, 1}) {
        test_model model(config_builder(QUODRA_ALGORITHM_RADIX2, sign, QUODRA_OUTPUT_FRACTIONAL)
                             .widths(8, 8, 4));
        mpz_vector divisor(2), dividend(2), quotient(2);
        uint_vector flags(2, 5u);
        mpz_t wide;
        mpz_init(wide);
        mpz_ui_pow_ui(wide, 2, 8u * 1024 * 1024);
        divisor.set(0, wide);
        dividend.set(0, 100);
        mpz_add_ui(wide, wide, 7); // low 8 bits 7
        dividend.set(1, wide);
        divisor.set(1, 2);
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), nullptr, flags.get(), 2),
                  0);
        EXPECT_EQ(quotient.text(0), "0");
        EXPECT_EQ(quotient.text(1, 16), sign == 1 ? "34" : "38"); // 7 / 2 in each layout
        mpz_clear(wide);
    }
}

// At the largest iteration count a divisor wider than the register costs
// one comparison, not 2^20 additions of a million-bit value.
TEST(Radix2WideOperands, WideDivisorAtTheIterationLimit) {
    const int32_t fraction = limit - 8;
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, fraction));
    mpz_vector divisor(2), dividend(2), quotient(2);
    uint_vector flags(2, 5u);
    mpz_t value;
    mpz_init(value);
    mpz_ui_pow_ui(value, 2, static_cast<unsigned long>(limit) + 1);
    mpz_sub_ui(value, value, 1);
    divisor.set(0, value);
    dividend.set(0, 255);
    mpz_ui_pow_ui(value, 2, static_cast<unsigned long>(limit));
    divisor.set(1, value);
    mpz_sub_ui(value, value, 1); // only its low 8 bits, 255, enter
    dividend.set(1, value);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), 2),
              0);
    EXPECT_EQ(quotient.text(0), "0");
    EXPECT_EQ(quotient.text(1), "0"); // (255 * 2^F) / 2^n < 1
    mpz_clear(value);
}

// Five arrays holding one element each but claiming UINT32_MAX samples.
struct lying_arrays {
    mpz_vector divisor{7};
    mpz_vector dividend{100};
    mpz_vector quotient{-99};
    mpz_vector remainder{-98};
    uint_vector flags{1, 5u};

    lying_arrays() {
        divisor->dim[0] = UINT32_MAX;
        dividend->dim[0] = UINT32_MAX;
        quotient->dim[0] = UINT32_MAX;
        remainder->dim[0] = UINT32_MAX;
        flags->dim[0] = UINT32_MAX;
    }
    int32_t run(test_model &model, uint32_t count) {
        return qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                       remainder.get(), flags.get(), count);
    }
};

// Runs `call` on another thread; a call that spins over the claimed extent
// would take minutes, so not returning within a generous bound is a hang.
template <class Call> int32_t returns_without_spinning(Call call) {
    auto result = std::async(std::launch::async, call);
    if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the call loops over the claimed extent";
        std::_Exit(1); // the spinning call cannot be abandoned safely
    }
    return result.get();
}

TEST(LyingExtents, CallStopsOnceNoSampleCanChangeAnything) {
    for (const qor_quodra_v5_1_config &c : std::initializer_list<qor_quodra_v5_1_config>{
             config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
                 .widths(8, 8, 0),
             config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                            QUODRA_OUTPUT_FRACTIONAL)
                 .widths(8, 8, 4),
             config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                            QUODRA_OUTPUT_FRACTIONAL)
                 .widths(8, 8, 4)}) {
        SCOPED_TRACE("algorithm " + std::to_string(c.algorithm_type));
        test_model one_sample(c);
        lying_arrays expected;
        ASSERT_EQ(expected.run(one_sample, 1), 0);

        test_model model(c);
        lying_arrays arrays;
        EXPECT_EQ(returns_without_spinning([&] { return arrays.run(model, UINT32_MAX); }), 0);
        EXPECT_EQ(arrays.quotient.text(0), expected.quotient.text(0));
        EXPECT_EQ(arrays.remainder.text(0), expected.remainder.text(0));
        EXPECT_EQ(arrays.flags.at(0), expected.flags.at(0));
        EXPECT_TRUE(model.calls().empty());
    }
}

// An output that addresses element 0 at every index (no extents in use)
// is written by every sample: the call runs to the count, the last sample's
// result in place.
TEST(LyingExtents, SingleSampleOutputStillSeesEverySample) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 8, 0));
    mpz_vector divisor{7, 5, 3}, dividend{100, 100, 100}, quotient{-99}, remainder{-98};
    uint_vector flags(1, 5u);
    quotient->dim_size = 0;
    quotient->dim[0] = 3;
    remainder->dim[0] = 3;
    flags->dim[0] = 3;
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 3),
              0);
    EXPECT_EQ(quotient.text(0), "33"); // 100 / 3, the last sample
    EXPECT_EQ(remainder.text(0), "2"); // 100 % 7: the remainder holds only sample 0
}

} // namespace
