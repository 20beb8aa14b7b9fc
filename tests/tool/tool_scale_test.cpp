// Exhaustive, parallel and sharded runs of the built tool: --jobs N gives
// what --jobs 1 gives (output, errors, exit status), shards concatenated
// give the unsharded output, and --exhaustive divides every pair once in
// its documented order with results checked by plain integer arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tool_runner.h"

namespace {

std::vector<std::string> with(std::vector<std::string> arguments,
                              const std::vector<std::string> &more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

std::string joined(const std::vector<std::string> &arguments) {
    std::string text;
    for (const std::string &argument : arguments) {
        text += argument + ' ';
    }
    return text;
}

// A sample file: `good` pairs with comments and blank lines between them.
std::string pair_lines(int good) {
    std::string text = "# generated pairs\n\n";
    for (int i = 0; i < good; ++i) {
        text += std::to_string(i * 37 - 500) + (i % 2 == 0 ? " " : ", ") +
                std::to_string(i % 11 - 5) + (i % 5 == 0 ? "  # note\n" : "\n");
        if (i % 7 == 3) {
            text += "   \n# between\n";
        }
    }
    return text;
}

class ScaleRuns : public ::testing::Test {
protected:
    void SetUp() override {
        pairs_ = dir_.file("pairs.txt");
        write_text(pairs_, pair_lines(60));
    }

    // Sample sources and formats covering every output layout.
    std::vector<std::vector<std::string>> cases() const {
        return {
            {"--random", "300", "--batch-size", "7"},
            {"--random", "300", "--batch-size", "5", "-f", "csv", "--dividend-width", "40",
             "--divisor-width", "33"},
            {"--random", "200", "--batch-size", "3", "-f", "hex", "--header", "--unsigned"},
            {"--random", "250", "--batch-size", "4", "--fractional", "--fractional-width", "6",
             "--dividend-width", "9", "--divisor-width", "7"},
            {"--random", "250", "--batch-size", "6", "-a", "high-radix", "--fractional",
             "--dividend-width", "12", "--divisor-width", "10", "--fractional-width", "5", "-f",
             "csv"},
            {"--exhaustive", "--dividend-width", "5", "--divisor-width", "4", "--batch-size",
             "9", "-f", "hex"},
            {"-i", pairs_, "--batch-size", "2", "--dividend-width", "12", "--divisor-width", "4"},
            {"--demo", "--batch-size", "1", "-f", "csv"},
            {"--batch-size", "2", "100", "7", "-7", "2", "7", "-2", "5", "0", "-1", "3"},
        };
    }

    scratch_directory dir_;
    std::string pairs_;
};

TEST_F(ScaleRuns, JobsGiveTheSameOutputAsOneJob) {
    for (const std::vector<std::string> &arguments : cases()) {
        const tool_run one = run_tool(with(arguments, {"--jobs", "1"}));
        ASSERT_EQ(one.exit_status, 0) << joined(arguments) << one.err;
        ASSERT_GT(lines_of(one.out).size(), 5u) << joined(arguments);
        for (const char *jobs : {"2", "3", "8"}) {
            const tool_run many = run_tool(with(arguments, {"--jobs", jobs}));
            EXPECT_EQ(many.exit_status, 0) << joined(arguments) << jobs;
            EXPECT_EQ(many.out, one.out) << joined(arguments) << "--jobs " << jobs;
            EXPECT_EQ(many.err, one.err) << joined(arguments) << "--jobs " << jobs;
        }
    }
}

TEST_F(ScaleRuns, RowCountsDoNotDependOnJobs) {
    // 300 random rows under a two-line table header, whatever the batching.
    for (const char *jobs : {"1", "2", "8"}) {
        const tool_run run = run_tool({"--random", "300", "--batch-size", "7", "--jobs", jobs});
        EXPECT_EQ(lines_of(run.out).size(), 302u) << jobs;
    }
}

TEST_F(ScaleRuns, BadLineMidwayEndsEveryJobCountTheSameWay) {
    // 40 good lines, a malformed one (line 41), then more good lines.
    std::string text;
    for (int i = 1; i <= 40; ++i) {
        text += std::to_string(i) + " 3\n";
    }
    text += "41 0x3g\n";
    for (int i = 42; i <= 60; ++i) {
        text += std::to_string(i) + " 3\n";
    }
    const std::string bad = dir_.file("bad.txt");
    write_text(bad, text);
    for (const char *batch : {"1", "3", "4", "64"}) {
        for (const char *format : {"table", "csv", "hex"}) {
            const std::vector<std::string> arguments = {"-i", bad, "--batch-size", batch, "-f",
                                                        format};
            const tool_run one = run_tool(with(arguments, {"--jobs", "1"}));
            EXPECT_EQ(one.exit_status, 2);
            EXPECT_NE(one.err.find("bad.txt:41: malformed divisor '0x3g'"), std::string::npos)
                << one.err;
            const std::size_t header_lines = std::string(format) == "hex" ? 0 : 2;
            EXPECT_EQ(lines_of(one.out).size(), 40 + header_lines) << joined(arguments);
            for (const char *jobs : {"2", "3", "8"}) {
                const tool_run many = run_tool(with(arguments, {"--jobs", jobs}));
                EXPECT_EQ(many.exit_status, one.exit_status) << joined(arguments) << jobs;
                EXPECT_EQ(many.out, one.out) << joined(arguments) << jobs;
                EXPECT_EQ(many.err, one.err) << joined(arguments) << jobs;
            }
        }
    }
}

TEST_F(ScaleRuns, OutOfRangeOperandWithManyJobsLeavesNoFile) {
    std::string text;
    for (int i = 1; i <= 30; ++i) {
        text += std::to_string(-i) + " 3\n";
    }
    text += "300 2\n7 1\n"; // 300 needs 10 bits
    const std::string input = dir_.file("range.txt");
    write_text(input, text);
    const std::string target = dir_.file("out.csv");
    const std::vector<std::string> arguments = {"-i", input, "--dividend-width", "9",
                                                "--batch-size", "4", "-f", "csv"};
    const tool_run one = run_tool(with(arguments, {"--jobs", "1"}));
    const tool_run many = run_tool(with(arguments, {"--jobs", "3", "-o", target}));
    EXPECT_EQ(one.exit_status, 2);
    EXPECT_EQ(many.exit_status, 2);
    EXPECT_EQ(many.err, one.err);
    EXPECT_NE(one.err.find("dividend 300 does not fit"), std::string::npos) << one.err;
    EXPECT_EQ(many.out, "");
    for (const std::string &entry : dir_.entries()) {
        EXPECT_EQ(entry.find("out.csv"), std::string::npos) << entry;
    }
}

// The parts of a sharded run, concatenated in order.
tool_run sharded(const std::vector<std::string> &arguments, int parts,
                 const std::string &input = "") {
    tool_run all;
    all.exit_status = 0;
    for (int k = 1; k <= parts; ++k) {
        const std::string shard = std::to_string(k) + "/" + std::to_string(parts);
        const tool_run part = run_tool(with(arguments, {"--shard", shard}), input);
        if (part.exit_status != 0) {
            all.exit_status = part.exit_status;
        }
        all.out += part.out;
        all.err += part.err;
    }
    return all;
}

TEST_F(ScaleRuns, ShardsConcatenatedAreTheUnshardedOutput) {
    std::vector<std::vector<std::string>> runs = cases();
    runs.push_back({"--random", "5", "-f", "csv"}); // fewer samples than parts
    runs.push_back({"--exhaustive", "--dividend-width", "3", "--divisor-width", "2", "-f",
                    "hex", "--header"});
    runs.push_back({"--random", "40", "--jobs", "2", "--batch-size", "3"});
    for (const std::vector<std::string> &arguments : runs) {
        const tool_run whole = run_tool(arguments);
        ASSERT_EQ(whole.exit_status, 0) << joined(arguments) << whole.err;
        for (int parts : {1, 2, 3, 7}) {
            const tool_run pieces = sharded(arguments, parts);
            EXPECT_EQ(pieces.exit_status, 0) << joined(arguments) << parts << pieces.err;
            EXPECT_EQ(pieces.out, whole.out) << joined(arguments) << parts << " parts";
        }
    }
}

TEST_F(ScaleRuns, ShardsOfRedirectedStandardInput) {
    const std::string input = pair_lines(25);
    const std::vector<std::string> arguments = {"-f", "csv", "--dividend-width", "12"};
    const tool_run whole = run_tool(arguments, input);
    ASSERT_EQ(whole.exit_status, 0) << whole.err;
    EXPECT_EQ(lines_of(whole.out).size(), 27u);
    for (int parts : {3, 40}) {
        EXPECT_EQ(sharded(arguments, parts, input).out, whole.out) << parts;
    }
}

TEST_F(ScaleRuns, BadLineFailsOnlyThePartHoldingIt) {
    // Samples 0..8 on lines 1..9; sample 4 (line 5) is malformed. In three
    // parts of three samples, shard 2 holds it.
    const std::string input = dir_.file("nine.txt");
    write_text(input, "1 1\n2 1\n3 1\n4 1\n5 x\n6 1\n7 1\n8 1\n9 1\n");
    const std::vector<std::string> arguments = {"-i", input, "-f", "csv"};
    const tool_run whole = run_tool(arguments);
    EXPECT_EQ(whole.exit_status, 2);
    EXPECT_EQ(lines_of(whole.out).size(), 6u); // two header lines and samples 0..3
    const tool_run first = run_tool(with(arguments, {"--shard", "1/3"}));
    const tool_run second = run_tool(with(arguments, {"--shard", "2/3"}));
    const tool_run third = run_tool(with(arguments, {"--shard", "3/3"}));
    EXPECT_EQ(first.exit_status, 0);
    EXPECT_EQ(second.exit_status, 2);
    EXPECT_EQ(third.exit_status, 0);
    EXPECT_EQ(first.out + second.out, whole.out);
    EXPECT_EQ(second.err, whole.err);
    EXPECT_NE(second.err.find("nine.txt:5:"), std::string::npos) << second.err;
    ASSERT_EQ(lines_of(third.out).size(), 3u);
    EXPECT_EQ(lines_of(third.out)[0].substr(0, 4), "7,1,");
}

TEST(ShardInput, PipedStandardInputIsRefused) {
    const std::string command =
        std::string("printf '1 2\\n3 4\\n' | '") + QUODRA_DIV_PATH + "' --shard 1/2 2>&1";
    std::FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(text.find("--shard"), std::string::npos) << text;
    EXPECT_NE(text.find("regular file"), std::string::npos) << text;
    EXPECT_NE(text.find("save the samples to a file"), std::string::npos) << text;
}

TEST(ShardInput, MalformedShardIsAUsageError) {
    for (const char *shard : {"0/2", "3/2", "2", "1/0", "x/y", ""}) {
        const tool_run run = run_tool({"--demo", "--shard", shard});
        EXPECT_EQ(run.exit_status, 2) << shard;
        EXPECT_EQ(run.out, "") << shard;
        EXPECT_NE(run.err.find("--shard"), std::string::npos) << run.err;
    }
}

// Truncating signed division in plain integers, the quotient wrapped to
// `width` bits as a two's-complement field (only -2^(w-1) / -1 wraps).
long wrapped_quotient(long a, long b, unsigned width) {
    long q = a / b;
    const long span = 1L << width;
    if (q >= span / 2) {
        q -= span;
    }
    return q;
}

TEST(Exhaustive, SignedFourByThreeBitsInOrderWithCorrectResults) {
    const tool_run run = run_tool({"--exhaustive", "--dividend-width", "4", "--divisor-width",
                                   "3", "-f", "csv", "--no-header"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> rows = lines_of(run.out);
    ASSERT_EQ(rows.size(), 16u * 8u);
    EXPECT_EQ(rows.front().substr(0, 6), "-8,-4,");
    EXPECT_EQ(rows.back().substr(0, 4), "7,3,");
    std::set<std::pair<long, long>> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string> f = fields_of(rows[i], ',');
        ASSERT_EQ(f.size(), 7u) << rows[i];
        const long a = std::stol(f[0]);
        const long b = std::stol(f[1]);
        EXPECT_EQ(a, -8 + static_cast<long>(i / 8)) << rows[i];
        EXPECT_EQ(b, -4 + static_cast<long>(i % 8)) << rows[i];
        seen.emplace(a, b);
        EXPECT_EQ(f[6], b == 0 ? "1" : "0") << rows[i];
        if (b != 0) {
            EXPECT_EQ(std::stol(f[2]), wrapped_quotient(a, b, 4)) << rows[i];
            EXPECT_EQ(std::stol(f[4]), a % b) << rows[i];
        }
    }
    EXPECT_EQ(seen.size(), rows.size());
}

TEST(Exhaustive, UnsignedThreeByTwoBitsHexRows) {
    const tool_run run = run_tool({"--exhaustive", "--unsigned", "--dividend-width", "3",
                                   "--divisor-width", "2", "-f", "hex"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> rows = lines_of(run.out);
    ASSERT_EQ(rows.size(), 32u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const unsigned a = static_cast<unsigned>(i / 4);
        const unsigned b = static_cast<unsigned>(i % 4);
        char expected[32];
        if (b == 0) {
            std::snprintf(expected, sizeof expected, "%x %x ", a, b);
            EXPECT_EQ(rows[i].substr(0, 4), expected);
            EXPECT_EQ(rows[i].back(), '1');
        } else {
            std::snprintf(expected, sizeof expected, "%x %x %x %x 0", a, b, a / b, a % b);
            EXPECT_EQ(rows[i], expected);
        }
    }
}

TEST(Exhaustive, LargeRunsNeedForce) {
    const std::vector<std::string> big = {"--exhaustive", "--dividend-width", "13",
                                          "--divisor-width", "12", "-f", "csv", "--no-header"};
    const tool_run refused = run_tool(big);
    EXPECT_EQ(refused.exit_status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("2^25"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;

    // Forced, one small part of the 2^25 pairs: shard K of N holds pairs
    // floor((K-1) 2^25 / N) up to floor(K 2^25 / N) - 1.
    const uint64_t total = uint64_t{1} << 25;
    const uint64_t k = 500000;
    const uint64_t n = 1000000;
    const uint64_t begin = (k - 1) * total / n;
    const uint64_t end = k * total / n;
    const tool_run part =
        run_tool(with(big, {"--force", "--shard", std::to_string(k) + "/" + std::to_string(n)}));
    ASSERT_EQ(part.exit_status, 0) << part.err;
    const std::vector<std::string> rows = lines_of(part.out);
    ASSERT_EQ(rows.size(), end - begin);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const uint64_t index = begin + i;
        const long a = -4096 + static_cast<long>(index / 4096);
        const long b = -2048 + static_cast<long>(index % 4096);
        const std::vector<std::string> f = fields_of(rows[i], ',');
        ASSERT_EQ(f.size(), 7u);
        EXPECT_EQ(std::stol(f[0]), a);
        EXPECT_EQ(std::stol(f[1]), b);
        if (b != 0) {
            EXPECT_EQ(std::stol(f[2]), wrapped_quotient(a, b, 13));
            EXPECT_EQ(std::stol(f[4]), a % b);
        }
    }
}

// Memory follows the samples in flight, not the flags: under a 300 MB
// address-space limit, a few samples run at the largest --jobs and
// --batch-size (which, made up front, would be 512 batches of a million
// samples and 256 threads). A sanitizer's run-time needs far more address
// space than the limit allows.
TEST(Jobs, AShortInputCostsLittleAtTheLargestJobsAndBatches) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit leaves AddressSanitizer no room";
#endif
    scratch_directory dir;
    write_text(dir.file("pairs.txt"), "100 7\n-9 2\n");
    const std::vector<std::string> runs[] = {
        {"7", "2"}, {"-i", dir.file("pairs.txt")}, {"--random", "3", "--seed", "5"}};
    for (const std::vector<std::string> &samples : runs) {
        std::string command = "ulimit -v 300000; exec '" + std::string(QUODRA_DIV_PATH) +
                              "' -f hex --no-header --jobs 256 --batch-size 1048576";
        for (const std::string &argument : samples) {
            command += " '" + argument + "'";
        }
        command += " >'" + dir.file("out") + "' 2>'" + dir.file("err") + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << joined(samples);
        EXPECT_EQ(WEXITSTATUS(status), 0) << joined(samples) << read_text(dir.file("err"));
        const tool_run unlimited =
            run_tool(with({"-f", "hex", "--no-header", "--jobs", "1"}, samples));
        EXPECT_EQ(read_text(dir.file("out")), unlimited.out) << joined(samples);
    }
}

// At wide fields a batch holds fewer samples than --batch-size asks for:
// 20000 rows of 65536-bit dividends (33 kB of text each, 660 MB as one
// batch, which ran out of memory and aborted) run under a 500 MB
// address-space limit.
TEST(Jobs, WideFieldsKeepABatchWithinMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit leaves AddressSanitizer no room";
#endif
    const std::string tool = "ulimit -v 500000; exec '" + std::string(QUODRA_DIV_PATH) +
                             "' --dividend-width 65536 --divisor-width 16 -f hex "
                             "--batch-size 1048576 ";
    const int status = std::system((tool + "--random 20000 -o /dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Jobs, RefusedCountsNameTheFlag) {
    for (const char *jobs : {"0", "-2", "257"}) {
        const tool_run run = run_tool({"--demo", "--jobs", jobs});
        EXPECT_EQ(run.exit_status, 2) << jobs;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("--jobs"), std::string::npos) << run.err;
    }
}

} // namespace
