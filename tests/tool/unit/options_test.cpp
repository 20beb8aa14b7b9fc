// The command line: algorithm names, defaults that follow from the format,
// and flag combinations that are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/batch_budget.h"
#include "cli/options.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {


struct algorithm_case {
    const char *text;
    int32_t number;
};

TEST(Options, AlgorithmNamesInAnySpelling) {
    const algorithm_case cases[] = {
        {"radix2", QUODRA_ALGORITHM_RADIX2},         {"Radix2", QUODRA_ALGORITHM_RADIX2},
        {"radix_2", QUODRA_ALGORITHM_RADIX2},        {"high-radix", QUODRA_ALGORITHM_HIGH_RADIX},
        {"High_Radix", QUODRA_ALGORITHM_HIGH_RADIX}, {"HIGHRADIX", QUODRA_ALGORITHM_HIGH_RADIX},
        {"lutmult", QUODRA_ALGORITHM_LUTMULT},       {"LUT-Mult", QUODRA_ALGORITHM_LUTMULT},
        {"1", QUODRA_ALGORITHM_RADIX2},              {"3", QUODRA_ALGORITHM_HIGH_RADIX},
        {"4", QUODRA_ALGORITHM_LUTMULT},             {"03", QUODRA_ALGORITHM_HIGH_RADIX},
    };
    for (const algorithm_case &c : cases) {
        EXPECT_EQ(parse_algorithm(c.text), c.number) << c.text;
    }
    for (const char *text :
         {"", "radix3", "1.5", " 1", "0x1", "99999999999", "2", "0", "-1", "7", "+1", "4294967297"}) {
        EXPECT_THROW(parse_algorithm(text), tool_error) << "'" << text << "'";
    }
    EXPECT_EQ(algorithm_label(QUODRA_ALGORITHM_HIGH_RADIX), "high-radix");
}

TEST(Options, WholeNumbersOfFlags) {
    struct number_case {
        const char *text;
        uint64_t lowest;
        uint64_t highest;
        bool accepted;
        uint64_t value;
    };
    const number_case cases[] = {
        {"0", 0, 10, true, 0},
        {"10", 0, 10, true, 10},
        {"007", 0, 10, true, 7},
        {"11", 0, 10, false, 0},
        {"0", 1, 10, false, 0},
        {"18446744073709551615", 0, UINT64_MAX, true, UINT64_MAX},
        {"18446744073709551616", 0, UINT64_MAX, false, 0},
        {"184467440737095516150", 0, UINT64_MAX, false, 0},
        {"-1", 0, UINT64_MAX, false, 0},
        {"+1", 0, 10, false, 0},
        {"2.5", 0, 10, false, 0},
        {"1e3", 0, 10000, false, 0},
        {"", 0, 10, false, 0},
        {" 5", 0, 10, false, 0},
        {"5 ", 0, 10, false, 0},
        {"0x5", 0, 10, false, 0},
    };
    for (const number_case &c : cases) {
        if (c.accepted) {
            EXPECT_EQ(parse_whole_number("--n", c.text, c.lowest, c.highest), c.value) << c.text;
            continue;
        }
        try {
            parse_whole_number("--n", c.text, c.lowest, c.highest);
            ADD_FAILURE() << "accepted '" << c.text << "'";
        } catch (const tool_error &e) {
            const std::string expected = "--n: expected a whole number from " +
                                         std::to_string(c.lowest) + " to " +
                                         std::to_string(c.highest) + ", got '" + c.text + "'";
            EXPECT_EQ(e.what(), expected);
        }
    }
}

// A batch holds at most 2^26 operand and result bits: 2 x (dividend +
// divisor) bits a sample, plus the fraction in fractional output.
TEST(BatchBudget, WideFieldsGetFewerSamplesNeverNone) {
    struct budget_case {
        int32_t dividend, divisor, fraction;
        bool fractional;
        std::size_t requested, allowed;
    };
    const budget_case cases[] = {
        {16, 16, 16, false, 1048576, 1048576}, // 64 bits: 2^20 fit exactly
        {16, 16, 16, true, 1048576, 838860},   // 80 bits
        {16, 16, 16, false, 4096, 4096},
        {65536, 65536, 0, false, 4096, 256},
        {65536, 16, 65536, true, 1048576, 341},
        {65536, 65536, 65536, true, 1, 1},
    };
    for (const budget_case &c : cases) {
        divider_settings settings;
        settings.dividend_width = c.dividend;
        settings.divisor_width = c.divisor;
        settings.fractional_width = c.fraction;
        settings.fractional_output = c.fractional;
        EXPECT_EQ(samples_within_budget(c.requested, settings), c.allowed)
            << c.dividend << "/" << c.divisor << "/" << c.fraction;
    }
}

TEST(Options, HeaderDefaultFollowsTheFormat) {
    struct header_case {
        std::vector<std::string> flags;
        output_format format;
        bool header;
    };
    const header_case cases[] = {
        {{}, output_format::table, true},
        {{"-f", "csv"}, output_format::csv, true},
        {{"-f", "hex"}, output_format::hex, false},
        {{"-f", "hex", "--header"}, output_format::hex, true},
        {{"-f", "csv", "--no-header"}, output_format::csv, false},
    };
    for (const header_case &c : cases) {
        std::vector<std::string> arguments = c.flags;
        arguments.push_back("7");
        arguments.push_back("2");
        const std::optional<tool_options> options = parse(arguments);
        ASSERT_TRUE(options);
        EXPECT_EQ(options->format, c.format);
        EXPECT_EQ(options->header, c.header);
        EXPECT_EQ(options->origin, sample_origin::arguments);
    }
}

TEST(Options, ConflictingFlagsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"--signed", "--unsigned", "7", "2"},
        {"--remainder", "--fractional", "7", "2"},
        {"--header", "--no-header", "7", "2"},
        {"--demo", "7", "2"},
        {"--demo", "--random", "5"},
        {"-i", "pairs.txt", "--demo"},
        {"7"},
        {"7", "2", "9"},
        {"--seed", "3", "7", "2"}, // --seed needs --random
        {"-f", "json", "7", "2"},
        {"--dividend-width", "0", "7", "2"},
        {"--divisor-width", "65537", "7", "2"},
        {"--batch-size", "0", "7", "2"},
    };
    for (const std::vector<std::string> &arguments : cases) {
        std::string joined;
        for (const std::string &argument : arguments) {
            joined += argument + ' ';
        }
        try {
            parse(arguments);
            ADD_FAILURE() << "accepted " << joined;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input) << joined;
        }
    }
}

} // namespace
