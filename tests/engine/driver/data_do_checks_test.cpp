// The sample driver's refusals: the entry point's silent null checks, the
// array checks in their order with their messages, the fractional dispatch
// failures, and the promise that a refused call writes nothing and leaves
// the model usable.
#include <gmp.h>
#include <gtest/gtest.h>

#include <ostream>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "support/driver_test_support.h"
#include "model/quodra_v5_1.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

const std::string error_prefix = "Default configuration ERROR: ";

// Five arrays of three samples with recognisable output sentinels.
struct call_arrays {
    mpz_vector divisor{7, 2, 3};
    mpz_vector dividend{100, -7, 9};
    mpz_vector quotient{-1, -2, -3};
    mpz_vector remainder{-4, -5, -6};
    uint_vector flags{3, 9u};

    int32_t run(const quodra_v5_1 *model, uint32_t count, bool with_remainder = true) {
        return qor_quodra_v5_1_data_do(model, divisor.get(), dividend.get(), quotient.get(),
                                       with_remainder ? remainder.get() : nullptr, flags.get(),
                                       count);
    }

    // Argument `position` of the entry point (0 the model ... 5 the flags) null.
    int32_t run_with_null(const quodra_v5_1 *model, int position, uint32_t count) {
        auto keep = [position](int p, auto *array) { return p == position ? nullptr : array; };
        return qor_quodra_v5_1_data_do(keep(0, model), keep(1, divisor.get()),
                                       keep(2, dividend.get()), keep(3, quotient.get()),
                                       keep(4, remainder.get()), keep(5, flags.get()), count);
    }

    void expect_outputs_untouched() const {
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(mpz_cmp_si(quotient.at(i), -1 - long(i)), 0) << quotient.text(i);
            EXPECT_EQ(mpz_cmp_si(remainder.at(i), -4 - long(i)), 0) << remainder.text(i);
            EXPECT_EQ(flags.at(i), 9u);
        }
    }

    void expect_remainder_mode_results() const {
        EXPECT_EQ(mpz_cmp_ui(quotient.at(0), 14), 0);
        EXPECT_EQ(mpz_cmp_ui(remainder.at(0), 2), 0);
        EXPECT_EQ(mpz_cmp_ui(quotient.at(1), 253), 0);
        EXPECT_EQ(mpz_cmp_ui(remainder.at(1), 255), 0);
        EXPECT_EQ(mpz_cmp_ui(quotient.at(2), 3), 0);
        EXPECT_EQ(mpz_cmp_ui(remainder.at(2), 0), 0);
        EXPECT_EQ(flags.at(0) + flags.at(1) + flags.at(2), 0u);
    }
};

void expect_one_error(test_model &model, const std::string &text) {
    ASSERT_EQ(model.calls().size(), 1u);
    EXPECT_EQ(model.calls()[0].handle, &model.handler);
    EXPECT_EQ(model.calls()[0].error, 1);
    EXPECT_EQ(model.calls()[0].message, error_prefix + text);
    model.calls().clear();
}

struct refusal_case {
    const char *name;
    qor_quodra_v5_1_config configuration;
    std::function<void(call_arrays &)> damage;
    const char *message;
};

// Prints the case by its name, so test listings stay short and identical
// from build to build.
void PrintTo(const refusal_case &c, std::ostream *out) { *out << c.name; }

// Radix-2, signed, remainder output, on 8-bit operands.
const qor_quodra_v5_1_config eight_bits = config_builder().widths(8, 8, 4);

const char *const remainder_pointer_text =
    "The model is configured for remainder output, but the remainder structure pointer is null";

