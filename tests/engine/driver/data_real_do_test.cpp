// The real-valued front end: doubles converted to integers with truncation
// warnings, the driver run on temporaries shaped like the caller's arrays,
// results converted back (fractional quotients scaled by 2^-F), every
// element past the count written as 0.0, and refusals that write nothing.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/driver_test_support.h"

namespace {

using driver_test::messages;
using driver_test::real_vector;
using driver_test::test_model;
using driver_test::uint_vector;

const std::string warning_prefix = "Default configuration WARNING: ";
const std::string error_prefix = "Default configuration ERROR: ";
const std::string divisor_warning = warning_prefix + "Truncating non-integer divisor input";
const std::string dividend_warning = warning_prefix + "Truncating non-integer dividend input";
const std::string quotient_warning = warning_prefix + "Quotient truncated to fit double precision";
const std::string remainder_warning =
    warning_prefix + "Remainder truncated to fit double precision";

// Radix-2 on 8-bit operands with 4 fraction bits, in both output modes.
const qor_quodra_v5_1_config unsigned_remainder =
    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER)
        .widths(8, 8, 4);
const qor_quodra_v5_1_config signed_remainder =
    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
        .widths(8, 8, 4);
const qor_quodra_v5_1_config unsigned_fractional =
    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
        .widths(8, 8, 4);
const qor_quodra_v5_1_config signed_fractional =
    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
        .widths(8, 8, 4);

struct real_call {
    real_vector divisor;
    real_vector dividend;
    real_vector quotient;
    real_vector remainder;
    uint_vector flags;

    real_call(std::initializer_list<double> dividends, std::initializer_list<double> divisors)
        : divisor(divisors), dividend(dividends), quotient(divisors.size(), -42.0),
          remainder(divisors.size(), -43.0), flags(divisors.size(), 9u) {}

    int32_t run(test_model &model, uint32_t count) {
        return qor_quodra_v5_1_data_real_do(model.get(), divisor.get(), dividend.get(),
                                            quotient.get(), remainder.get(), flags.get(), count);
    }
    // Argument `position` of the entry point (0 the model ... 5 the flags) null.
    int32_t run_with_null(test_model &model, int position) {
        auto keep = [position](int p, auto *array) { return p == position ? nullptr : array; };
        return qor_quodra_v5_1_data_real_do(keep(0, model.get()), keep(1, divisor.get()),
                                            keep(2, dividend.get()), keep(3, quotient.get()),
                                            keep(4, remainder.get()), keep(5, flags.get()), 1);
    }
    int32_t run_all(test_model &model) {
        return run(model, static_cast<uint32_t>(divisor->data_size));
    }

    void expect_outputs_untouched() const {
        for (size_t i = 0; i < quotient->data_size; ++i) {
            EXPECT_EQ(quotient[i], -42.0);
            EXPECT_EQ(remainder[i], -43.0);
            EXPECT_EQ(flags.at(i), 9u);
        }
    }
};

struct real_row {
    double dividend;
    double divisor;
    double quotient;
    double remainder; // -43.0: the remainder is not written
    unsigned int div_by_zero;
};

void expect_rows(const qor_quodra_v5_1_config &c, const std::vector<real_row> &rows) {
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    real_vector divisor(rows.size()), dividend(rows.size()), quotient(rows.size(), -42.0),
        remainder(rows.size(), -43.0);
    uint_vector flags(rows.size(), 9u);
    for (size_t i = 0; i < rows.size(); ++i) {
        divisor[i] = rows[i].divisor;
        dividend[i] = rows[i].dividend;
    }
    ASSERT_EQ(qor_quodra_v5_1_data_real_do(model.get(), divisor.get(), dividend.get(),
                                           quotient.get(), remainder.get(), flags.get(),
                                           static_cast<uint32_t>(rows.size())),
              0);
    EXPECT_TRUE(model.calls().empty());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(std::to_string(rows[i].dividend) + " / " + std::to_string(rows[i].divisor));
        EXPECT_EQ(quotient[i], rows[i].quotient);
        EXPECT_EQ(remainder[i], rows[i].remainder);
        EXPECT_EQ(flags.at(i), rows[i].div_by_zero);
    }
}

