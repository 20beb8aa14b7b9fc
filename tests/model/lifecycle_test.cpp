// Creation, destruction and the two ways failures reach the caller's handler.
#include <gtest/gtest.h>

#include <new>
#include <ostream>
#include <string>

#include "model/model_guard.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "quodra.h"
#include "support/config_builder.h"
#include "support/recording_handler.h"

namespace {

TEST(Create, DefaultConfigurationMakesAModelSilently) {
    qor_quodra_v5_1_config config = config_builder();
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_EQ(qor_quodra_v5_1_destroy(model), 0);
}

TEST(Create, NullRecordReturnsNullWithoutReport) {
    recording_handler handler;
    EXPECT_EQ(qor_quodra_v5_1_create(nullptr, recording_handler::record, &handler), nullptr);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(Create, NullNameIsRefusedOnceWithBareMessage) {
    qor_quodra_v5_1_config config = config_builder();
    config.name = nullptr;
    recording_handler handler;
    EXPECT_EQ(qor_quodra_v5_1_create(&config, recording_handler::record, &handler), nullptr);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].handle, &handler);
    EXPECT_EQ(handler.calls[0].error, 1);
    EXPECT_EQ(handler.calls[0].message, "Configuration name must not be null");
}

TEST(Create, NullHandlerSilencesFailures) {
    qor_quodra_v5_1_config config =
        config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_UNSIGNED);
    EXPECT_EQ(qor_quodra_v5_1_create(&config, nullptr, nullptr), nullptr);
    config.name = nullptr;
    EXPECT_EQ(qor_quodra_v5_1_create(&config, nullptr, nullptr), nullptr);
}

TEST(Create, RecordMayBeReusedAfterwards) {
    qor_quodra_v5_1_config config = config_builder();
    std::string name = "first core";
    config.name = name.c_str();
    quodra_v5_1 *first = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    name = "second core, a longer name than the first";
    config.name = name.c_str();
    config.dividend_width = 40;
    quodra_v5_1 *second = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    qor_quodra_v5_1_config back{};
    qor_quodra_v5_1_get_config(first, &back);
    EXPECT_STREQ(back.name, "first core");
    EXPECT_EQ(back.dividend_width, 16);
    qor_quodra_v5_1_destroy(first);
    qor_quodra_v5_1_destroy(second);
}

// The guard of the model, driven directly with operations that raise.
struct guard_case {
    const char *name;
    int kind; // 0: completes, 1: QUODRAException, 2: other runtime_error, 3: logic_error, 4: int
    int32_t status;
    const char *message; // expected handler text, null when none
};

std::ostream &operator<<(std::ostream &out, const guard_case &c) {
    return out << "raise kind " << c.kind;
}

class ModelGuard : public ::testing::TestWithParam<guard_case> {};

TEST_P(ModelGuard, TurnsFailuresIntoPrefixedErrors) {
    const guard_case &c = GetParam();
    qor_quodra_v5_1_config config = config_builder();
    config.name = c.name;
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    ASSERT_NE(model, nullptr);
    const int32_t status = qor_run_guarded(*model, [&]() -> int {
        switch (c.kind) {
        case 1: throw QUODRAException("Unknown algorithm_type.");
        case 2: throw std::range_error("value out of range");
        case 3: throw std::out_of_range("a logic error, not a runtime error");
        case 4: throw 42;
        default: return 0;
        }
    });
    EXPECT_EQ(status, c.status);
    if (c.message == nullptr) {
        EXPECT_TRUE(handler.calls.empty());
    } else {
        ASSERT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(handler.calls[0].handle, &handler);
        EXPECT_EQ(handler.calls[0].error, 1);
        EXPECT_EQ(handler.calls[0].message, c.message);
    }
    // The model is unchanged and still usable.
    qor_quodra_v5_1_config back{};
    EXPECT_EQ(qor_quodra_v5_1_get_config(model, &back), 0);
    EXPECT_STREQ(back.name, c.name);
    EXPECT_EQ(qor_quodra_v5_1_destroy(model), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, ModelGuard,
    ::testing::Values(
        guard_case{"Default configuration", 0, 0, nullptr},
        guard_case{"Default configuration", 1, 1, "Default configuration ERROR: Unknown algorithm_type."},
        guard_case{"core7", 2, 1, "core7 ERROR: value out of range"},
        guard_case{"core7", 3, 1, "core7 ERROR: Uncaught exception in quodra_v5_1 model"},
        guard_case{"core7", 4, 1, "core7 ERROR: Uncaught exception in quodra_v5_1 model"},
        guard_case{"", 1, 1, " ERROR: Unknown algorithm_type."}));

// A logger that cannot form any error message, as when there is no memory
// for "<name> ERROR: <text>" (a huge name under a tight memory limit).
class logger_without_memory : public qor_quodra_v5_1_zanlogger::ZanLogger {
public:
    using ZanLogger::ZanLogger;
    using ZanLogger::error;
    std::string error(const std::string &) override { throw std::bad_alloc(); }
};

// The refusal still reaches the handler once, as the bare text with error
// flag 1, through the real data call and for failures of every kind.
TEST(ModelGuardFallback, ErrorThatCannotBeFormedReachesTheHandlerBare) {
    recording_handler handler;
    logger_without_memory logger(recording_handler::record, &handler, "Default configuration");
    const qor_quodra_v5_1_config config = config_builder();
    quodra_v5_1 model(config, &logger);

    qor_array_mpz *samples = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_uint *flags = qor_quodra_v5_1_qor_array_uint_alloc(1);
    EXPECT_EQ(qor_quodra_v5_1_data_do(&model, samples, samples, samples, samples, flags, 2), 1);
    EXPECT_EQ(qor_run_guarded(model, []() -> int { throw 42; }), 1);
    EXPECT_EQ(qor_run_guarded(model, []() -> int { return 0; }), 0);
    qor_quodra_v5_1_qor_array_mpz_destroy(samples);
    qor_quodra_v5_1_qor_array_uint_destroy(flags);

    ASSERT_EQ(handler.calls.size(), 2u);
    EXPECT_EQ(handler.calls[0].handle, &handler);
    EXPECT_EQ(handler.calls[0].error, 1);
    EXPECT_EQ(handler.calls[0].message,
              "Number of samples requested is larger than the divisor size");
    EXPECT_EQ(handler.calls[1].error, 1);
    EXPECT_EQ(handler.calls[1].message, "Uncaught exception in quodra_v5_1 model");
}

} // namespace
