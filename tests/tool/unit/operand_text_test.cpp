// Operand text, sample lines, operand ranges and two's-complement wrapping.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/tool_error.h"
#include "numbers/big_integer.h"
#include "numbers/operand_range.h"
#include "samples/operand_text.h"
#include "samples/sample_line.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

struct accepted_operand {
    const char *text;
    const char *value; // decimal, worked out by hand
};

TEST(OperandText, AcceptedSpellingsGiveTheirValues) {
    const accepted_operand cases[] = {
        {"0", "0"},
        {"-0", "0"},
        {"+17", "17"},
        {"007", "7"},
        {"-128", "-128"},
        {"0x1F", "31"},
        {"0XfF", "255"},
        {"-0x80", "-128"},
        {"+0x0", "0"},
        {"0x00000001", "1"},
        {"18446744073709551616", "18446744073709551616"},
        {"0x10000000000000000", "18446744073709551616"},
        {"-0xffffffffffffffffffffffffffffffff", "-340282366920938463463374607431768211455"},
        {"0b1010", "10"},
        {"-0B1", "-1"},
        {"1_000_000", "1000000"},
        {"0xdead_beef", "3735928559"},
        {"0b1010_1010", "170"},
        {"-0x8_0", "-128"},
    };
    for (const accepted_operand &c : cases) {
        big_integer value;
        ASSERT_TRUE(parse_operand(c.text, value.get())) << c.text;
        EXPECT_EQ(decimal(value.get()), c.value) << c.text;
    }
}

TEST(OperandText, RefusedSpellings) {
    const char *const cases[] = {
        "",    "-",    "+",   "0x",  "-0x", "1 2", " 1",  "1 ",   "12a", "0x1g",
        "--1", "+-1",  "1e3", "1.5", "x10", "0x-1", "1,000", "\t7", "7\n", "0xx1",
        "_1", "1_", "1__0", "0x_ff", "0xff_", "0b", "0b2", "0b_1", "0o17", "8'hff", "'b1",
    };
    for (const char *text : cases) {
        big_integer value;
        EXPECT_FALSE(parse_operand(text, value.get())) << "'" << text << "'";
    }
}

TEST(OperandText, NamedOperandErrorNamesRoleAndText) {
    operand_literal literal;
    try {
        parse_named_operand("0x1g", "divisor", literal);
        FAIL() << "accepted 0x1g";
    } catch (const tool_error &e) {
        EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
        const std::string message = e.what();
        EXPECT_NE(message.find("divisor"), std::string::npos) << message;
        EXPECT_NE(message.find("'0x1g'"), std::string::npos) << message;
    }
}

struct line_case {
    const char *line;
    bool has_pair;
    const char *dividend;
    const char *divisor;
};

// Fields wide enough for every value in the line tables.
const operand_range wide_signed(64, true);
const operand_fields wide_fields{wide_signed, wide_signed, false};

TEST(SampleLine, SeparatorsCommentsAndBlankLines) {
    const line_case cases[] = {
        {"7 2", true, "7", "2"},
        {"7,2", true, "7", "2"},
        {"  -7 ,  2  ", true, "-7", "2"},
        {"7\t-2\r", true, "7", "-2"},
        {"0x80 0xff # trailing comment", true, "128", "255"},
        {"7 2#no blank before the comment", true, "7", "2"},
        {"", false, "", ""},
        {"   \t\r", false, "", ""},
        {"# only a comment 1 2", false, "", ""},
        {"   # indented comment", false, "", ""},
    };
    for (const line_case &c : cases) {
        sample result;
        ASSERT_EQ(parse_sample_line(c.line, wide_fields, result), c.has_pair) << c.line;
        if (c.has_pair) {
            EXPECT_EQ(decimal(result.dividend.get()), c.dividend) << c.line;
            EXPECT_EQ(decimal(result.divisor.get()), c.divisor) << c.line;
        }
    }
}

struct bad_line {
    const char *line;
    const char *message_part;
};

