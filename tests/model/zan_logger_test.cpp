// Message formation and delivery of the per-model logger.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <tuple>

#include "support/recording_handler.h"
#include "model/zan_logger.h"

using qor_quodra_v5_1_zanlogger::ZanLogger;

namespace {

enum class severity { error, warning, note };

std::string send(ZanLogger &logger, severity level, const std::string &text, bool as_stream) {
    std::ostringstream stream;
    stream << text;
    switch (level) {
    case severity::error: return as_stream ? logger.error(stream) : logger.error(text);
    case severity::warning: return as_stream ? logger.warning(stream) : logger.warning(text);
    default: return as_stream ? logger.note(stream) : logger.note(text);
    }
}

struct format_case {
    std::string name;
    severity level;
    std::string text;
    int32_t flag;
    std::string formed;
};

const char *severity_name(severity level) {
    switch (level) {
    case severity::error: return "error";
    case severity::warning: return "warning";
    default: return "note";
    }
}

// Prints a case as its severity and name, so listings stay short and the
// same in every build.
void PrintTo(const format_case &c, std::ostream *out) {
    *out << severity_name(c.level) << " from \"" << c.name << "\"";
}

class LoggerFormat : public ::testing::TestWithParam<std::tuple<format_case, bool>> {};

TEST_P(LoggerFormat, ConcatenatesNameMarkerAndText) {
    const format_case &c = std::get<0>(GetParam());
    const bool as_stream = std::get<1>(GetParam());
    recording_handler handler;
    ZanLogger logger(recording_handler::record, &handler, c.name);
    EXPECT_EQ(send(logger, c.level, c.text, as_stream), c.formed);
    ASSERT_EQ(handler.calls.size(), 1u);
    EXPECT_EQ(handler.calls[0].handle, &handler);
    EXPECT_EQ(handler.calls[0].error, c.flag);
    EXPECT_EQ(handler.calls[0].message, c.formed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoggerFormat,
    ::testing::Combine(
        ::testing::Values(
            format_case{"Default configuration", severity::error, "Unknown algorithm_type.", 1,
                        "Default configuration ERROR: Unknown algorithm_type."},
            format_case{"", severity::error, "Unknown algorithm_type.", 1,
                        " ERROR: Unknown algorithm_type."},
            format_case{"Default configuration", severity::warning, "", 0,
                        "Default configuration WARNING: "},
            format_case{"dut", severity::warning, "Truncating non-integer divisor input", 0,
                        "dut WARNING: Truncating non-integer divisor input"},
            format_case{"dut", severity::note, "two lines\nkept as is ", 0,
                        "dut NOTE: two lines\nkept as is "},
            format_case{"", severity::note, "", 0, " NOTE: "}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<format_case, bool>> &info) {
        return std::string(severity_name(std::get<0>(info.param).level)) + "_" +
               std::to_string(info.index) + (std::get<1>(info.param) ? "_stream" : "_text");
    });

TEST(Logger, NullHandlerStillFormsTheText) {
    ZanLogger logger(nullptr, nullptr, "core");
    EXPECT_EQ(logger.error(std::string("boom")), "core ERROR: boom");
    EXPECT_EQ(logger.warning(std::string("w")), "core WARNING: w");
    EXPECT_EQ(logger.note(std::string("n")), "core NOTE: n");
}

TEST(Logger, KeepsItsOwnCopyOfTheName) {
    std::string name = "original";
    recording_handler handler;
    ZanLogger logger(recording_handler::record, &handler, name);
    name = "changed";
    EXPECT_EQ(logger.note(std::string("x")), "original NOTE: x");
}

// A derived logger that replaces the text overloads must also see what the
// stream overloads send: they forward through the virtual table.
class capturing_logger : public ZanLogger {
public:
    capturing_logger() : ZanLogger(nullptr, nullptr, "base") {}
    std::vector<std::string> seen;
    std::string error(const std::string &text) override { return record("E:" + text); }
    std::string warning(const std::string &text) override { return record("W:" + text); }
    std::string note(const std::string &text) override { return record("N:" + text); }
    using ZanLogger::error;
    using ZanLogger::note;
    using ZanLogger::warning;

private:
    std::string record(const std::string &text) {
        seen.push_back(text);
        return text;
    }
};

TEST(Logger, StreamOverloadsGoThroughVirtualTextOverloads) {
    capturing_logger derived;
    ZanLogger &logger = derived;
    std::ostringstream stream;
    stream << "value " << 42;
    EXPECT_EQ(logger.error(stream), "E:value 42");
    EXPECT_EQ(logger.warning(stream), "W:value 42");
    EXPECT_EQ(logger.note(stream), "N:value 42");
    EXPECT_EQ(derived.seen, (std::vector<std::string>{"E:value 42", "W:value 42", "N:value 42"}));
}

} // namespace
