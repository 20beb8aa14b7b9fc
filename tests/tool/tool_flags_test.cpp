// Every refused flag value ends with status 2, nothing on standard output,
// and a message that names the flag and says what it allows.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace {

constexpr int bad_usage = 2;

struct refused_flag {
    std::vector<std::string> arguments;
    std::vector<std::string> message_parts;
};

const std::string widths = "expected a whole number from 1 to 65536";
const std::string random_counts = "expected a whole number from 0 to 1000000000000000";
const std::string seeds = "expected a whole number from 0 to 18446744073709551615";
const std::string algorithms = "expected radix2 (1), high-radix (3) or lutmult (4)";

const refused_flag refused_flags[] = {
    // --random: negative, fractional, not a number, above the documented most
    {{"--random", "-5"}, {"--random: ", random_counts, "got '-5'"}},
    {{"--random", "2.5"}, {"--random: ", random_counts, "got '2.5'"}},
    {{"--random", "ten"}, {"--random: ", random_counts, "got 'ten'"}},
    {{"--random", "1e3"}, {"--random: ", random_counts}},
    {{"--random", "1000000000000001"}, {"--random: ", random_counts}},
    {{"--random", "18446744073709551611"}, {"--random: ", random_counts}}, // 2^64 - 5
    {{"--random", ""}, {"--random: ", random_counts, "got ''"}},
    {{"--random"}, {"--random: ", random_counts, "got nothing"}},
    {{"--random", "3", "--random", "4"}, {"--random: ", "once"}},
    // --seed: exactly 0 .. 2^64 - 1
    {{"--random", "2", "--seed", "-1"}, {"--seed: ", seeds, "got '-1'"}},
    {{"--random", "2", "--seed", "18446744073709551616"}, {"--seed: ", seeds}},
    {{"--random", "2", "--seed", "99999999999999999999999999"}, {"--seed: ", seeds}},
    {{"--random", "2", "--seed", "0x10"}, {"--seed: ", seeds}},
    {{"--random", "2", "--seed", " 7"}, {"--seed: ", seeds}},
    // --algorithm: only the numbers and names of known cores
    {{"-a", "7", "1", "2"}, {"--algorithm: ", "'7'", algorithms}},
    {{"-a", "-1", "1", "2"}, {"--algorithm: ", "'-1'", algorithms}},
    {{"-a", "0", "1", "2"}, {"--algorithm: ", algorithms}},
    {{"-a", "2", "1", "2"}, {"--algorithm: ", algorithms}},
    {{"-a", "4294967297", "1", "2"}, {"--algorithm: ", algorithms}}, // 2^32 + 1
    {{"-a", "radix4", "1", "2"}, {"--algorithm: ", algorithms}},
    // widths and batch size
    {{"--batch-size", "2.5", "1", "2"},
     {"--batch-size: expected a whole number from 1 to 1048576, got '2.5'"}},
    {{"--batch-size", "1048577", "1", "2"}, {"--batch-size: ", "1 to 1048576"}},
    {{"--batch-size", "-1", "1", "2"}, {"--batch-size: ", "1 to 1048576"}},
    {{"--dividend-width", "0", "1", "2"}, {"--dividend-width: ", widths, "got '0'"}},
    {{"--divisor-width", "65537", "1", "2"}, {"--divisor-width: ", widths}},
    {{"--divisor-width", "8bits", "1", "2"}, {"--divisor-width: ", widths}},
    {{"--fractional-width", "-1", "1", "2"},
     {"--fractional-width: expected a whole number from 0 to 65536"}},
    // --max-report: a count of rows, checked before the file is read
    {{"--check", "-", "--max-report", "-3"}, {"--max-report: ", seeds, "got '-3'"}},
    {{"--check", "-", "--max-report", "2.5"}, {"--max-report: ", seeds, "got '2.5'"}},
    {{"--check", "-", "--max-report", "18446744073709551616"}, {"--max-report: ", seeds}},
    // --name goes into header lines: a newline or other control character
    // would split the header
    {{"-n", "run\n7", "-f", "hex", "--header", "1", "2"},
     {"--name: expected text without control characters", "got 'run\\x0a7'"}},
    {{"-n", "tab\there", "1", "2"}, {"--name: expected text without control characters"}},
    // format and flags that take no value
    {{"-f", "json", "1", "2"}, {"--format: expected table, csv or hex, got 'json'"}},
    {{"-f"}, {"--format: expected table, csv or hex, got nothing"}},
    {{"--demo=3"}, {"--demo: takes no value, got '3'"}},
    {{"--header=no", "1", "2"}, {"--header: takes no value"}},
    {{"--bogus", "1", "2"}, {"unknown flag '--bogus'", "--help"}},
    {{"--seed", "3", "1", "2"}, {"--seed", "--random"}},
};