TEST(SampleLine, MalformedLinesSayWhatIsWrong) {
    const bad_line cases[] = {
        {"7", "missing divisor"},
        {"7 ,", "missing divisor"},
        {"7 # 2", "missing divisor"},
        {"7 2 3", "unexpected '3'"},
        {"7,2,", "unexpected ','"},
        {"7,,2", "malformed divisor"},
        {"a 2", "malformed dividend 'a'"},
        {"7 0x", "malformed divisor '0x'"},
        // Malformed text is reported before a trailing token or a range.
        {"7 x 9", "malformed divisor 'x'"},
        {"18446744073709551616 q", "malformed divisor 'q'"},
        {"18446744073709551616 1", "dividend 18446744073709551616 does not fit the 64-bit"},
    };
    for (const bad_line &c : cases) {
        sample result;
        try {
            parse_sample_line(c.line, wide_fields, result);
            ADD_FAILURE() << "accepted '" << c.line << "'";
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
            EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos)
                << c.line << " -> " << e.what();
        }
    }
}

TEST(QuotedText, ShortensAtFortyCharactersAndEscapesControls) {
    const std::string forty(40, 'a');
    EXPECT_EQ(quoted_excerpt(forty), "'" + forty + "'");
    EXPECT_EQ(quoted_excerpt(forty + "b"), "'" + forty + "...'");
    EXPECT_EQ(quoted_excerpt(std::string("a\x01z\t", 4)), "'a\\x01z\\x09'");
    EXPECT_EQ(quoted_excerpt(""), "''");
    EXPECT_EQ(shortened(forty), forty);
    EXPECT_EQ(shortened(forty + "bc"), forty + "...");
}

// The quoted form of a huge operand, cut from one division, against cutting
// the whole decimal text: at every digit count around the cut and the
// sizeinbase estimate's off-by-one (10^k - 1 and 10^k), both signs, and long
// runs of ones and zeros (GNU MP's random long-run patterns).
TEST(QuotedText, ShortDecimalOfAHugeValueIsTheCutOfItsWholeText) {
    big_integer value;
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 11);
    std::vector<std::string> cases;
    for (unsigned digits = 1; digits <= 120; ++digits) {
        cases.push_back("1" + std::string(digits - 1, '0'));           // 10^(digits-1)
        cases.push_back(std::string(digits, '9'));                     // 10^digits - 1
    }
    for (const std::string &text : cases) {
        for (const char *sign : {"", "-"}) {
            ASSERT_EQ(mpz_set_str(value.get(), (sign + text).c_str(), 10), 0);
            EXPECT_EQ(shortened_decimal_text(value.get()), shortened(decimal_text(value.get())))
                << sign << text;
        }
    }
    for (unsigned bits : {130u, 150u, 160u, 1000u, 40000u}) {
        for (int trial = 0; trial < 20; ++trial) {
            mpz_rrandomb(value.get(), random, bits);
            if (trial % 2 == 1) mpz_neg(value.get(), value.get());
            EXPECT_EQ(shortened_decimal_text(value.get()), shortened(decimal_text(value.get())))
                << bits << " bits";
        }
    }
    gmp_randclear(random);
}

struct range_case {
    unsigned width;
    bool is_signed;
    const char *lowest;
    const char *highest;
    const char *kind;
    const char *limits;
};

TEST(OperandRange, LimitsOfNarrowAndWideFields) {
    const range_case cases[] = {
        {1, true, "-1", "0", "1-bit signed", "-1 to 0"},
        {1, false, "0", "1", "1-bit unsigned", "0 to 1"},
        {8, true, "-128", "127", "8-bit signed", "-128 to 127"},
        {8, false, "0", "255", "8-bit unsigned", "0 to 255"},
        {64, false, "0", "18446744073709551615", "64-bit unsigned",
         "0 to 18446744073709551615"},
        {64, true, "-9223372036854775808", "9223372036854775807", "64-bit signed",
         "-9223372036854775808 to 9223372036854775807"},
        {65, false, "0", "36893488147419103231", "65-bit unsigned", "0 to 2^65 - 1"},
        {100, true, "-633825300114114700748351602688", "633825300114114700748351602687",
         "100-bit signed", "-2^99 to 2^99 - 1"},
    };
    for (const range_case &c : cases) {
        const operand_range range(c.width, c.is_signed);
        EXPECT_EQ(decimal(range.lowest()), c.lowest) << c.kind;
        EXPECT_EQ(decimal(range.highest()), c.highest) << c.kind;
        EXPECT_EQ(range.kind(), c.kind);
        EXPECT_EQ(range.limits(), c.limits) << c.kind;
        // Just inside and just outside both ends.
        big_integer probe;
        mpz_set(probe.get(), range.lowest());
        EXPECT_TRUE(range.contains(probe.get())) << c.kind;
        mpz_sub_ui(probe.get(), probe.get(), 1);
        EXPECT_FALSE(range.contains(probe.get())) << c.kind;
        mpz_set(probe.get(), range.highest());
        EXPECT_TRUE(range.contains(probe.get())) << c.kind;
        mpz_add_ui(probe.get(), probe.get(), 1);
        EXPECT_FALSE(range.contains(probe.get())) << c.kind;
    }
}