TEST(RealFrontEnd, RemainderModeResultsInTheDriversIntegerForm) {
    expect_rows(unsigned_remainder, {{100.0, 7.0, 14.0, 2.0, 0}, {5.0, 0.0, 0.0, 0.0, 1}});
    expect_rows(signed_remainder, {{-7.0, 2.0, 253.0, 255.0, 0}, {-0.0, 3.0, 0.0, 0.0, 0}});
}

TEST(RealFrontEnd, FractionalQuotientsAreScaledAndTheRemainderIsNotWritten) {
    expect_rows(
        unsigned_fractional,
        {{7.0, 2.0, 3.5, -43.0, 0}, {1.0, 3.0, 0.3125, -43.0, 0}, {5.0, 0.0, 255.9375, -43.0, 1}});
    expect_rows(signed_fractional, {{7.0, 2.0, 3.25, -43.0, 0}, {-7.0, 2.0, 253.75, -43.0, 0}});
}

TEST(RealFrontEnd, FractionalOutputOtherThanOneIsNotScaled) {
    qor_quodra_v5_1_config c = unsigned_fractional;
    c.remainder_type = 2; // not fractional: W iterations, integer quotient
    expect_rows(c, {{7.0, 2.0, 3.0, -43.0, 0}});
}

TEST(RealFrontEnd, NonIntegerDivisorsAreTruncatedTowardsZeroWithOneWarningEach) {
    test_model model(signed_remainder);
    real_call call({7.0, 7.0, 7.0}, {2.5, -2.5, 2.0});
    ASSERT_EQ(call.run_all(model), 0);
    EXPECT_EQ(messages(model.calls()),
              (std::vector<std::string>{divisor_warning, divisor_warning}));
    for (const handler_call &c : model.calls()) {
        EXPECT_EQ(c.error, 0);
        EXPECT_EQ(c.handle, &model.handler);
    }
    EXPECT_EQ(call.quotient[0], 3.0); // 7 / 2
    EXPECT_EQ(call.remainder[0], 1.0);
    EXPECT_EQ(call.quotient[1], 253.0); // 7 / -2
    EXPECT_EQ(call.remainder[1], 1.0);
}

TEST(RealFrontEnd, EveryInputElementIsConvertedNotOnlyTheCountedOnes) {
    test_model model(unsigned_remainder);
    real_call call({10.0, 20.0, 30.0, 40.5}, {3.0, 3.0, 3.0, 3.0});
    ASSERT_EQ(call.run(model, 2), 0);
    EXPECT_EQ(messages(model.calls()), std::vector<std::string>{dividend_warning});
}

TEST(RealFrontEnd, ElementsBeyondTheCountComeBackAsZero) {
    test_model model(unsigned_remainder);
    real_call call({10.0, 20.0, 30.0, 40.0, 50.0}, {3.0, 3.0, 3.0, 3.0, 3.0});
    ASSERT_EQ(call.run(model, 3), 0);
    EXPECT_EQ(call.quotient[2], 10.0);
    EXPECT_EQ(call.quotient[3], 0.0);
    EXPECT_EQ(call.quotient[4], 0.0);
    EXPECT_EQ(call.remainder[3], 0.0);
    EXPECT_EQ(call.remainder[4], 0.0);
    EXPECT_EQ(call.flags.at(3), 9u); // the driver writes flags for counted samples only
}

