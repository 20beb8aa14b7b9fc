// CSV output of the fractional algorithms, against the divider's reference
// rows: Radix-2 quotient words and High Radix quotients Q = quotient x 2^F.
#include <gtest/gtest.h>

#include <cstdio>

#include "tool_runner.h"

namespace {

std::vector<std::vector<std::string>> csv_rows(const tool_run &run) {
    std::vector<std::vector<std::string>> rows;
    const std::vector<std::string> lines = lines_of(run.out);
    for (std::size_t i = 2; i < lines.size(); ++i) { // after the configuration and column names
        rows.push_back(fields_of(lines[i], ','));
    }
    return rows;
}

std::vector<std::string> small_radix2_arguments(bool is_signed) {
    return {"-f", "csv", "--fractional", is_signed ? "--signed" : "--unsigned",
            "--dividend-width", "8", "--divisor-width", "8", "--fractional-width", "4"};
}

struct radix2_row {
    const char *dividend;
    const char *divisor;
    unsigned word; // 12-bit quotient register: 8 integer bits, 4 fraction bits
    const char *div_by_zero;
};

std::string hex_text(unsigned pattern, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, pattern);
    return text;
}

long signed_value(unsigned pattern, unsigned width) {
    return pattern >= (1u << (width - 1)) ? long(pattern) - (1L << width) : long(pattern);
}

void expect_radix2_rows(bool is_signed, const std::vector<radix2_row> &rows) {
    std::vector<std::string> arguments = small_radix2_arguments(is_signed);
    for (const radix2_row &row : rows) {
        arguments.insert(arguments.end(), {row.dividend, row.divisor});
    }
    const tool_run run = run_tool(arguments);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const auto got = csv_rows(run);
    ASSERT_EQ(got.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const unsigned integer = rows[i].word >> 4, fraction = rows[i].word & 0xf;
        const long integer_value = is_signed ? signed_value(integer, 8) : long(integer);
        const long fraction_value = is_signed ? signed_value(fraction, 4) : long(fraction);
        ASSERT_EQ(got[i].size(), 8u);
        EXPECT_EQ(got[i][0], rows[i].dividend);
        EXPECT_EQ(got[i][1], rows[i].divisor);
        EXPECT_EQ(got[i][2], std::to_string(integer_value)) << rows[i].dividend;
        EXPECT_EQ(got[i][3], hex_text(integer, 2)) << rows[i].dividend;
        EXPECT_EQ(got[i][4], std::to_string(fraction_value)) << rows[i].dividend;
        EXPECT_EQ(got[i][5], hex_text(fraction, 1)) << rows[i].dividend;
        EXPECT_EQ(got[i][7], rows[i].div_by_zero) << rows[i].dividend;
    }
}

TEST(ToolCsv, HeaderRowNamesTheFractionalColumns) {
    const tool_run run = run_tool(small_radix2_arguments(true));
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "# configuration \"Default configuration\": radix2, signed, fractional "
                       "output, dividend 8 bits, divisor 8 bits, fraction 4 bits\n"
                       "dividend,divisor,quotient,quotient_hex,fraction,fraction_hex,real,"
                       "div_by_zero\n");
}

TEST(ToolCsv, UnsignedRadix2Words) {
    expect_radix2_rows(false, {{"7", "2", 0x038, "0"},
                               {"1", "3", 0x005, "0"},
                               {"255", "1", 0xFF0, "0"},
                               {"255", "255", 0x010, "0"},
                               {"5", "0", 0xFFF, "1"}});
}

TEST(ToolCsv, SignedRadix2Words) {
    expect_radix2_rows(true, {{"7", "2", 0x034, "0"},
                              {"-7", "2", 0xFDC, "0"},
                              {"7", "-2", 0xFDC, "0"},
                              {"-7", "-2", 0x034, "0"},
                              {"1", "3", 0x002, "0"},
                              {"-1", "3", 0x00E, "0"},
                              {"-128", "1", 0x800, "0"},
                              {"127", "-1", 0x810, "0"},
                              {"5", "0", 0xFF7, "1"},
                              {"0", "0", 0xFF7, "1"},
                              {"-5", "0", 0x019, "1"}});
}

// Expected fields: integer part floor(Q / 2^F) as a (B+1)-bit pattern,
// fraction Q mod 2^F, and Q / 2^F written out exactly.
struct high_radix_case {
    const char *widths[3]; // divisor, dividend, fraction
    const char *dividend;
    const char *divisor;
    std::vector<std::string> outputs; // quotient .. div_by_zero
};

const high_radix_case high_radix_cases[] = {
    {{"8", "8", "4"}, "100", "7", {"14", "0x00e", "5", "0x5", "14.3125", "0"}},
    {{"8", "8", "4"}, "-100", "7", {"-15", "0x1f1", "11", "0xb", "-14.3125", "0"}},
    {{"8", "8", "4"}, "100", "-7", {"-15", "0x1f1", "12", "0xc", "-14.25", "0"}},
    {{"8", "8", "4"}, "-100", "-7", {"14", "0x00e", "5", "0x5", "14.3125", "0"}},
    {{"8", "8", "4"}, "-128", "-1", {"128", "0x080", "0", "0x0", "128.0", "0"}},
    {{"8", "8", "4"}, "127", "-128", {"-1", "0x1ff", "0", "0x0", "-1.0", "0"}},
    {{"8", "8", "4"}, "7", "2", {"3", "0x003", "8", "0x8", "3.5", "0"}},
    {{"8", "8", "4"}, "0", "5", {"0", "0x000", "0", "0x0", "0.0", "0"}},
    // A zero divisor leaves the High Radix quotient undefined: empty fields.
    {{"8", "8", "4"}, "3", "0", {"", "", "", "", "", "1"}},
    {{"16", "16", "16"}, "1", "3",
     {"0", "0x00000", "21845", "0x5555", "0.3333282470703125", "0"}},
    {{"16", "16", "16"}, "-32768", "-1", {"32768", "0x08000", "0", "0x0000", "32768.0", "0"}},
    {{"16", "16", "0"}, "-23186", "15826", {"-2", "0x1fffe", "-2.0", "0"}},
    {{"12", "20", "8"}, "166389", "512", {"324", "0x000144", "250", "0xfa", "324.9765625", "0"}},
    {{"12", "20", "8"}, "100000", "300", {"333", "0x00014d", "85", "0x55", "333.33203125", "0"}},
    {{"32", "32", "32"}, "1000000007", "-12345",
     {"-81005", "0x1fffec393", "2337269364", "0x8b4fe674",
      "-81004.455812069587409496307373046875", "0"}},
};

TEST(ToolCsv, HighRadixQuotientsSplitIntoIntegerAndFraction) {
    for (const high_radix_case &c : high_radix_cases) {
        const tool_run run = run_tool({"-f", "csv", "-a", "high-radix", "--fractional",
                                       "--divisor-width", c.widths[0], "--dividend-width",
                                       c.widths[1], "--fractional-width", c.widths[2], c.dividend,
                                       c.divisor});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const auto rows = csv_rows(run);
        ASSERT_EQ(rows.size(), 1u) << run.out;
        std::vector<std::string> expected{c.dividend, c.divisor};
        expected.insert(expected.end(), c.outputs.begin(), c.outputs.end());
        EXPECT_EQ(rows[0], expected) << c.dividend << " / " << c.divisor;
    }
}

} // namespace
