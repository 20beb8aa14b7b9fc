// Exhaustive, parallel and sharded runs: --shard parsing and the split of
// sample indices, the exhaustive pair order, skipping in every origin, and
// the flags' checks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "input.h"
#include "options.h"
#include "running.h"
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

TEST(Exhaustive, EveryPairOnceDividendOuterDivisorInner) {
    const struct {
        unsigned dividend_width, divisor_width;
        bool is_signed;
        long dividend_low, divisor_low;
    } cases[] = {
        {4, 3, true, -8, -4},
        {3, 2, false, 0, 0},
        {1, 1, true, -1, -1},
        {1, 5, false, 0, 0},
    };
    for (const auto &c : cases) {
        const operand_range dividends(c.dividend_width, c.is_signed);
        const operand_range divisors(c.divisor_width, c.is_signed);
        exhaustive_samples source(dividends, divisors);
        const long dividend_count = 1L << c.dividend_width;
        const long divisor_count = 1L << c.divisor_width;
        EXPECT_EQ(source.known_total(), static_cast<uint64_t>(dividend_count * divisor_count));
        std::set<std::pair<long, long>> seen;
        sample next;
        for (long a = c.dividend_low; a < c.dividend_low + dividend_count; ++a) {
            for (long b = c.divisor_low; b < c.divisor_low + divisor_count; ++b) {
                ASSERT_TRUE(source.next(next));
                EXPECT_EQ(mpz_get_si(next.dividend.get()), a);
                EXPECT_EQ(mpz_get_si(next.divisor.get()), b);
                seen.emplace(mpz_get_si(next.dividend.get()), mpz_get_si(next.divisor.get()));
            }
        }
        EXPECT_FALSE(source.next(next));
        EXPECT_EQ(seen.size(), source.known_total());
    }
}

TEST(Exhaustive, SkipLandsWhereCountingWould) {
    const operand_range dividends(5, true);
    const operand_range divisors(3, true);
    for (uint64_t n : {0u, 1u, 7u, 8u, 9u, 100u, 255u}) {
        exhaustive_samples counted(dividends, divisors);
        exhaustive_samples jumped(dividends, divisors);
        sample expected;
        sample got;
        for (uint64_t i = 0; i < n; ++i) {
            ASSERT_TRUE(counted.next(expected));
        }
        jumped.skip(n);
        ASSERT_TRUE(counted.next(expected));
        ASSERT_TRUE(jumped.next(got));
        EXPECT_EQ(decimal(got.dividend.get()), decimal(expected.dividend.get())) << n;
        EXPECT_EQ(decimal(got.divisor.get()), decimal(expected.divisor.get())) << n;
        EXPECT_EQ(jumped.position(), counted.position());
    }
    exhaustive_samples past_the_end(dividends, divisors);
    past_the_end.skip(1000);
    sample ignored;
    EXPECT_FALSE(past_the_end.next(ignored));
}

TEST(Exhaustive, WideFieldsSkipByArithmetic) {
    // 32 + 31 bits: pair 2^40 + 5 has dividend -2^31 + 2^9 and divisor
    // -2^30 + 5 (2^40 / 2^31 = 2^9, remainder 0).
    const operand_range dividends(32, true);
    const operand_range divisors(31, true);
    exhaustive_samples source(dividends, divisors);
    EXPECT_EQ(source.known_total(), uint64_t{1} << 63);
    source.skip((uint64_t{1} << 40) + 5);
    sample next;
    ASSERT_TRUE(source.next(next));
    EXPECT_EQ(decimal(next.dividend.get()), "-2147483136");
    EXPECT_EQ(decimal(next.divisor.get()), "-1073741819");
    const operand_range too_wide(33, true);
    EXPECT_THROW(exhaustive_samples(too_wide, divisors), tool_error);
}

TEST(RandomSkip, SkippedSequenceContinuesTheSeed) {
    const operand_range dividends(40, true);
    const operand_range divisors(20, true);
    for (uint64_t n : {0u, 3u, 25u, 26u, 90u}) {
        random_samples drawn(dividends, divisors, 100, 42);
        random_samples skipped(dividends, divisors, 100, 42);
        sample expected;
        sample got;
        for (uint64_t i = 0; i < n; ++i) {
            ASSERT_TRUE(drawn.next(expected));
        }
        skipped.skip(n);
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(drawn.next(expected));
            ASSERT_TRUE(skipped.next(got));
            EXPECT_EQ(decimal(got.dividend.get()), decimal(expected.dividend.get()));
            EXPECT_EQ(decimal(got.divisor.get()), decimal(expected.divisor.get()));
        }
    }
}

