// --random: reproducible from the seed, edge values first, always in
// range, and every row agrees with an independent GNU MP computation.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tool_runner.h"

namespace {

class integer {
public:
    integer() { mpz_init(v_); }
    explicit integer(const std::string &decimal) { mpz_init_set_str(v_, decimal.c_str(), 10); }
    integer(const integer &) = delete;
    integer &operator=(const integer &) = delete;
    ~integer() { mpz_clear(v_); }
    mpz_ptr get() { return v_; }
    std::string text() const {
        char *raw = mpz_get_str(nullptr, 10, v_);
        std::string result = raw;
        void (*release)(void *, size_t) = nullptr;
        mp_get_memory_functions(nullptr, nullptr, &release);
        release(raw, result.size() + 1);
        return result;
    }

private:
    mpz_t v_;
};

// Reads the low `width` bits of value as two's complement.
void to_signed_field(mpz_ptr value, unsigned width) {
    mpz_fdiv_r_2exp(value, value, width);
    if (mpz_tstbit(value, width - 1)) {
        integer modulus;
        mpz_setbit(modulus.get(), width);
        mpz_sub(value, value, modulus.get());
    }
}

std::vector<std::vector<std::string>> random_csv(const std::vector<std::string> &flags,
                                                 const std::string &count,
                                                 const std::string &seed) {
    std::vector<std::string> arguments{"-f", "csv", "--no-header", "--random", count,
                                       "--seed", seed};
    arguments.insert(arguments.end(), flags.begin(), flags.end());
    const tool_run run = run_tool(arguments);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no progress line into a file
    std::vector<std::vector<std::string>> rows;
    for (const std::string &line : lines_of(run.out)) {
        rows.push_back(fields_of(line, ','));
    }
    return rows;
}

bool in_signed_range(const std::string &decimal, unsigned width) {
    integer value(decimal), wrapped(decimal);
    to_signed_field(wrapped.get(), width);
    return mpz_cmp(value.get(), wrapped.get()) == 0;
}

TEST(ToolRandom, SameSeedSameSamplesOtherSeedOtherSamples) {
    const auto first = random_csv({}, "500", "42");
    const auto again = random_csv({}, "500", "42");
    const auto other = random_csv({}, "500", "43");
    ASSERT_EQ(first.size(), 500u);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

// Sample i is a function of the seed and i alone: the last sample of a
// 10^15-sample run, reached as the one sample of the last of 10^15 shards,
// is the last of the two samples of the last of 5 x 10^14 shards. (Were
// earlier samples drawn and discarded, neither run would ever finish.)
TEST(ToolRandom, AShardOfAHugeRunStartsAtItsOwnSamples) {
    const std::string total = "1000000000000000";
    const tool_run one = run_tool({"-f", "hex", "--random", total, "--shard", total + "/" + total});
    const tool_run two = run_tool({"-f", "hex", "--random", total, "--shard",
                                   "500000000000000/500000000000000"});
    ASSERT_EQ(one.exit_status, 0) << one.err;
    ASSERT_EQ(two.exit_status, 0) << two.err;
    const auto last = lines_of(one.out);
    const auto last_two = lines_of(two.out);
    ASSERT_EQ(last.size(), 1u);
    ASSERT_EQ(last_two.size(), 2u);
    EXPECT_EQ(last[0], last_two[1]);
    EXPECT_NE(last_two[0], last_two[1]);
}

// A seed's samples never change, on any platform or version: rows written
// once and kept here, from a narrow, a default and a multi-word field pair
// (the first rows after the edge combinations).
TEST(ToolRandom, SeedsKeepTheirStoredSamples) {
    struct stored_run {
        std::vector<std::string> flags;
        std::vector<std::string> rows;
    };
    const stored_run runs[] = {
        {{"--random", "29", "--seed", "0", "--dividend-width", "7", "--divisor-width", "3",
          "--shard", "2/2"},
         {"7c 6 02 0 0", "01 6 00 1 0", "7f 0 00 0 1", "76 7 0a 0 0"}},
        {{"--random", "28"}, {"fff5 fef8 0000 fff5 0", "f445 defe 0000 f445 0", "0007 fffc ffff 0003 0"}},
        {{"--random", "12", "--seed", "18446744073709551615", "--unsigned", "--dividend-width",
          "130", "--divisor-width", "70", "--shard", "4/4"},
         {"00000000000000000002721e22207d406 00000000000000063f "
          "0000000000000000000000643dd1e9581 000000000000000347 0",
          "000000000000000000000000000000004 0009b0965079d6b929 "
          "000000000000000000000000000000000 000000000000000004 0",
          "307d5e5e8d75b8faae2b28ce98419724f 000000000000000007 "
          "06ed569fcb10d14862062a66a8095ebc2 000000000000000001 0"}},
    };
    for (const stored_run &stored : runs) {
        std::vector<std::string> arguments{"-f", "hex", "--no-header"};
        arguments.insert(arguments.end(), stored.flags.begin(), stored.flags.end());
        const tool_run run = run_tool(arguments);
        ASSERT_EQ(run.exit_status, 0) << run.err;
        const auto rows = lines_of(run.out);
        EXPECT_EQ(std::vector<std::string>(rows.end() - std::min(rows.size(), stored.rows.size()),
                                           rows.end()),
                  stored.rows)
            << run.out;
    }
}

TEST(ToolRandom, EdgeCombinationsComeFirst) {
    const auto rows = random_csv({"--dividend-width", "8", "--divisor-width", "6"}, "100", "9");
    ASSERT_EQ(rows.size(), 100u);
    const std::vector<std::string> dividends{"-128", "-1", "0", "1", "127"};
    const std::vector<std::string> divisors{"-32", "-1", "0", "1", "31"};
    std::set<std::pair<std::string, std::string>> expected, got;
    for (const auto &n : dividends) {
        for (const auto &d : divisors) {
            expected.insert({n, d});
        }
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        got.insert({rows[i][0], rows[i][1]});
    }
    EXPECT_EQ(got, expected);
    std::set<std::string> later_dividends;
    for (std::size_t i = expected.size(); i < rows.size(); ++i) {
        later_dividends.insert(rows[i][0]);
    }
    EXPECT_GT(later_dividends.size(), 20u);
}

// Remainder mode: truncating division of the signed operands, the
// quotient reduced to its dividend-width field (so -2^(B-1) / -1 wraps).
TEST(ToolRandom, SignedRemainderRowsMatchTruncatingDivision) {
    const unsigned dividend_width = 12, divisor_width = 7;
    const auto rows = random_csv(
        {"--dividend-width", "12", "--divisor-width", "7"}, "3000", "5");
    ASSERT_EQ(rows.size(), 3000u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 7u);
        ASSERT_TRUE(in_signed_range(row[0], dividend_width)) << row[0];
        ASSERT_TRUE(in_signed_range(row[1], divisor_width)) << row[1];
        integer n(row[0]), d(row[1]), q, r;
        if (mpz_sgn(d.get()) != 0) {
            mpz_tdiv_qr(q.get(), r.get(), n.get(), d.get());
            to_signed_field(q.get(), dividend_width);
        }
        const std::string flag = mpz_sgn(d.get()) == 0 ? "1" : "0";
        EXPECT_EQ(row[2], q.text()) << row[0] << " / " << row[1];
        EXPECT_EQ(row[4], r.text()) << row[0] << " / " << row[1];
        EXPECT_EQ(row[6], flag) << row[0] << " / " << row[1];
    }
}

// Radix-2 closed forms: unsigned Q = floor(N 2^F / D), all ones for D = 0.
TEST(ToolRandom, UnsignedRadix2RowsMatchTheClosedForm) {
    const unsigned w = 9, f = 5;
    const auto rows = random_csv({"--fractional", "--unsigned", "--dividend-width", "9",
                                  "--divisor-width", "6", "--fractional-width", "5"},
                                 "2000", "11");
    ASSERT_EQ(rows.size(), 2000u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 8u);
        integer n(row[0]), d(row[1]), word, got_word(row[2]), fraction(row[4]);
        if (mpz_sgn(d.get()) == 0) {
            mpz_setbit(word.get(), w + f);
            mpz_sub_ui(word.get(), word.get(), 1);
        } else {
            mpz_mul_2exp(word.get(), n.get(), f);
            mpz_fdiv_q(word.get(), word.get(), d.get());
        }
        mpz_mul_2exp(got_word.get(), got_word.get(), f);
        mpz_add(got_word.get(), got_word.get(), fraction.get());
        EXPECT_EQ(got_word.text(), word.text()) << row[0] << " / " << row[1];
    }
}