std::vector<refusal_case> refusal_cases() {
    auto shrink_all = [](call_arrays &a) {
        a.divisor->dim[0] = 2;
        a.dividend->dim[0] = 2;
        a.quotient->dim[0] = 2;
        a.flags->dim[0] = 2;
        a.remainder->dim[0] = 2;
    };
    return {
        {"divisor", eight_bits, [](call_arrays &a) { a.divisor->dim[0] = 2; },
         "Number of samples requested is larger than the divisor size"},
        {"dividend", eight_bits, [](call_arrays &a) { a.dividend->dim[0] = 2; },
         "Number of samples requested is larger than the dividend size"},
        {"quotient", eight_bits, [](call_arrays &a) { a.quotient->dim[0] = 2; },
         "Number of samples requested is larger than the quotient size"},
        {"div_by_zero", eight_bits, [](call_arrays &a) { a.flags->dim[0] = 2; },
         "Number of samples requested is larger than the div_by_zero size"},
        {"remainder", eight_bits, [](call_arrays &a) { a.remainder->dim[0] = 2; },
         "Number of samples requested is larger than that remainder size"},
        {"divisor before all others", eight_bits, shrink_all,
         "Number of samples requested is larger than the divisor size"},
        {"dividend before quotient", eight_bits,
         [](call_arrays &a) {
             a.dividend->dim[0] = 0;
             a.quotient->dim[0] = 0;
             a.remainder->dim[0] = 0;
         },
         "Number of samples requested is larger than the dividend size"},
        {"extent, not data_size", eight_bits, [](call_arrays &a) { a.quotient->dim[0] = 1; },
         "Number of samples requested is larger than the quotient size"},
        {"fractional algorithm 2",
         config_builder(2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4),
         [](call_arrays &) {}, "Unknown algorithm_type."},
        {"fractional algorithm 0",
         config_builder(0, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4),
         [](call_arrays &) {}, "Unknown algorithm_type."},
        {"fractional algorithm 5",
         config_builder(5, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4),
         [](call_arrays &) {}, "Unknown algorithm_type."},
        {"fractional algorithm -1",
         config_builder(-1, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4),
         [](call_arrays &) {}, "Unknown algorithm_type."},
        {"size checks before dispatch",
         config_builder(2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4),
         [](call_arrays &a) { a.flags->dim[0] = 1; },
         "Number of samples requested is larger than the div_by_zero size"},
    };
}

class DriverRefusal : public testing::TestWithParam<refusal_case> {};

TEST_P(DriverRefusal, ReportsOnceWritesNothingAndLeavesModelUsable) {
    const refusal_case &c = GetParam();
    test_model model(c.configuration);
    ASSERT_NE(model.get(), nullptr);
    call_arrays arrays;
    c.damage(arrays);
    EXPECT_EQ(arrays.run(model.get(), 3), 1);
    expect_one_error(model, c.message);
    arrays.expect_outputs_untouched();

    // The same model divides correctly on the next call.
    if (c.configuration.remainder_type == QUODRA_OUTPUT_REMAINDER) {
        call_arrays fresh;
        EXPECT_EQ(fresh.run(model.get(), 3), 0);
        EXPECT_TRUE(model.calls().empty());
        fresh.expect_remainder_mode_results();
    }
}

INSTANTIATE_TEST_SUITE_P(Checks, DriverRefusal, testing::ValuesIn(refusal_cases()),
                         [](const testing::TestParamInfo<refusal_case> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) {
                                     ch = '_';
                                 }
                             }
                             return name;
                         });

// LutMult cannot be created fractional; the driver's own guard is the second
// line of defence, reached here by changing the stored record.
TEST(Driver, FractionalLutMultIsRefusedByTheDriverToo) {
    test_model model(config_builder(QUODRA_ALGORITHM_LUTMULT).widths(8, 8, 4));
    ASSERT_NE(model.get(), nullptr);
    model.get()->config.remainder_type = QUODRA_OUTPUT_FRACTIONAL;
    call_arrays arrays;
    EXPECT_EQ(arrays.run(model.get(), 3), 1);
    expect_one_error(model, "LUTMult architecture does not support fractional output");
    arrays.expect_outputs_untouched();
}

// An mpz array with three zero samples and no extent vector at all.
qor_array_mpz *array_without_extents() {
    qor_array_mpz *array = qor_quodra_v5_1_qor_array_mpz_create();
    qor_quodra_v5_1_qor_array_mpz_reserve_data(array, 3);
    array->data_size = 3;
    return array;
}

