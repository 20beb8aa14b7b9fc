// The command line: algorithm names, defaults that follow from the format,
// and flag combinations that are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"

using namespace quodra_div;

namespace {

std::optional<tool_options> parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quodra-div");
    std::vector<const char *> argv;
    for (const std::string &argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return parse_command_line(static_cast<int>(argv.size()), argv.data());
}

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
    };
    for (const algorithm_case &c : cases) {
        EXPECT_EQ(parse_algorithm(c.text), c.number) << c.text;
    }
    for (const char *text : {"", "radix3", "1.5", " 1", "0x1", "99999999999"}) {
        EXPECT_THROW(parse_algorithm(text), tool_error) << "'" << text << "'";
    }
    EXPECT_EQ(algorithm_label(QUODRA_ALGORITHM_HIGH_RADIX), "high-radix");
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
