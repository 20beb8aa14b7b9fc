// Every kind of bad input ends with a clear message and its exit status,
// never a crash and never a made-up row.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

#include "tool_runner.h"

namespace {

constexpr int library_refused = 1;
constexpr int bad_input = 2;

struct bad_case {
    const char *what;
    std::vector<std::string> arguments;
    std::string input;
    int exit_status;
    std::string message;
};

const bad_case bad_cases[] = {
    {"malformed dividend", {"12x", "7"}, "", bad_input,
     "command-line pair 1: malformed dividend '12x'"},
    {"malformed divisor on a line", {}, "1 2\n\n# note\n3 0x\n", bad_input,
     "<stdin>:4: malformed divisor '0x'"},
    {"third number on a line", {}, "1 2\n1 2 3\n", bad_input,
     "<stdin>:2: unexpected '3' after the divisor"},
    {"missing divisor on a line", {}, "5\n", bad_input,
     "<stdin>:1: missing divisor after dividend '5'"},
    {"missing divisor on the command line", {"100", "7", "100"}, "", bad_input,
     "missing divisor for dividend '100'"},
    {"NUL byte", {}, std::string("1 2\n3\0 4\n", 9), bad_input, "<stdin>:2: line holds a NUL byte"},
    {"unknown flag", {"--bogus", "1", "2"}, "", bad_input, "--bogus"},
    {"unknown algorithm name", {"-a", "radix4", "1", "2"}, "", bad_input,
     "unknown algorithm 'radix4'"},
    {"zero width", {"--dividend-width", "0", "1", "2"}, "", bad_input, "--dividend-width"},
    {"two sample sources", {"--demo", "--random", "3"}, "", bad_input, "give only one of"},
    {"dividend out of range", {"--dividend-width", "8", "128", "1"}, "", bad_input,
     "dividend 128 does not fit the 8-bit signed dividend field (-128 to 127)"},
    {"negative unsigned divisor", {"--unsigned", "1", "-1"}, "", bad_input,
     "divisor -1 does not fit the 16-bit unsigned divisor field (0 to 65535)"},
    {"unreadable input file", {"-i", "no-such-file.txt"}, "", bad_input,
     "cannot read 'no-such-file.txt'"},
    {"High Radix needs signed operands",
     {"-a", "high-radix", "--unsigned", "--fractional", "1", "2"}, "", library_refused,
     "error: -a high-radix needs --signed: Operand sign must be Signed for the High Radix "
     "algorithm"},
    {"High Radix needs fractional output", {"-a", "high-radix", "1", "2"}, "", library_refused,
     "error: -a high-radix needs --fractional: Remainder type must be Fractional for the "
     "High Radix algorithm"},
    {"High Radix divisor past its unit",
     {"-a", "high-radix", "--fractional", "--divisor-width", "304", "1", "2"}, "",
     library_refused, "error: -a high-radix takes a --divisor-width of at most 303: Divisor "
                      "width must be between 0 and 303 bits"},
    {"High Radix dividend past its unit",
     {"-a", "high-radix", "--fractional", "--dividend-width", "300", "--fractional-width",
      "40", "1", "2"},
     "", library_refused,
     "error: -a high-radix needs a smaller --dividend-width plus --fractional-width: "
     "Dividend and fractional widths"},
    {"LutMult has no fractional output", {"-a", "lutmult", "--fractional", "1", "2"}, "",
     library_refused,
     "error: -a lutmult needs --remainder: Remainder type must be Remainder for the LutMult "
     "algorithm"},
    // The tool refuses numbers no core has (the library would divide exactly
    // with any number in remainder mode), before the library sees them.
    {"unknown algorithm number", {"-a", "2", "--fractional", "-n", "core A", "1", "2"}, "",
     bad_input, "--algorithm: unknown algorithm '2': expected radix2 (1), high-radix (3)"},
};

TEST(ToolBadInput, EachKindHasItsMessageAndExitStatus) {
    for (const bad_case &c : bad_cases) {
        const tool_run run = run_tool(c.arguments, c.input);
        EXPECT_EQ(run.exit_status, c.exit_status) << c.what << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos)
            << c.what << ": got\n" << run.err;
    }
}

TEST(ToolBadInput, RefusedConfigurationWritesNoTableAtAll) {
    const tool_run run = run_tool({"-a", "lutmult", "--fractional", "1", "2"});
    EXPECT_EQ(run.exit_status, library_refused);
    EXPECT_EQ(run.out, "");
}

