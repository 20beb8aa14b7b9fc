// --jobs, --shard and --exhaustive on the command line: --shard parsing and
// the split of sample indices, and the checks of the flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/shard.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

// The message of the usage error the arguments end with ("" if none).
std::string usage_message(const std::vector<std::string> &arguments) {
    try {
        parse(arguments);
    } catch (const tool_error &e) {
        EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
        return e.what();
    }
    return "";
}

TEST(Shard, ParsesKOfN) {
    const struct {
        const char *text;
        uint64_t index;
        uint64_t count;
    } good[] = {
        {"1/1", 1, 1}, {"2/4", 2, 4}, {"7/7", 7, 7}, {"01/3", 1, 3},
        {"1/18446744073709551", 1, 18446744073709551ULL},
    };
    for (const auto &c : good) {
        const shard_choice shard = parse_shard(c.text);
        EXPECT_EQ(shard.index, c.index) << c.text;
        EXPECT_EQ(shard.count, c.count) << c.text;
    }
    for (const char *text : {"", "1", "0/3", "4/3", "1/0", "a/b", "1/", "/3", "1/2/3", "-1/2",
                             "+1/2", " 1/2", "1/2 ", "1.0/2", "1/99999999999999999999"}) {
        try {
            parse_shard(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
            EXPECT_NE(std::string(e.what()).find("--shard"), std::string::npos) << e.what();
            // The message states the bound a too-long count broke.
            EXPECT_NE(std::string(e.what()).find("K <= N <= 9999999999999999999"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(Shard, BeginsWorkedByHand) {
    const struct {
        uint64_t index, count, total, begin;
    } cases[] = {
        {1, 3, 10, 0}, {2, 3, 10, 3}, {3, 3, 10, 6},   // parts of 3, 3, 4
        {1, 7, 2, 0},  {5, 7, 2, 1},  {7, 7, 2, 1},    // more parts than samples
        {4, 7, 2, 0},  {2, 2, 0, 0},  {1, 1, 5, 0},
        // (index - 1) * total overflows 64 bits here: 2^64 - 1 = 3 * 6148914691236517205.
        {2, 2, UINT64_MAX, 9223372036854775807ULL},
        {3, 3, UINT64_MAX, 12297829382473034410ULL},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shard_begin(c.index, c.count, c.total), c.begin)
            << c.index << "/" << c.count << " of " << c.total;
    }
}

TEST(Shard, PartsCoverEverySampleOnceAndDifferByAtMostOne) {
    for (uint64_t total = 0; total <= 40; ++total) {
        for (uint64_t count = 1; count <= 9; ++count) {
            uint64_t covered = 0;
            uint64_t smallest = UINT64_MAX;
            uint64_t largest = 0;
            EXPECT_EQ(shard_begin(1, count, total), 0u);
            for (uint64_t index = 1; index <= count; ++index) {
                const uint64_t begin = shard_begin(index, count, total);
                const uint64_t end =
                    index == count ? total : shard_begin(index + 1, count, total);
                ASSERT_LE(begin, end);
                EXPECT_EQ(begin, covered) << "gap or overlap before part " << index;
                covered = end;
                smallest = std::min(smallest, end - begin);
                largest = std::max(largest, end - begin);
            }
            EXPECT_EQ(covered, total);
            EXPECT_LE(largest - smallest, 1u) << count << " parts of " << total;
        }
    }
}

TEST(ScaleFlags, JobsAcceptedAndRefused) {
    EXPECT_EQ(parse({"--jobs", "3", "--demo"})->jobs, 3u);
    EXPECT_EQ(parse({"-j", "1", "--demo"})->jobs, 1u);
    EXPECT_EQ(parse({"--jobs", "256", "--demo"})->jobs, 256u);
    const unsigned by_default = parse({"--demo"})->jobs;
    EXPECT_GE(by_default, 1u);
    EXPECT_LE(by_default, max_jobs);
    EXPECT_EQ(by_default, default_jobs());
    for (const char *jobs : {"0", "-1", "-8", "257", "two", "1.5"}) {
        const std::string message = usage_message({"--jobs", jobs, "--demo"});
        EXPECT_NE(message.find("--jobs"), std::string::npos) << jobs << ": " << message;
    }
}

TEST(ScaleFlags, ExhaustiveSizeLimitAndForce) {
    const auto widths = [](int dividend, int divisor) {
        return std::vector<std::string>{"--exhaustive", "--dividend-width",
                                        std::to_string(dividend), "--divisor-width",
                                        std::to_string(divisor)};
    };
    EXPECT_EQ(parse(widths(12, 12))->origin, sample_origin::exhaustive); // 2^24: allowed
    EXPECT_EQ(parse(widths(1, 23))->origin, sample_origin::exhaustive);
    const std::string refused = usage_message(widths(12, 13));
    EXPECT_NE(refused.find("2^25"), std::string::npos) << refused;
    EXPECT_NE(refused.find("33554432"), std::string::npos) << refused;
    EXPECT_NE(refused.find("--force"), std::string::npos) << refused;
    std::vector<std::string> forced = widths(40, 23);
    forced.push_back("--force");
    EXPECT_EQ(parse(forced)->origin, sample_origin::exhaustive); // 2^63 with --force
    forced = widths(40, 24);
    forced.push_back("--force");
    EXPECT_NE(usage_message(forced).find("2^64"), std::string::npos);
}

TEST(ScaleFlags, ExhaustiveTakesNoOtherSamplesAndForceNeedsIt) {
    const std::vector<std::vector<std::string>> refused = {
        {"--exhaustive", "7", "2"},
        {"--exhaustive", "--demo"},
        {"--exhaustive", "--random", "5"},
        {"--exhaustive", "-i", "pairs.txt"},
        {"--force", "--demo"},
    };
    for (const std::vector<std::string> &arguments : refused) {
        EXPECT_NE(usage_message(arguments), "") << arguments[1];
    }
}

TEST(ScaleFlags, OnlyTheFirstPartHasHeaders) {
    const struct {
        std::vector<std::string> flags;
        bool header;
    } cases[] = {
        {{"--shard", "1/3"}, true},
        {{"--shard", "2/3"}, false},
        {{"--shard", "3/3", "--header"}, false},
        {{"--shard", "1/3", "--no-header"}, false},
        {{"--shard", "1/1", "-f", "csv"}, true},
    };
    for (const auto &c : cases) {
        std::vector<std::string> arguments = c.flags;
        arguments.push_back("--demo");
        EXPECT_EQ(parse(arguments)->header, c.header) << c.flags[1];
    }
}

} // namespace