// Signed Radix-2: U = floor(|N| 2^F / |D|); integer I = U >> F and
// fraction G = (U mod 2^F) >> 1, both negated when the signs differ, so
// the real value is I + G / 2^(F-1).
TEST(ToolRandom, SignedRadix2RowsMatchTheClosedForm) {
    const unsigned f = 6;
    const auto rows = random_csv({"--fractional", "--dividend-width", "10", "--divisor-width",
                                  "7", "--fractional-width", "6"},
                                 "2000", "3");
    ASSERT_EQ(rows.size(), 2000u);
    for (const auto &row : rows) {
        integer n(row[0]), d(row[1]);
        if (mpz_sgn(d.get()) == 0) {
            continue; // covered by the reference rows of the CSV test
        }
        const bool negative = (mpz_sgn(n.get()) < 0) != (mpz_sgn(d.get()) < 0);
        integer u, whole, part;
        mpz_abs(n.get(), n.get());
        mpz_abs(d.get(), d.get());
        mpz_mul_2exp(u.get(), n.get(), f);
        mpz_fdiv_q(u.get(), u.get(), d.get());
        mpz_fdiv_q_2exp(whole.get(), u.get(), f);
        mpz_fdiv_r_2exp(part.get(), u.get(), f);
        mpz_fdiv_q_2exp(part.get(), part.get(), 1);
        if (negative) {
            mpz_neg(whole.get(), whole.get());
            mpz_neg(part.get(), part.get());
        }
        // -512 / -1 overflows the 10-bit integer field.
        to_signed_field(whole.get(), 10);
        EXPECT_EQ(row[2], whole.text()) << row[0] << " / " << row[1];
        EXPECT_EQ(row[4], part.text()) << row[0] << " / " << row[1];
    }
}

} // namespace