TEST(Driver, ArraysWithoutExtentsAreRefusedWithAMessage) {
    test_model model(eight_bits);
    call_arrays arrays;
    qor_array_mpz *bare = array_without_extents();
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), bare, arrays.dividend.get(),
                                      arrays.quotient.get(), arrays.remainder.get(),
                                      arrays.flags.get(), 0),
              1);
    expect_one_error(model, "The divisor structure has no dimension vector");
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), arrays.dividend.get(),
                                      arrays.quotient.get(), bare, arrays.flags.get(), 3),
              1);
    expect_one_error(model, "The remainder structure has no dimension vector");
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), bare,
                                      arrays.quotient.get(), arrays.remainder.get(),
                                      arrays.flags.get(), 3),
              1);
    expect_one_error(model, "The dividend structure has no dimension vector");
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), arrays.dividend.get(),
                                      bare, arrays.remainder.get(), arrays.flags.get(), 3),
              1);
    expect_one_error(model, "The quotient structure has no dimension vector");
    qor_quodra_v5_1_qor_array_mpz_destroy(bare);

    // An extent vector with no slot reserved has no extent either.
    qor_array_uint *flags = qor_quodra_v5_1_qor_array_uint_create();
    size_t phantom_extent = 3;
    flags->dim = &phantom_extent;
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), arrays.dividend.get(),
                                      arrays.quotient.get(), arrays.remainder.get(), flags, 3),
              1);
    expect_one_error(model, "The div_by_zero structure has no dimension vector");
    flags->dim = nullptr;
    qor_quodra_v5_1_qor_array_uint_destroy(flags);
    arrays.expect_outputs_untouched();
}

TEST(Driver, NullRemainderInRemainderModeIsReportedBeforeTheCounts) {
    test_model model(eight_bits);
    call_arrays arrays;
    EXPECT_EQ(arrays.run(model.get(), 1000, false), 1);
    expect_one_error(model, remainder_pointer_text);
    arrays.expect_outputs_untouched();
}

// With the remainder and the dividend both missing, the remainder-pointer
// check, the first of the driver's checks, is the one reported.
TEST(Driver, NullRemainderIsReportedBeforeANullDividend) {
    test_model model(eight_bits);
    call_arrays arrays;
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), nullptr,
                                      arrays.quotient.get(), nullptr, arrays.flags.get(), 1),
              1);
    expect_one_error(model, remainder_pointer_text);
    arrays.expect_outputs_untouched();
}

// The entry point refuses a null model, divisor or quotient silently; the
// driver refuses every other null array with a message.
TEST(Driver, NullArgumentsAreRefused) {
    const std::vector<const char *> expected = {
        nullptr, nullptr, "The dividend structure pointer is null", nullptr,
        remainder_pointer_text, "The div_by_zero structure pointer is null"};
    for (int position = 0; position < 6; ++position) {
        SCOPED_TRACE("argument " + std::to_string(position));
        test_model model(eight_bits);
        call_arrays arrays;
        EXPECT_EQ(arrays.run_with_null(model.get(), position, 3), 1);
        if (expected[position] == nullptr) {
            EXPECT_TRUE(model.calls().empty());
        } else {
            expect_one_error(model, expected[position]);
        }
        arrays.expect_outputs_untouched();
    }
}

TEST(Driver, CountEqualToEveryExtentIsAccepted) {
    test_model model(eight_bits);
    call_arrays arrays;
    EXPECT_EQ(arrays.run(model.get(), 3), 0);
    EXPECT_TRUE(model.calls().empty());
    arrays.expect_remainder_mode_results();
}

TEST(Driver, CountZeroPassesEveryCheckAndWritesNothing) {
    test_model model(eight_bits);
    call_arrays arrays;
    arrays.divisor->dim[0] = 0;
    arrays.remainder->dim[0] = 0;
    EXPECT_EQ(arrays.run(model.get(), 0), 0);
    EXPECT_TRUE(model.calls().empty());
    arrays.expect_outputs_untouched();
}