struct literal_case {
    const char *text;
    unsigned width; // of the field
    bool is_signed;
    bool wrap;
    const char *value;   // nullptr: refused
    const char *message; // part of the refusal
};

// Expected values are the field readings of each bit pattern, by hand.
TEST(VerilogLiterals, ValuesInTheirFields) {
    const literal_case cases[] = {
        // patterns without 's': zero-extended, read the way the field reads
        {"8'hff", 8, true, false, "-1", nullptr},
        {"8'hff", 8, false, false, "255", nullptr},
        {"8'hff", 16, true, false, "255", nullptr},
        {"8'HFF", 16, false, false, "255", nullptr},
        {"8'd255", 8, true, false, "-1", nullptr},
        {"8'b1010_1010", 8, true, false, "-86", nullptr}, // 170 - 256
        {"8'b1010_1010", 8, false, false, "170", nullptr},
        {"8'o17", 8, true, false, "15", nullptr},
        {"6'o77", 6, true, false, "-1", nullptr},
        {"1'b1", 1, true, false, "-1", nullptr},
        {"16'h8000", 16, true, false, "-32768", nullptr},
        {"8'h0", 8, true, false, "0", nullptr},
        // signed literals: the value of their pattern
        {"16'sd5", 16, true, false, "5", nullptr},
        {"-16'sd5", 16, true, false, "-5", nullptr},
        {"+16'sd5", 16, true, false, "5", nullptr},
        {"8'shff", 16, true, false, "-1", nullptr},
        {"8'shff", 8, true, false, "-1", nullptr},
        {"-8'sh80", 16, true, false, "128", nullptr},
        {"8'sd127", 8, false, false, "127", nullptr},
        {"8'shff", 16, false, false, nullptr, "does not fit the 16-bit unsigned"},
        {"-8'sh80", 8, true, false, nullptr, "dividend 128 does not fit"},
        // unsized: a pattern as wide as the field
        {"'hff", 8, true, false, "-1", nullptr},
        {"'hff", 16, true, false, "255", nullptr},
        {"'b1010", 4, true, false, "-6", nullptr},
        {"'d7", 3, false, false, "7", nullptr},
        {"'sd7", 3, true, false, "-1", nullptr},
        {"'h1ff", 8, true, false, nullptr, "has more bits than the 8-bit signed"},
        {"'h1ff", 8, true, true, "-1", nullptr},
        // wider than the field: refused, or its low bits with --wrap-operands
        {"16'h00ff", 8, false, false, nullptr, "is 16 bits wide, wider than the 8-bit"},
        {"16'h01ff", 8, true, true, "-1", nullptr},
        // a signed decimal's sign after its base: the same value as before it
        {"16'sd-5", 16, true, false, "-5", nullptr},
        {"16'sd+5", 16, true, false, "5", nullptr},
        {"8'sd-128", 8, true, false, "-128", nullptr},
        {"8'sd-129", 16, true, false, nullptr, "does not fit its own 8 signed bits"},
        {"8'sd+128", 16, true, false, nullptr, "does not fit its own 8 signed bits"},
        {"8'sd-5", 16, true, false, "-5", nullptr},
        {"8'sd-5", 16, false, false, nullptr, "does not fit the 16-bit unsigned"},
        {"-16'sd-5", 16, true, false, nullptr, "a sign goes before the literal"},
        {"16'sh-5", 16, true, false, nullptr, "a sign goes before the literal"},
        {"16'd-5", 16, true, false, nullptr, "a sign goes before the literal"},
        {"'sd-5", 16, true, false, nullptr, "a sign goes before the literal"},
        // malformed
        {"8'h1ff", 16, true, false, nullptr, "does not fit its own 8 bits"},
        {"8'd256", 16, true, false, nullptr, "does not fit its own 8 bits"},
        {"-8'hff", 16, true, false, nullptr, "a sign goes only before"},
        {"-'sd5", 16, true, false, nullptr, "a sign goes only before"},
        {"8'hx0", 16, true, false, nullptr, "x and z digits"},
        {"4'bz", 16, true, false, nullptr, "x and z digits"},
        {"0'h0", 16, true, false, nullptr, "width before ' must be"},
        {"65537'h0", 16, true, false, nullptr, "width before ' must be"},
        {"8_0'h0", 16, true, false, nullptr, "width before ' must be"},
        {"8'q7", 16, true, false, nullptr, "expected h, d, o or b"},
        {"8'", 16, true, false, nullptr, "expected h, d, o or b"},
        {"8'h", 16, true, false, nullptr, "expected digits"},
        {"8'h_f", 16, true, false, nullptr, "expected digits"},
        {"8'hf_", 16, true, false, nullptr, "expected digits"},
        {"8'hf__f", 16, true, false, nullptr, "expected digits"},
        {"8'b102", 16, true, false, nullptr, "expected digits"},
        {"8'o8", 16, true, false, nullptr, "expected digits"},
        {"8'h f", 16, true, false, nullptr, "expected digits"},
    };
    for (const literal_case &c : cases) {
        const operand_range range(c.width, c.is_signed);
        const operand_fields fields{range, range, c.wrap};
        sample result;
        const std::string line = std::string(c.text) + ",0"; // 0 fits every divisor field
        const std::string what = std::string(c.text) + " in " + range.kind();
        if (c.value != nullptr) {
            try {
                ASSERT_TRUE(parse_sample_line(line, fields, result)) << what;
                EXPECT_EQ(decimal(result.dividend.get()), c.value) << what;
                EXPECT_TRUE(range.contains(result.dividend.get())) << what;
            } catch (const tool_error &e) {
                ADD_FAILURE() << what << ": " << e.what();
            }
            continue;
        }
        try {
            parse_sample_line(line, fields, result);
            ADD_FAILURE() << "accepted " << what << " as " << decimal(result.dividend.get());
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << what << ": " << e.what();
        }
    }
}

