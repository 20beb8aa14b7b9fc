// The readable table: remainder-mode rows and fractional real values.
#include <gtest/gtest.h>

#include <cstdio>

#include "tool_runner.h"

namespace {

// Quotient and remainder as the core's bit patterns (signed 8-bit widths).
struct remainder_row {
    const char *dividend;
    const char *divisor;
    unsigned quotient_pattern;
    unsigned remainder_pattern;
    const char *div_by_zero;
};

const remainder_row signed_8bit_rows[] = {
    {"100", "7", 14, 2, "0"},    {"-7", "2", 253, 255, "0"}, {"7", "-2", 253, 1, "0"},
    {"-7", "-2", 3, 255, "0"},   {"-6", "3", 254, 0, "0"},   {"-128", "-1", 128, 0, "0"},
    {"5", "0", 0, 0, "1"},       {"-5", "0", 0, 0, "1"},
};

std::string signed_decimal(unsigned pattern, unsigned width) {
    const long value = pattern >= (1u << (width - 1)) ? long(pattern) - (1L << width) : pattern;
    return std::to_string(value);
}

std::string hex_text(unsigned pattern, unsigned width) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*x", int((width + 3) / 4), pattern);
    return text;
}

std::vector<std::string> table_rows(const tool_run &run) {
    std::vector<std::string> lines = lines_of(run.out);
    // A configuration line and the column names come first.
    return std::vector<std::string>(lines.begin() + 2, lines.end());
}

TEST(ToolTable, SignedRemainderRowsShowValueAndBitPattern) {
    std::vector<std::string> arguments{"--dividend-width", "8", "--divisor-width", "8"};
    for (const remainder_row &row : signed_8bit_rows) {
        arguments.insert(arguments.end(), {row.dividend, row.divisor});
    }
    const tool_run run = run_tool(arguments);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> rows = table_rows(run);
    ASSERT_EQ(rows.size(), std::size(signed_8bit_rows));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const remainder_row &want = signed_8bit_rows[i];
        const std::vector<std::string> expected{
            want.dividend,
            want.divisor,
            signed_decimal(want.quotient_pattern, 8),
            hex_text(want.quotient_pattern, 8),
            signed_decimal(want.remainder_pattern, 8),
            hex_text(want.remainder_pattern, 8),
            want.div_by_zero};
        EXPECT_EQ(fields_of(rows[i]), expected) << want.dividend << " / " << want.divisor;
    }
}

TEST(ToolTable, HeaderNamesEveryColumnAndAllLinesAlign) {
    const tool_run run = run_tool({"100", "7", "-32768", "-1", "5", "0"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(fields_of(lines[1]),
              (std::vector<std::string>{"dividend", "divisor", "quotient", "quotient_hex",
                                        "remainder", "remainder_hex", "div_by_zero"}));
    for (std::size_t i = 2; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), lines[1].size()) << lines[i];
    }
}

TEST(ToolTable, NarrowRemainderFieldAndUnsignedOperands) {
    const tool_run narrow =
        run_tool({"--dividend-width", "8", "--divisor-width", "4", "-7", "2"});
    ASSERT_EQ(narrow.exit_status, 0) << narrow.err;
    EXPECT_EQ(fields_of(table_rows(narrow).at(0)),
              (std::vector<std::string>{"-7", "2", "-3", "0xfd", "-1", "0xf", "0"}));

    const tool_run plain = run_tool({"--unsigned", "--dividend-width", "8", "--divisor-width",
                                     "8", "100", "7", "255", "0"});
    ASSERT_EQ(plain.exit_status, 0) << plain.err;
    const std::vector<std::string> rows = table_rows(plain);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(fields_of(rows[0]),
              (std::vector<std::string>{"100", "7", "14", "0x0e", "2", "0x02", "0"}));
    EXPECT_EQ(fields_of(rows[1]),
              (std::vector<std::string>{"255", "0", "0", "0x00", "0", "0x00", "1"}));
}

// Signed Radix-2 words from the divider's reference rows (W = 8, F = 4);
// the real value is I + G / 2^(F-1).
TEST(ToolTable, FractionalModeShowsTheQuotientAsAnExactReal) {
    struct real_row {
        const char *dividend;
        const char *divisor;
        const char *real;
    } const rows[] = {
        {"7", "2", "3.5"},      {"-7", "2", "-3.5"},      {"1", "3", "0.25"},
        {"-1", "3", "-0.25"},   {"-128", "1", "-128.0"},  {"127", "-1", "-127.0"},
    };
    std::vector<std::string> arguments{"--fractional", "--dividend-width", "8",
                                       "--divisor-width", "8", "--fractional-width", "4"};
    for (const real_row &row : rows) {
        arguments.insert(arguments.end(), {row.dividend, row.divisor});
    }
    const tool_run run = run_tool(arguments);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> lines = table_rows(run);
    ASSERT_EQ(lines.size(), std::size(rows));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> fields = fields_of(lines[i]);
        ASSERT_EQ(fields.size(), 8u) << lines[i];
        EXPECT_EQ(fields[6], rows[i].real) << lines[i];
    }
}

TEST(ToolTable, DemoRunsWithTheDefaultConfiguration) {
    const tool_run run = run_tool({"--demo"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find("dividend 16 bits, divisor 16 bits"), std::string::npos);
    // The most negative dividend over -1 overflows to itself.
    const std::vector<std::string> overflow{"-32768", "-1", "-32768", "0x8000", "0", "0x0000", "0"};
    bool found = false;
    for (const std::string &row : table_rows(run)) {
        found = found || fields_of(row) == overflow;
    }
    EXPECT_TRUE(found) << run.out;
}

} // namespace
