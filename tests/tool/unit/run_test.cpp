// The run's pieces: the library's messages per thread, and a batch's fill
// and divide steps.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/options.h"
#include "formats/result_layout.h"
#include "run/divider_model.h"
#include "run/division_batch.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

// A configuration the library refuses at creation, which reports it
// through the tool's handler on the creating thread.
divider_settings refused_settings() {
    divider_settings settings;
    settings.name = "refused";
    settings.algorithm_type = algorithm_lutmult;
    settings.fractional_output = true;
    return settings;
}

TEST(LibraryMessages, CapturedPerThreadInPrintedForm) {
    std::string captured;
    testing::internal::CaptureStderr();
    std::string *previous = capture_library_messages(&captured);
    EXPECT_EQ(previous, nullptr);
    EXPECT_THROW(divider_model model(refused_settings()), tool_error);
    // Another thread's messages are not this thread's: they are printed.
    std::thread other([] {
        try {
            divider_model model(refused_settings());
        } catch (const tool_error &) {
        }
    });
    other.join();
    EXPECT_EQ(capture_library_messages(nullptr), &captured);
    const std::string printed_while_capturing = testing::internal::GetCapturedStderr();

    ASSERT_FALSE(captured.empty());
    EXPECT_EQ(captured.rfind("quodra-div: error: ", 0), 0u) << captured;
    EXPECT_EQ(captured.back(), '\n');
    EXPECT_EQ(captured.find('\n'), captured.size() - 1) << "one message, one line";
    // The other thread printed exactly the text this thread captured.
    EXPECT_EQ(printed_while_capturing, captured);

    // With the capture removed, messages are printed again.
    testing::internal::CaptureStderr();
    EXPECT_THROW(divider_model model(refused_settings()), tool_error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), captured);
}

// Reads the listed pairs, then reports the end; "bad" throws as a
// malformed line would.
class listed_pairs {
public:
    explicit listed_pairs(std::vector<std::pair<const char *, const char *>> pairs)
        : pairs_(std::move(pairs)) {}

    bool operator()(sample &operands, std::size_t) {
        if (next_ == pairs_.size()) {
            return false;
        }
        const auto &[dividend, divisor] = pairs_[next_++];
        if (std::string(dividend) == "bad") {
            throw usage_error("bad sample");
        }
        mpz_set_str(operands.dividend.get(), dividend, 10);
        mpz_set_str(operands.divisor.get(), divisor, 10);
        return true;
    }

private:
    std::vector<std::pair<const char *, const char *>> pairs_;
    std::size_t next_ = 0;
};

TEST(DivisionBatch, FillStopsAtCapacityAtTheEndAndAtABadSample) {
    division_batch batch(4, true);
    listed_pairs six({{"1", "1"}, {"2", "1"}, {"3", "1"}, {"4", "1"}, {"5", "1"}, {"6", "1"}});
    batch.fill(six);
    EXPECT_EQ(batch.count(), 4u);
    EXPECT_FALSE(batch.input_problem());
    EXPECT_FALSE(batch.is_last());
    batch.reset();
    batch.fill(six);
    EXPECT_EQ(batch.count(), 2u);
    EXPECT_FALSE(batch.input_problem());
    EXPECT_TRUE(batch.is_last());

    batch.reset();
    listed_pairs broken({{"1", "1"}, {"2", "1"}, {"bad", ""}, {"4", "1"}});
    batch.fill(broken);
    EXPECT_EQ(batch.count(), 2u);
    ASSERT_TRUE(batch.input_problem());
    EXPECT_TRUE(batch.is_last());
    try {
        std::rethrow_exception(batch.input_problem());
    } catch (const tool_error &e) {
        EXPECT_STREQ(e.what(), "bad sample");
    }
    batch.reset();
    EXPECT_EQ(batch.count(), 0u);
    EXPECT_FALSE(batch.input_problem());
}

// 16-bit signed remainder mode, by hand: 100 / 7 = 14 rem 2, -7 / 2 = -3
// rem -1, 7 / -2 = -3 rem 1, and a zero divisor raises the flag.
TEST(DivisionBatch, DivideHandsOverEveryResultInSampleOrder) {
    divider_settings settings = library_default_settings();
    settings.algorithm_type = algorithm_radix2;
    settings.dividend_width = 16;
    settings.divisor_width = 16;
    settings.signed_operands = true;
    settings.fractional_output = false;
    const divider_model model(settings);
    const result_layout layout(settings);
    division_batch batch(8, layout.has_remainder());
    batch.check_configuration(model);
    listed_pairs pairs({{"100", "7"}, {"-7", "2"}, {"7", "-2"}, {"5", "0"}});
    batch.fill(pairs);
    std::vector<std::string> seen;
    batch.divide(model, layout, fault_naming::with_operands,
                 [&](std::size_t index, const sample &input, const sample_result &result) {
                     std::string text = std::to_string(index) + ": " +
                                        decimal(input.dividend.get()) + "/" +
                                        decimal(input.divisor.get()) + " -> ";
                     if (result.div_by_zero) {
                         text += "div_by_zero";
                     } else {
                         text += decimal(result.field_values[0].get()) + " rem " +
                                 decimal(result.field_values[1].get());
                     }
                     seen.push_back(text);
                 });
    EXPECT_EQ(seen, (std::vector<std::string>{"0: 100/7 -> 14 rem 2", "1: -7/2 -> -3 rem -1",
                                              "2: 7/-2 -> -3 rem 1", "3: 5/0 -> div_by_zero"}));

    batch.reset();
    listed_pairs none({});
    batch.fill(none);
    bool called = false;
    batch.divide(model, layout, fault_naming::with_operands,
                 [&](std::size_t, const sample &, const sample_result &) { called = true; });
    EXPECT_FALSE(called);
}

} // namespace