TEST(SampleText, LinesWithSomethingToDivide) {
    const struct {
        const char *line;
        bool has_text;
    } cases[] = {
        {"", false},      {"   \t", false}, {"# 1 2", false}, {"  # x", false},
        {"1 2", true},    {" 1,2 # c", true}, {"x", true},    {"5", true},
        {"\r", false},    {"1 2 3", true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(has_sample_text(c.line), c.has_text) << "'" << c.line << "'";
    }
}

class TextSkip : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = testing::TempDir() + "quodra_div_text_skip.txt";
        std::FILE *file = std::fopen(path_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        // Sample lines 2, 4, 5 and 7 (counting from 1); line 5 is malformed.
        std::fputs("# pairs\n10 3\n\n20 3 # twenty\nbad 1\n  # end\n40 3\n", file);
        std::fclose(file);
    }
    void TearDown() override { std::remove(path_.c_str()); }

    std::string path_;
    const operand_range range_{8, true};
    const operand_fields fields_{range_, range_, false};
};

TEST_F(TextSkip, CountsThenReadsFromTheStart) {
    text_samples source(path_, fields_);
    EXPECT_EQ(source.count_samples(), 4u);
    sample next;
    ASSERT_TRUE(source.next(next));
    EXPECT_EQ(decimal(next.dividend.get()), "10");
    EXPECT_EQ(source.position(), path_ + ":2");
}

TEST_F(TextSkip, SkippingPassesOverMalformedLinesUnread) {
    text_samples source(path_, fields_);
    source.skip(3); // 10 3, 20 3 and the malformed line
    sample next;
    ASSERT_TRUE(source.next(next));
    EXPECT_EQ(decimal(next.dividend.get()), "40");
    EXPECT_EQ(source.position(), path_ + ":7"); // line numbers still count every line
    EXPECT_FALSE(source.next(next));
}

TEST_F(TextSkip, ReadingTheMalformedLineNamesItsLine) {
    text_samples source(path_, fields_);
    source.skip(2);
    sample next;
    try {
        source.next(next);
        ADD_FAILURE() << "malformed line accepted";
    } catch (const tool_error &e) {
        EXPECT_EQ(std::string(e.what()).rfind(path_ + ":5: ", 0), 0u) << e.what();
    }
}

TEST(TextCount, RefusesInputThatCannotBeReadTwice) {
    // A named pipe, held open for writing so that opening it to read does
    // not wait for a writer.
    const std::string path = testing::TempDir() + "quodra_div_text_count.fifo";
    std::remove(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const int writer = open(path.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const operand_range range(8, true);
    text_samples pipe(path, operand_fields{range, range, false});
    close(writer);
    std::remove(path.c_str());
    try {
        pipe.count_samples();
        ADD_FAILURE() << "a pipe was counted";
    } catch (const tool_error &e) {
        EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
        EXPECT_NE(std::string(e.what()).find("regular file"), std::string::npos) << e.what();
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

// A configuration the library refuses at creation, which reports it
// through the tool's handler on the creating thread.
divider_settings refused_settings() {
    divider_settings settings;
    settings.name = "refused";
    settings.algorithm_type = algorithm_lutmult;
    settings.fractional_output = true;
    return settings;
}

TEST(LibraryMessages, CapturedPerThreadInPrintedForm) {
    std::string captured;
    testing::internal::CaptureStderr();
    std::string *previous = capture_library_messages(&captured);
    EXPECT_EQ(previous, nullptr);
    EXPECT_THROW(divider_model model(refused_settings()), tool_error);
    // Another thread's messages are not this thread's: they are printed.
    std::thread other([] {
        try {
            divider_model model(refused_settings());
        } catch (const tool_error &) {
        }
    });
    other.join();
    EXPECT_EQ(capture_library_messages(nullptr), &captured);
    const std::string printed_while_capturing = testing::internal::GetCapturedStderr();

    ASSERT_FALSE(captured.empty());
    EXPECT_EQ(captured.rfind("quodra-div: error: ", 0), 0u) << captured;
    EXPECT_EQ(captured.back(), '\n');
    EXPECT_EQ(captured.find('\n'), captured.size() - 1) << "one message, one line";
    // The other thread printed exactly the text this thread captured.
    EXPECT_EQ(printed_while_capturing, captured);

    // With the capture removed, messages are printed again.
    testing::internal::CaptureStderr();
    EXPECT_THROW(divider_model model(refused_settings()), tool_error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), captured);
}

} // namespace
