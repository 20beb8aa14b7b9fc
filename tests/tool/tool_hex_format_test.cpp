// Golden-vector hex files: one line per sample, each field a fixed-width
// hex pattern of its own width.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace {

std::vector<std::string> data_lines(const std::string &text) {
    std::vector<std::string> lines;
    for (const std::string &line : lines_of(text)) {
        if (line.rfind("//", 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(ToolHex, SignedRemainderVectors) {
    const tool_run run = run_tool({"-f", "hex", "--dividend-width", "8", "--divisor-width", "8",
                                   "100", "7", "-7", "2", "7", "-2", "-7", "-2", "-6", "3",
                                   "-128", "-1", "5", "0", "-5", "0"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(data_lines(run.out),
              (std::vector<std::string>{"64 07 0e 02 0", "f9 02 fd ff 0", "07 fe fd 01 0",
                                        "f9 fe 03 ff 0", "fa 03 fe 00 0", "80 ff 80 00 0",
                                        "05 00 00 00 1", "fb 00 00 00 1"}));
}

TEST(ToolHex, HeaderOnRequestIsACommentNamingFieldsAndWidths) {
    const tool_run run = run_tool({"-f", "hex", "--header", "--dividend-width", "12",
                                   "--divisor-width", "5", "1", "1"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("// ", 0), 0u);
    EXPECT_EQ(lines[1],
              "// dividend[12] divisor[5] quotient[12] remainder[5] div_by_zero[1]");
    EXPECT_EQ(lines[2], "001 01 001 00 0");

    // Bare rows by default, so that $fscanf can read the file.
    for (const std::vector<std::string> &flags :
         {std::vector<std::string>{}, std::vector<std::string>{"--no-header"}}) {
        std::vector<std::string> arguments{"-f", "hex", "1", "1"};
        arguments.insert(arguments.end(), flags.begin(), flags.end());
        EXPECT_EQ(run_tool(arguments).out, "0001 0001 0001 0000 0\n");
    }
    EXPECT_EQ(run_tool({"-f", "hex", "--header", "--no-header", "1", "1"}).exit_status, 2);
}

TEST(ToolHex, Radix2WordSplitsIntoQuotientAndFractionFields) {
    const tool_run run = run_tool({"-f", "hex", "--no-header", "--fractional",
                                   "--dividend-width", "8", "--divisor-width", "8",
                                   "--fractional-width", "4", "7", "2", "-7", "2", "-5", "0"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(data_lines(run.out),
              (std::vector<std::string>{"07 02 03 4 0", "f9 02 fd c 0", "fb 00 01 9 1"}));
}

TEST(ToolHex, HighRadixQuotientIsOneBitWiderAndUnknownForZeroDivisor) {
    const tool_run run = run_tool({"-f", "hex", "--no-header", "-a", "high-radix",
                                   "--fractional", "--dividend-width", "8", "--divisor-width",
                                   "8", "--fractional-width", "4", "-100", "7", "-128", "-1",
                                   "3", "0"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(data_lines(run.out),
              (std::vector<std::string>{"9c 07 1f1 b 0", "80 ff 080 0 0", "03 00 xxx x 1"}));
}

TEST(ToolHex, OperandsWiderThanSixtyFourBits) {
    // 2^99 / 3 = 0x2aaa...aaa remainder 2, at widths 100 and 3.
    const tool_run run = run_tool({"-f", "hex", "--no-header", "--unsigned",
                                   "--dividend-width", "100", "--divisor-width", "3",
                                   "0x8000000000000000000000000", "3"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out,
              "8000000000000000000000000 3 2aaaaaaaaaaaaaaaaaaaaaaaa 2 0\n");
}

} // namespace
