// The sample origins: the exhaustive pair order, skipping in every origin,
// sample text, the fixed lists of arguments and demo samples, and the lines
// of text files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/tool_error.h"
#include "numbers/operand_range.h"
#include "samples/exhaustive_samples.h"
#include "samples/fixed_samples.h"
#include "samples/random_samples.h"
#include "samples/sample_line.h"
#include "samples/sample_words.h"
#include "samples/text_lines.h"
#include "samples/text_samples.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

TEST(Exhaustive, EveryPairOnceDividendOuterDivisorInner) {
    const struct {
        unsigned dividend_width, divisor_width;
        bool is_signed;
        long dividend_low, divisor_low;
    } cases[] = {
        // 4 x 3 signed and 3 x 2 unsigned are checked end to end (tool_scale_test).
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

// Philox4x64-10's published known-answer vector for the all-zero key and
// counter: the words of sample 0 under seed 0.
TEST(SampleWords, FirstBlockIsThePublishedCipherVector) {
    sample_words words(0, 0);
    const uint64_t published[] = {0x16554d9eca36314c, 0xdb20fe9d672d0fdc, 0xd7e772cee186176b,
                                  0x7e68b68aec7ba23b};
    for (const uint64_t expected : published) {
        EXPECT_EQ(words.next(), expected);
    }
}

TEST(RandomSkip, SkippingPastTheEndLeavesNothing) {
    const operand_range fields(8, true);
    random_samples samples(fields, fields, 30, 1);
    samples.skip(29);
    sample last;
    EXPECT_TRUE(samples.next(last));
    samples.skip(UINT64_MAX);
    EXPECT_FALSE(samples.next(last));
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
        path_ = testing::TempDir() + "quodra_div_text_skip_" + std::to_string(getpid()) + ".txt";
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

std::vector<std::string> all_samples(fixed_samples &source) {
    std::vector<std::string> texts;
    sample next;
    while (source.next(next)) {
        texts.push_back(decimal(next.dividend.get()) + "/" + decimal(next.divisor.get()));
    }
    return texts;
}

// The demo set in three fields, by hand: the fixed pairs that fit, then the
// most negative dividend over -1, the largest dividend over the most
// negative divisor, and the zero divisors.
TEST(FixedSamples, DemoKeepsOnlyWhatFitsItsFields) {
    const struct {
        unsigned width;
        bool is_signed;
        std::vector<std::string> expected;
    } cases[] = {
        {8, true,
         {"100/7", "-7/2", "7/-2", "-7/-2", "-6/3", "1/3", "-128/-1", "127/-128", "5/0", "-5/0"}},
        // Unsigned: no negative operand, and the lowest divisor is 0.
        {8, false, {"100/7", "1/3", "255/0", "5/0"}},
        // 3-bit signed holds -4 .. 3: of the fixed pairs only 1 / 3 fits.
        {3, true, {"1/3", "-4/-1", "3/-4"}},
    };
    for (const auto &c : cases) {
        const operand_range range(c.width, c.is_signed);
        fixed_samples demo = fixed_samples::demo(range, range);
        EXPECT_EQ(demo.known_total(), c.expected.size()) << c.width << c.is_signed;
        EXPECT_EQ(all_samples(demo), c.expected) << c.width << c.is_signed;
    }
}

TEST(FixedSamples, ArgumentsSkipAndPositions) {
    const operand_range range(8, true);
    const operand_fields fields{range, range, false};
    fixed_samples pairs =
        fixed_samples::from_arguments({"100", "7", "-7", "2", "0x10", "3"}, fields);
    EXPECT_EQ(pairs.known_total(), 3u);
    EXPECT_EQ(pairs.position(), "command-line pair 0");
    pairs.skip(1);
    sample next;
    ASSERT_TRUE(pairs.next(next));
    EXPECT_EQ(decimal(next.dividend.get()), "-7");
    EXPECT_EQ(pairs.position(), "command-line pair 2");
    pairs.skip(5); // past the end stops at the end
    EXPECT_FALSE(pairs.next(next));
    EXPECT_EQ(pairs.position(), "command-line pair 3");

    const operand_range unsigned_range(8, false);
    fixed_samples demo = fixed_samples::demo(unsigned_range, unsigned_range);
    demo.skip(2);
    ASSERT_TRUE(demo.next(next));
    EXPECT_EQ(demo.position(), "demo sample 3");
}

TEST(FixedSamples, ABadPairIsNamedByItsNumber) {
    const operand_range range(8, true);
    const operand_fields fields{range, range, false};
    const struct {
        std::vector<std::string> texts;
        const char *message;
    } cases[] = {
        {{"1", "2", "3", "x"}, "command-line pair 2: malformed divisor 'x'"},
        {{"300", "7"}, "command-line pair 1: dividend 300 does not fit"},
        {{"1", "2", "3", "4", "5", "-129"}, "command-line pair 3: divisor -129 does not fit"},
    };
    for (const auto &c : cases) {
        try {
            fixed_samples::from_arguments(c.texts, fields);
            ADD_FAILURE() << c.message;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
}

class TextLines : public ::testing::Test {
protected:
    void SetUp() override {
        // CTest runs each case in a process of its own, two at once: with
        // one shared name, one case's TearDown removed the other's file.
        path_ = testing::TempDir() + "quodra_div_text_lines_" + std::to_string(getpid()) + ".txt";
        std::FILE *file = std::fopen(path_.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs("first\n\nthird\r\nlast without end", file);
        std::fclose(file);
    }
    void TearDown() override { std::remove(path_.c_str()); }

    std::string path_;
};

TEST_F(TextLines, LinesAreNumberedWithoutTheirLineEnds) {
    text_lines lines(path_, "");
    const std::vector<std::string> expected = {"first", "", "third\r", "last without end"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(lines.read());
        EXPECT_EQ(lines.line(), expected[i]);
        EXPECT_EQ(lines.number(), i + 1);
        EXPECT_EQ(lines.position(), path_ + ":" + std::to_string(i + 1));
    }
    EXPECT_FALSE(lines.read());
    EXPECT_TRUE(lines.is_regular_file());
    EXPECT_FALSE(lines.is_folder());
}

TEST_F(TextLines, ReturningToAMarkReadsTheSameLinesAgain) {
    text_lines lines(path_, "");
    ASSERT_TRUE(lines.read());
    const text_lines::mark second = lines.here();
    ASSERT_TRUE(lines.read());
    ASSERT_TRUE(lines.read());
    lines.return_to(second);
    EXPECT_EQ(lines.number(), 1u);
    ASSERT_TRUE(lines.read());
    EXPECT_EQ(lines.line(), "");
    EXPECT_EQ(lines.number(), 2u);
}

TEST(TextLinesOpen, MissingFileNamesTheFlag) {
    const std::string missing = testing::TempDir() + "quodra_div_no_such_file";
    for (const char *prefix : {"", "--input: "}) {
        try {
            text_lines lines(missing, prefix);
            ADD_FAILURE() << "opened " << missing;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
            EXPECT_EQ(std::string(e.what()),
                      std::string(prefix) + "cannot read '" + missing +
                          "': No such file or directory");
        }
    }
    text_lines standard_input("-", "");
    EXPECT_EQ(standard_input.display_name(), "<stdin>");
}

} // namespace
