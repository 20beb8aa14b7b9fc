// Verilog literals, 0b binary and '_' separators, on the command line and
// in files, end to end. Expected rows are worked out by hand.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace {

const std::vector<std::string> signed_8_bits = {"-f",          "csv", "--no-header",
                                                "--dividend-width", "8", "--divisor-width",
                                                "8"};

std::vector<std::string> with(std::vector<std::string> operands) {
    std::vector<std::string> arguments = signed_8_bits;
    arguments.insert(arguments.end(), operands.begin(), operands.end());
    return arguments;
}

TEST(ToolVerilogLiterals, ArgumentsAndLinesGiveTheSameRows) {
    // 8'hff is -1 in a signed 8-bit field; -8'sd7 is -7; 'b10 is 2;
    // 0b1000_0000 is 128, which a signed 8-bit field does not hold, so
    // the last pair uses 8'b1000_0000 = -128 instead.
    const tool_run arguments =
        run_tool(with({"8'hff", "'b10", "-8'sd7", "8'd2", "1_00", "0b111", "8'b1000_0000", "8'sh7f"}));
    ASSERT_EQ(arguments.exit_status, 0) << arguments.err;
    const std::string rows = "-1,2,0,0x00,-1,0xff,0\n"
                             "-7,2,-3,0xfd,-1,0xff,0\n"
                             "100,7,14,0x0e,2,0x02,0\n"
                             "-128,127,-1,0xff,-1,0xff,0\n";
    EXPECT_EQ(arguments.out, rows);
    const tool_run lines = run_tool(
        with({}), "8'hff,'b10\n-8'sd7 8'd2 # signed\n1_00 0b111\n8'b1000_0000, 8'sh7f\n");
    ASSERT_EQ(lines.exit_status, 0) << lines.err;
    EXPECT_EQ(lines.out, rows);
}

TEST(ToolVerilogLiterals, RefusedSpellingsNameTheRule) {
    struct refused {
        std::string input;
        std::string message;
    };
    const refused cases[] = {
        {"16'sh-5 1\n", "<stdin>:1: malformed dividend '16'sh-5': a sign goes before"},
        {"1 2\n-8'hff 1\n", "<stdin>:2: malformed dividend '-8'hff': a sign goes only before"},
        {"8'h1ff 1\n", "does not fit its own 8 bits"},
        {"16'h0001 1\n", "dividend '16'h0001' is 16 bits wide, wider than the 8-bit signed"},
        {"1 4'bx\n", "malformed divisor '4'bx': x and z digits"},
        {"1__0 1\n", "malformed dividend '1__0'"},
    };
    for (const refused &c : cases) {
        const tool_run run = run_tool(with({}), c.input);
        EXPECT_EQ(run.exit_status, 2) << c.input;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.input << ": " << run.err;
    }
    // Wider than the field: --wrap-operands keeps the low bits (0x1ff -> 0xff = -1).
    std::vector<std::string> wrapped = with({"16'h01ff", "1"});
    wrapped.push_back("--wrap-operands");
    const tool_run run = run_tool(wrapped);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "-1,1,-1,0xff,0,0x00,0\n");
}

} // namespace
