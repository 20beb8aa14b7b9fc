// An output file is written completely or not at all.
#include <gtest/gtest.h>

#include "tool_runner.h"

namespace {

TEST(ToolOutputFile, CompleteRunReplacesTheFileAndLeavesNothingElse) {
    scratch_directory dir;
    const std::string target = dir.file("golden.hex");
    write_text(target, "previous contents\n");
    const tool_run run = run_tool({"-f", "hex", "--no-header", "-o", target, "100", "7"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(read_text(target), "0064 0007 000e 0002 0\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"golden.hex"});
}

TEST(ToolOutputFile, FailureAfterWrittenBatchesKeepsTheOldFile) {
    scratch_directory dir;
    const std::string target = dir.file("out.csv");
    write_text(target, "previous contents\n");
    // Batches of two: two batches are written before line 5 fails.
    const tool_run run = run_tool({"-f", "csv", "--batch-size", "2", "-o", target},
                                  "1 1\n2 1\n3 1\n4 1\nfive 1\n6 1\n");
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_NE(run.err.find("<stdin>:5"), std::string::npos) << run.err;
    EXPECT_EQ(read_text(target), "previous contents\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.csv"});
}

TEST(ToolOutputFile, RefusedConfigurationCreatesNoFile) {
    scratch_directory dir;
    const tool_run run = run_tool({"-a", "high-radix", "-o", dir.file("x.txt"), "1", "2"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(ToolOutputFile, UnwritableTargetExitsWithStatusThree) {
    scratch_directory dir;
    const tool_run run = run_tool({"-o", dir.file("missing/out.txt"), "1", "2"});
    EXPECT_EQ(run.exit_status, 3);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

TEST(ToolOutputFile, LongRunStreamsEveryBatch) {
    scratch_directory dir;
    const std::string target = dir.file("many.hex");
    const tool_run run = run_tool({"--random", "20000", "-f", "hex", "--no-header",
                                   "--batch-size", "1000", "-o", target});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no progress line when standard error is a file
    EXPECT_EQ(lines_of(read_text(target)).size(), 20000u);
}

} // namespace