// Differential: a sized pattern and the same bits as 0x hex give the same
// field value whenever the pattern is as wide as an unsigned field.
TEST(VerilogLiterals, PatternsAgreeWithHexInUnsignedFields) {
    std::mt19937_64 engine(7);
    for (unsigned width : {1u, 5u, 8u, 13u, 64u, 100u}) {
        const operand_range range(width, false);
        const operand_fields fields{range, range, false};
        for (int i = 0; i < 50; ++i) {
            big_integer pattern;
            const uint64_t words[2] = {engine(), engine()};
            mpz_import(pattern.get(), 2, -1, sizeof words[0], 0, 0, words);
            mpz_fdiv_r_2exp(pattern.get(), pattern.get(), width);
            std::unique_ptr<char, void (*)(void *)> hex(mpz_get_str(nullptr, 16, pattern.get()),
                                                       std::free);
            sample as_literal;
            sample as_hex;
            ASSERT_TRUE(parse_sample_line(std::to_string(width) + "'h" + hex.get() + " 1", fields,
                                          as_literal));
            ASSERT_TRUE(parse_sample_line(std::string("0x") + hex.get() + " 1", fields, as_hex));
            EXPECT_EQ(mpz_cmp(as_literal.dividend.get(), as_hex.dividend.get()), 0) << hex.get();
        }
    }
}

struct fit_case {
    const char *text;
    unsigned width;
    bool is_signed;
    bool wrap;
    const char *value; // nullptr: refused
};