TEST(Driver, FractionalModeNeitherNeedsNorTouchesTheRemainder) {
    test_model model(
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(8, 8, 4));
    call_arrays arrays;
    EXPECT_EQ(arrays.run(model.get(), 3, false), 0);
    arrays.remainder->dim[0] = 0; // not size-tested in fractional mode
    EXPECT_EQ(arrays.run(model.get(), 3), 0);
    EXPECT_TRUE(model.calls().empty());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(mpz_cmp_si(arrays.remainder.at(i), -4 - long(i)), 0);
    }
    EXPECT_EQ(mpz_cmp_ui(arrays.quotient.at(1), 0xFDC), 0); // -7 / 2, W 8, F 4
}

// Samples beyond an array's data_size but within its extent pass the checks;
// a refused read keeps the previous sample's value, a refused write is dropped.
TEST(Driver, UnreachableElementsAreSkippedSilently) {
    test_model model(eight_bits);
    call_arrays arrays;
    arrays.dividend.set(1, 20);
    arrays.dividend.set(2, 30);
    arrays.divisor->data_size = 1; // divisor 7 is reused for samples 1 and 2
    arrays.quotient->data_size = 2;
    EXPECT_EQ(arrays.run(model.get(), 3), 0);
    arrays.divisor->data_size = 3;
    arrays.quotient->data_size = 3;
    EXPECT_TRUE(model.calls().empty());
    EXPECT_EQ(mpz_cmp_ui(arrays.quotient.at(0), 14), 0);
    EXPECT_EQ(mpz_cmp_ui(arrays.quotient.at(1), 2), 0); // 20 / 7
    EXPECT_EQ(mpz_cmp_si(arrays.quotient.at(2), -3), 0); // write dropped
    EXPECT_EQ(mpz_cmp_ui(arrays.remainder.at(2), 2), 0); // 30 / 7
    EXPECT_EQ(arrays.flags.at(2), 0u);
}

// An array with its extent slot reserved and an extent of 1 but nothing in
// use (dim_size 0, data_size 0): it passes the count check, and no sample
// index reaches an element of it. Dividing one sample through it as the
// divisor reads nothing (the working divisor keeps its initial 0, a zero
// divisor); as the quotient, nothing is written. No element is touched past
// what each array holds.
TEST(Driver, ReservedButEmptyArraysAreReadAndWrittenAsHoldingNothing) {
    auto reserved_but_empty = [] {
        qor_array_mpz *array = qor_quodra_v5_1_qor_array_mpz_create();
        qor_quodra_v5_1_qor_array_mpz_reserve_dim(array, 1);
        qor_quodra_v5_1_qor_array_mpz_reserve_data(array, 1);
        array->dim[0] = 1;
        array->dim_size = 0;
        array->data_size = 0;
        return array;
    };
    test_model model(eight_bits);
    {
        call_arrays arrays;
        qor_array_mpz *divisor = reserved_but_empty();
        EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor, arrays.dividend.get(),
                                          arrays.quotient.get(), arrays.remainder.get(),
                                          arrays.flags.get(), 1),
                  0);
        EXPECT_EQ(arrays.flags.at(0), 1u);
        EXPECT_EQ(mpz_sgn(arrays.quotient.at(0)), 0);
        EXPECT_EQ(mpz_sgn(arrays.remainder.at(0)), 0);
        EXPECT_EQ(divisor->data_size, 0u);
        qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    }
    {
        call_arrays arrays;
        qor_array_mpz *quotient = reserved_but_empty();
        EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), arrays.divisor.get(), arrays.dividend.get(),
                                          quotient, arrays.remainder.get(), arrays.flags.get(), 1),
                  0);
        EXPECT_EQ(quotient->data_size, 0u);
        EXPECT_EQ(mpz_cmp_ui(arrays.remainder.at(0), 2), 0); // 100 / 7
        EXPECT_EQ(arrays.flags.at(0), 0u);
        qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    }
    EXPECT_TRUE(model.calls().empty());
}

} // namespace
