// Arguments and inputs are checked before anything is written: a refused
// run leaves no header-only output and no file. A UTF-8 byte-order mark at
// the start of the input is not a sample.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tool_runner.h"

namespace {

constexpr int bad_input = 2;

struct early_case {
    const char *what;
    std::vector<std::string> arguments;
    std::string input;
    std::string message;
};

TEST(ToolEarlyChecks, RefusedRunsPrintNothing) {
    scratch_directory dir;
    const early_case cases[] = {
        {"bad first pair", {"-f", "csv", "abc", "7"}, "", "command-line pair 1: malformed"},
        {"bad later pair", {"-f", "csv", "1", "2", "3", "x"}, "", "command-line pair 2:"},
        {"later pair out of range", {"--dividend-width", "8", "1", "2", "300", "1"}, "",
         "command-line pair 2: dividend 300 does not fit"},
        {"bad first line", {"-f", "csv"}, "x 1\n2 1\n", "<stdin>:1: malformed dividend"},
        {"first line out of range", {"-f", "hex", "--header", "--divisor-width", "4"},
         "# vectors\n1 99\n", "<stdin>:2: divisor 99 does not fit"},
        {"input is a folder", {"-f", "csv", "-i", dir.path()}, "", "is a folder"},
        {"input is missing", {"-f", "csv", "-i", dir.file("none.txt")}, "",
         "--input: cannot read"},
    };
    // The single-thread loop and the worker threads each hold the header back.
    for (const char *jobs : {"1", "3"}) {
        for (const early_case &c : cases) {
            std::vector<std::string> arguments = c.arguments;
            arguments.insert(arguments.end(), {"--jobs", jobs});
            const tool_run run = run_tool(arguments, c.input);
            EXPECT_EQ(run.exit_status, bad_input) << c.what << " --jobs " << jobs << "\n" << run.err;
            EXPECT_EQ(run.out, "") << c.what << " --jobs " << jobs;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        }
    }
}

TEST(ToolEarlyChecks, UnreadableInputPrintsNothing) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    scratch_directory dir;
    const std::string input = dir.file("pairs.txt");
    write_text(input, "1 2\n");
    ASSERT_EQ(chmod(input.c_str(), 0), 0);
    const tool_run run = run_tool({"-f", "csv", "-i", input});
    EXPECT_EQ(run.exit_status, bad_input);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("--input: cannot read"), std::string::npos) << run.err;
}

// Rows of a first batch read and divided before a bad line are printed,
// with the header above them.
TEST(ToolEarlyChecks, FirstBatchRowsBeforeABadLineKeepTheirHeader) {
    const tool_run run = run_tool({"-f", "csv"}, "1 1\n2 1\nbad 1\n");
    EXPECT_EQ(run.exit_status, bad_input);
    EXPECT_EQ(run.out,
              "# configuration \"Default configuration\": radix2, signed, remainder output, "
              "dividend 16 bits, divisor 16 bits\n"
              "dividend,divisor,quotient,quotient_hex,remainder,remainder_hex,div_by_zero\n"
              "1,1,1,0x0001,0,0x0000,0\n"
              "2,1,2,0x0002,0,0x0000,0\n");
}

TEST(ToolEarlyChecks, RefusedRunLeavesNoFileAndKeepsAnOldOne) {
    scratch_directory dir;
    const tool_run fresh = run_tool({"-o", dir.file("new.csv"), "-f", "csv", "abc", "7"});
    EXPECT_EQ(fresh.exit_status, bad_input);
    EXPECT_TRUE(dir.entries().empty());

    const std::string old = dir.file("old.csv");
    write_text(old, "kept\n");
    const tool_run refused = run_tool({"-o", old, "-f", "csv"}, "1 2\n\xef\xbb\xbf" "3 4\n");
    EXPECT_EQ(refused.exit_status, bad_input);
    EXPECT_NE(refused.err.find("<stdin>:2"), std::string::npos) << refused.err;
    EXPECT_EQ(read_text(old), "kept\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"old.csv"});
}

// A byte-order mark is skipped only at the very start of the input.
TEST(ToolEarlyChecks, ByteOrderMarkAtTheStartIsSkipped) {
    const std::string bom = "\xef\xbb\xbf";
    for (const std::string &first_line : {bom + "100 7", bom + "# comment", bom}) {
        const tool_run run =
            run_tool({"-f", "csv", "--no-header"}, first_line + "\n-7,2\n");
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const std::string last = "-7,2,-3,0xfffd,-1,0xffff,0\n";
        if (first_line == bom + "100 7") {
            EXPECT_EQ(run.out, "100,7,14,0x000e,2,0x0002,0\n" + last);
        } else {
            EXPECT_EQ(run.out, last);
        }
    }
    scratch_directory dir;
    const std::string file = dir.file("pairs.txt");
    write_text(file, bom + "0x10 3\n");
    const tool_run from_file = run_tool({"-f", "csv", "--no-header", "-i", file});
    ASSERT_EQ(from_file.exit_status, 0) << from_file.err;
    EXPECT_EQ(from_file.out, "16,3,5,0x0005,1,0x0001,0\n");
    // Elsewhere it is what it is: not a number.
    const tool_run later = run_tool({"-f", "csv", "--no-header"}, "1 1\n" + bom + "2 1\n");
    EXPECT_EQ(later.exit_status, bad_input);
    EXPECT_NE(later.err.find("<stdin>:2: malformed dividend"), std::string::npos) << later.err;
}

} // namespace