TEST(RealFrontEnd, ResultsADoubleCannotHoldWarnAndTruncateTowardsZero) {
    // -1 / 1 and -3 / 2 with 64-bit fields: quotient and remainder patterns
    // of 2^64 - 1, whose nearest double towards zero is 2^64 - 2^11.
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(64, 64, 4));
    real_call call({-1.0, -3.0}, {1.0, 2.0});
    ASSERT_EQ(call.run_all(model), 0);
    const double below_2_64 = std::ldexp(1.0, 64) - std::ldexp(1.0, 11);
    EXPECT_EQ(call.quotient[0], below_2_64);
    EXPECT_EQ(call.remainder[0], 0.0);
    EXPECT_EQ(call.quotient[1], below_2_64);
    EXPECT_EQ(call.remainder[1], below_2_64);
    EXPECT_EQ(messages(model.calls()),
              (std::vector<std::string>{quotient_warning, quotient_warning, remainder_warning}));
}

TEST(RealFrontEnd, TheExactnessTestComesBeforeTheFixedPointScaling) {
    // Zero divisor, W 60, F 4: register 2^64 - 1, truncated, then / 16.
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 60, 4));
    real_call call({5.0}, {0.0});
    ASSERT_EQ(call.run_all(model), 0);
    EXPECT_EQ(call.quotient[0], (std::ldexp(1.0, 64) - std::ldexp(1.0, 11)) / 16.0);
    EXPECT_EQ(messages(model.calls()), std::vector<std::string>{quotient_warning});
}

TEST(RealFrontEnd, ResultsBeyondTheDoubleRangeBecomeTheLargestFiniteDouble) {
    test_model radix2(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 1100, 0)); // zero divisor: 2^1100 - 1
    real_call wide({5.0}, {0.0});
    ASSERT_EQ(wide.run_all(radix2), 0);
    EXPECT_EQ(wide.quotient[0], DBL_MAX);
    EXPECT_EQ(messages(radix2.calls()), std::vector<std::string>{quotient_warning});

    test_model remainder(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER)
            .widths(8, 2000, 4)); // -7 / 2: 2^2000 - 3
    real_call negative({-7.0}, {2.0});
    ASSERT_EQ(negative.run_all(remainder), 0);
    EXPECT_EQ(negative.quotient[0], DBL_MAX);
    EXPECT_EQ(negative.remainder[0], 255.0);
    EXPECT_EQ(messages(remainder.calls()), std::vector<std::string>{quotient_warning});
}

TEST(RealFrontEnd, ShapesAreCopiedSoTheExtentIsTheFirstDimension) {
    test_model model(unsigned_remainder);
    real_call call({10.0, 20.0, 30.0, 40.0, 50.0, 60.0}, {3.0, 3.0, 3.0, 3.0, 3.0, 3.0});
    qor_quodra_v5_1_qor_array_real_reserve_dim(call.quotient.get(), 2);
    call.quotient->dim_size = 2;
    call.quotient->dim[0] = 2;
    call.quotient->dim[1] = 3;
    EXPECT_EQ(call.run(model, 3), 1);
    EXPECT_EQ(messages(model.calls()),
              std::vector<std::string>{
                  error_prefix + "Number of samples requested is larger than the quotient size"});
    call.expect_outputs_untouched();
    model.calls().clear();

    ASSERT_EQ(call.run(model, 2), 0);
    EXPECT_TRUE(model.calls().empty());
    EXPECT_EQ(call.quotient[1], 6.0);
    EXPECT_EQ(call.quotient[5], 0.0); // within data_size, beyond the count
}

TEST(RealFrontEnd, DriverFailureComesAfterInputWarningsAndWritesNothing) {
    test_model model(unsigned_remainder);
    real_call call({10.5, 20.0}, {3.0, 3.0});
    EXPECT_EQ(call.run(model, 3), 1);
    EXPECT_EQ(messages(model.calls()),
              (std::vector<std::string>{
                  dividend_warning,
                  error_prefix + "Number of samples requested is larger than the divisor size"}));
    EXPECT_EQ(model.calls().back().error, 1);
    call.expect_outputs_untouched();

    model.calls().clear();
    ASSERT_EQ(call.run(model, 2), 0); // the model is still usable
    EXPECT_EQ(call.quotient[0], 3.0);
    EXPECT_EQ(call.remainder[1], 2.0);
}