TEST(ToolBadInput, RowsBeforeABadLineArePrintedAndNothingAfterIt) {
    const tool_run run = run_tool({"-f", "csv", "--no-header"}, "100 7\n-7 2\nseven 2\n9 3\n");
    EXPECT_EQ(run.exit_status, bad_input);
    EXPECT_EQ(run.out, "100,7,14,0x000e,2,0x0002,0\n-7,2,-3,0xfffd,-1,0xffff,0\n");
}

TEST(ToolBadInput, WrapOperandsKeepsThePortBits) {
    // 300 = 0x12c keeps 0x2c = 44; 0xff read as 8-bit two's complement is -1.
    const tool_run run = run_tool({"-f", "csv", "--no-header", "--dividend-width", "8",
                                   "--wrap-operands", "300", "7", "0xff", "1"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "44,7,6,0x06,2,0x0002,0\n-1,1,-1,0xff,0,0x0000,0\n");
}

TEST(ToolBadInput, AcceptedSpellingsOfOperandsAndSeparators) {
    const tool_run run = run_tool({"-f", "csv", "--no-header"},
                                  "  +100 , 7  # seven\r\n-0x10,3\n\t0X1f\t-2\n");
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out,
              "100,7,14,0x000e,2,0x0002,0\n"
              "-16,3,-5,0xfffb,-1,0xffff,0\n"
              "31,-2,-15,0xfff1,1,0x0001,0\n");
}

TEST(ToolBadInput, HelpAndVersionSucceed) {
    const tool_run help = run_tool({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    for (const char *flag : {"--algorithm", "--divisor-width", "--dividend-width", "--signed",
                             "--unsigned", "--remainder", "--fractional", "--fractional-width",
                             "--name", "--input", "--random", "--seed", "--format", "--output",
                             "--demo", "Examples:", "(default: 16)"}) {
        EXPECT_NE(help.out.find(flag), std::string::npos) << flag;
    }
    // The tool and the library it runs are released together: the tool's
    // full version begins with the library's major.minor.
    const tool_run version = run_tool({"--version"});
    EXPECT_EQ(version.exit_status, 0);
    const std::string prefix = "quodra-div ", middle = ", library version ";
    ASSERT_EQ(version.out.rfind(prefix, 0), 0u) << version.out;
    const std::size_t library_at = version.out.find(middle);
    ASSERT_NE(library_at, std::string::npos) << version.out;
    const std::string tool = version.out.substr(prefix.size(), library_at - prefix.size());
    std::string library = version.out.substr(library_at + middle.size());
    library.erase(library.find_last_not_of('\n') + 1);
    EXPECT_EQ(std::count(tool.begin(), tool.end(), '.'), 2) << tool;
    EXPECT_EQ(tool.rfind(library + ".", 0), 0u) << tool << " against " << library;
}

// A line that does not fit in memory is a read error, never an end of the
// input: under a 200 MB address-space limit a 150 MB line stops both -i
// (which wrote the rows before it) and --check (which must not pass the
// wrong row after it) with status 2. A sanitizer's run-time needs far more
// address space than the limit allows.
TEST(ToolBadInput, LineTooLongForMemoryIsAReadErrorNotTheEnd) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit leaves AddressSanitizer no room";
#endif
    scratch_directory dir;
    const std::string huge(150000000, '9');
    write_text(dir.file("pairs.txt"), "1 2\n3 4\n" + huge + " 1\n5 6\n");
    // The last row is wrong: 5 / 6 is 0 rest 5.
    write_text(dir.file("dut.hex"), "0001 0002 0000 0001 0\n" + huge +
                                         "\n0005 0006 0001 0005 0\n");
    struct limited_run {
        std::string arguments;
        std::string rows_before;
    };
    const limited_run runs[] = {
        {"-f hex -i " + dir.file("pairs.txt"), "0001 0002 0000 0001 0\n0003 0004 0000 0003 0\n"},
        {"-f hex --check " + dir.file("dut.hex"), ""},
    };
    for (const limited_run &r : runs) {
        const std::string command = "ulimit -v 200000; exec '" + std::string(QUODRA_DIV_PATH) +
                                    "' " + r.arguments + " >'" + dir.file("out") + "' 2>'" +
                                    dir.file("err") + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << r.arguments;
        EXPECT_EQ(WEXITSTATUS(status), bad_input) << r.arguments;
        EXPECT_EQ(read_text(dir.file("out")), r.rows_before) << r.arguments;
        EXPECT_NE(read_text(dir.file("err")).find("at line"), std::string::npos)
            << read_text(dir.file("err"));
    }
}

} // namespace