TEST(ToolFlags, RefusedValuesNameTheFlagAndWhatIsAllowed) {
    for (const refused_flag &c : refused_flags) {
        std::string joined;
        for (const std::string &argument : c.arguments) {
            joined += argument + ' ';
        }
        const tool_run run = run_tool(c.arguments);
        EXPECT_EQ(run.exit_status, bad_usage) << joined << "\n" << run.err;
        EXPECT_EQ(run.out, "") << joined;
        for (const std::string &part : c.message_parts) {
            EXPECT_NE(run.err.find(part), std::string::npos)
                << joined << ": no '" << part << "' in\n" << run.err;
        }
    }
}

// The extremes of each range are accepted; a seed at 2^64 - 1 is its own
// seed, not another spelling of one (as a wrapped -1 would have been).
TEST(ToolFlags, RangeEndsAreAccepted) {
    const auto random_rows = [](const std::string &seed) {
        return run_tool({"--random", "40", "--seed", seed, "-f", "csv", "--no-header",
                         "--dividend-width", "40", "--divisor-width", "40"});
    };
    const tool_run zero = random_rows("0");
    const tool_run top = random_rows("18446744073709551615");
    const tool_run again = random_rows("18446744073709551615");
    ASSERT_EQ(zero.exit_status, 0) << zero.err;
    ASSERT_EQ(top.exit_status, 0) << top.err;
    EXPECT_EQ(lines_of(top.out).size(), 40u);
    EXPECT_EQ(top.out, again.out);
    EXPECT_NE(top.out, zero.out);

    const tool_run none = run_tool({"--random", "0", "-f", "csv"});
    ASSERT_EQ(none.exit_status, 0) << none.err;
    EXPECT_EQ(lines_of(none.out).size(), 2u); // the configuration and the column names only

    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"--batch-size", "1048576", "1", "2"},
          {"--batch-size", "1", "1", "2"},
          {"--dividend-width", "65536", "--divisor-width", "1", "1", "0"},
          {"--fractional", "--fractional-width", "0", "1", "2"},
          {"-a", "1", "7", "2"},
          {"-a", "4", "7", "2"},
          {"-a", "3", "--fractional", "7", "2"}}) {
        const tool_run run = run_tool(arguments);
        EXPECT_EQ(run.exit_status, 0) << arguments[0] << " " << arguments[1] << "\n" << run.err;
    }
}

// Algorithm numbers and names are the same cores: same rows.
TEST(ToolFlags, AlgorithmNumbersMatchTheirNames) {
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"1", "radix2"}, {"3", "high-radix"}, {"4", "lutmult"}};
    for (const auto &[number, name] : pairs) {
        const std::vector<std::string> fractional =
            name == "lutmult" ? std::vector<std::string>{} : std::vector<std::string>{"--fractional"};
        std::vector<std::string> by_number = {"-a", number, "-f", "csv", "--no-header"};
        std::vector<std::string> by_name = {"-a", name, "-f", "csv", "--no-header"};
        for (const std::string &flag : fractional) {
            by_number.push_back(flag);
            by_name.push_back(flag);
        }
        for (const char *operand : {"100", "7", "-7", "3"}) {
            by_number.push_back(operand);
            by_name.push_back(operand);
        }
        const tool_run a = run_tool(by_number);
        const tool_run b = run_tool(by_name);
        ASSERT_EQ(a.exit_status, 0) << number << ": " << a.err;
        EXPECT_EQ(a.out, b.out) << number;
    }
}

} // namespace

namespace {

// Every option of --help comes with an example of its use.
TEST(ToolFlags, HelpGivesEveryOptionAnExample) {
    const tool_run help = run_tool({"--help"});
    ASSERT_EQ(help.exit_status, 0);
    const std::vector<std::string> lines = lines_of(help.out);
    int options_seen = 0;
    for (const std::string &line : lines) {
        const bool option_line = line.rfind("  -", 0) == 0;
        if (!option_line || line.find("--help") != std::string::npos ||
            line.find("--version") != std::string::npos) {
            continue;
        }
        ++options_seen;
        EXPECT_NE(line.find("e.g. "), std::string::npos) << line;
    }
    EXPECT_GE(options_seen, 20);
}

} // namespace