TEST(OperandFit, RangesAreCheckedOrWrapped) {
    const fit_case cases[] = {
        {"127", 8, true, false, "127"},
        {"-128", 8, true, false, "-128"},
        {"128", 8, true, false, nullptr},
        {"-129", 8, true, false, nullptr},
        {"128", 8, true, true, "-128"},
        {"0xff", 8, true, true, "-1"},
        {"300", 8, false, true, "44"},
        {"-1", 16, false, false, nullptr},
        {"-1", 16, false, true, "65535"},
        {"65535", 16, false, false, "65535"},
    };
    for (const fit_case &c : cases) {
        const operand_range range(c.width, c.is_signed);
        const operand_fields fields{range, range, c.wrap};
        const std::string line = std::string(c.text) + " 1";
        sample result;
        if (c.value == nullptr) {
            try {
                parse_sample_line(line, fields, result);
                ADD_FAILURE() << "accepted " << c.text << " in " << range.kind();
            } catch (const tool_error &e) {
                const std::string expected = std::string("dividend ") + c.text +
                                             " does not fit the " + range.kind() +
                                             " dividend field (" + range.limits() + ")";
                EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("--wrap-operands"), std::string::npos);
            }
        } else {
            ASSERT_TRUE(parse_sample_line(line, fields, result)) << c.text;
            EXPECT_EQ(decimal(result.dividend.get()), c.value) << c.text;
        }
    }
}

TEST(OperandFit, LongValuesAreShortenedInMessages) {
    const operand_range range(8, false);
    big_integer value = big(std::string(50, '7'));
    try {
        fit_operand(value.get(), "divisor", range, false);
        FAIL() << "accepted a 50-digit divisor";
    } catch (const tool_error &e) {
        EXPECT_NE(std::string(e.what()).find("divisor " + std::string(40, '7') + "... does not"),
                  std::string::npos)
            << e.what();
    }
}

struct wrap_case {
    const char *value;
    unsigned width;
    bool as_signed;
    const char *wrapped;
};

TEST(TwosComplement, WrapKeepsTheLowBits) {
    const wrap_case cases[] = {
        {"255", 8, true, "-1"},
        {"255", 8, false, "255"},
        {"256", 8, false, "0"},
        {"-1", 8, false, "255"},
        {"-129", 8, true, "127"},
        {"128", 8, true, "-128"},
        {"-128", 8, true, "-128"},
        {"127", 8, true, "127"},
        {"1", 1, true, "-1"},
        {"2", 1, true, "0"},
        {"-1", 1, false, "1"},
        {"18446744073709551621", 64, false, "5"},       // 2^64 + 5
        {"-18446744073709551616", 64, true, "0"},       // -2^64
        {"9223372036854775808", 64, true, "-9223372036854775808"},
        {"-300", 12, false, "3796"},                    // 4096 - 300
    };
    for (const wrap_case &c : cases) {
        big_integer value = big(c.value);
        wrap_to_width(value.get(), c.width, c.as_signed);
        EXPECT_EQ(decimal(value.get()), c.wrapped)
            << c.value << " in " << c.width << (c.as_signed ? " signed" : " unsigned");
    }
}

// For any value: the wrapped value lies in the field's range, is congruent
// to the original modulo 2^width, and operand_range::wrap agrees.
TEST(TwosComplement, WrapInvariantsOnRandomValues) {
    std::mt19937_64 engine(42);
    for (unsigned width : {1u, 2u, 7u, 8u, 63u, 64u, 65u, 130u}) {
        for (bool as_signed : {false, true}) {
            const operand_range range(width, as_signed);
            for (int i = 0; i < 200; ++i) {
                big_integer value;
                const uint64_t words[3] = {engine(), engine(), engine()};
                mpz_import(value.get(), 3, -1, sizeof words[0], 0, 0, words);
                mpz_fdiv_q_2exp(value.get(), value.get(), engine() % 190);
                if (engine() & 1) {
                    mpz_neg(value.get(), value.get());
                }
                big_integer wrapped = value;
                wrap_to_width(wrapped.get(), width, as_signed);
                EXPECT_TRUE(range.contains(wrapped.get())) << decimal(value.get());
                big_integer difference;
                mpz_sub(difference.get(), value.get(), wrapped.get());
                EXPECT_TRUE(mpz_divisible_2exp_p(difference.get(), width) != 0)
                    << decimal(value.get());
                big_integer by_range = value;
                range.wrap(by_range.get());
                EXPECT_EQ(mpz_cmp(by_range.get(), wrapped.get()), 0);
            }
        }
    }
}

} // namespace