// The entry point refuses a null model, divisor or quotient silently; the
// front end refuses every other null array with a message, in both modes.
TEST(RealFrontEnd, NullArgumentsAreRefused) {
    const std::vector<const char *> expected = {nullptr,
                                                nullptr,
                                                "The dividend structure pointer is null",
                                                nullptr,
                                                "The remainder structure pointer is null",
                                                "The div_by_zero structure pointer is null"};
    for (const qor_quodra_v5_1_config &c : {unsigned_remainder, unsigned_fractional}) {
        for (int position = 0; position < 6; ++position) {
            SCOPED_TRACE("argument " + std::to_string(position));
            test_model model(c);
            real_call call({10.5}, {3.0});
            EXPECT_EQ(call.run_with_null(model, position), 1);
            if (expected[position] == nullptr) {
                EXPECT_TRUE(model.calls().empty());
            } else {
                EXPECT_EQ(messages(model.calls()),
                          std::vector<std::string>{error_prefix + expected[position]});
            }
            call.expect_outputs_untouched();
        }
    }
}

struct non_finite_case {
    double divisor_tail;
    double dividend_tail;
    const char *message;
};

TEST(RealFrontEnd, NonFiniteInputsAreRefusedBeforeAnyConversion) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<non_finite_case> cases = {
        {inf, 1.0, "Non-finite divisor input cannot be converted to an integer"},
        {-inf, 1.0, "Non-finite divisor input cannot be converted to an integer"},
        {nan, 1.0, "Non-finite divisor input cannot be converted to an integer"},
        {1.0, nan, "Non-finite dividend input cannot be converted to an integer"},
        {1.0, -inf, "Non-finite dividend input cannot be converted to an integer"},
        {nan, inf, "Non-finite divisor input cannot be converted to an integer"},
    };
    for (const non_finite_case &c : cases) {
        test_model model(unsigned_remainder);
        // The bad element sits beyond the count: every element is converted.
        real_call call({10.5, c.dividend_tail}, {3.5, c.divisor_tail});
        EXPECT_EQ(call.run(model, 1), 1);
        EXPECT_EQ(messages(model.calls()), std::vector<std::string>{error_prefix + c.message});
        call.expect_outputs_untouched();
    }
}

TEST(RealFrontEnd, MissingExtentVectorIsRefusedBeforeAnyConversion) {
    test_model model(unsigned_remainder);
    real_call call({10.5}, {3.0});
    size_t *extents = call.divisor->dim;
    call.divisor->dim = nullptr;
    EXPECT_EQ(call.run(model, 1), 1);
    call.divisor->dim = extents;
    EXPECT_EQ(
        messages(model.calls()),
        std::vector<std::string>{error_prefix + "The divisor structure has no dimension vector"});
    call.expect_outputs_untouched();
}

TEST(RealFrontEnd, TemporaryWhoseStorageCannotBeReservedRefusesTheCall) {
    test_model model(unsigned_remainder);
    real_call call({10.5}, {3.0});
    // Sizes no storage can satisfy; the front end must not write past what
    // it reserved. Restored before the arrays are destroyed.
    call.quotient->data_size = SIZE_MAX;
    EXPECT_EQ(call.run(model, 1), 1);
    call.quotient->data_size = 1;
    call.remainder->dim_size = SIZE_MAX;
    EXPECT_EQ(call.run(model, 1), 1);
    call.remainder->dim_size = 1;
    EXPECT_EQ(
        messages(model.calls()),
        (std::vector<std::string>{
            error_prefix + "Storage for the temporary quotient array could not be reserved",
            error_prefix + "Storage for the temporary remainder array could not be reserved"}));
    call.expect_outputs_untouched();

    model.calls().clear();
    ASSERT_EQ(call.run(model, 1), 0);
    EXPECT_EQ(call.quotient[0], 3.0);
    EXPECT_EQ(messages(model.calls()), std::vector<std::string>{dividend_warning});
}

} // namespace
