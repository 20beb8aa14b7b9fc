// Number text, result layout decoding and the rows of the three formats.
// Expected texts are worked out by hand from the field definitions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/result_layout.h"
#include "formats/row_formatter.h"
#include "numbers/number_text.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

struct hex_case {
    const char *value;
    unsigned width;
    const char *digits;
};

TEST(NumberText, HexPatternsAreTwosComplementAtTheFieldWidth) {
    const hex_case cases[] = {
        {"-1", 8, "ff"},       {"-1", 5, "1f"},     {"1", 1, "1"},      {"-1", 1, "1"},
        {"-128", 8, "80"},     {"127", 8, "7f"},    {"0", 12, "000"},   {"-2", 13, "1ffe"},
        {"255", 9, "0ff"},     {"-256", 9, "100"},  {"5", 4, "5"},      {"-8", 4, "8"},
        {"18446744073709551615", 64, "ffffffffffffffff"},
        {"-18446744073709551616", 65, "10000000000000000"},
        {"300", 8, "2c"}, // bits above the width are dropped: 300 - 256 = 44
    };
    number_text numbers;
    for (const hex_case &c : cases) {
        std::string out = "0x";
        const big_integer value = big(c.value);
        numbers.append_hex_pattern(out, value.get(), c.width);
        EXPECT_EQ(out, std::string("0x") + c.digits) << c.value << " in " << c.width;
        EXPECT_EQ(out.size() - 2, hex_digits(c.width));
    }
}

struct real_case {
    const char *numerator;
    unsigned scale;
    const char *text;
};

TEST(NumberText, ExactRealsOfBinaryFractions) {
    const real_case cases[] = {
        {"7", 1, "3.5"},          {"-57", 2, "-14.25"},   {"229", 4, "14.3125"},
        {"0", 4, "0.0"},          {"48", 4, "3.0"},       {"-1", 3, "-0.125"},
        {"5", 0, "5.0"},          {"-5", 0, "-5.0"},      {"1", 20, "0.00000095367431640625"},
        {"3", 2, "0.75"},         {"2048", 4, "128.0"},   {"-4095", 12, "-0.999755859375"},
    };
    number_text numbers;
    for (const real_case &c : cases) {
        std::string out;
        const big_integer numerator = big(c.numerator);
        numbers.append_exact_real(out, numerator.get(), c.scale);
        EXPECT_EQ(out, c.text) << c.numerator << " / 2^" << c.scale;
    }
}

TEST(NumberText, DecimalColumnsHoldTheLongestValue) {
    for (unsigned width : {1u, 3u, 4u, 8u, 10u, 16u, 33u, 64u, 200u}) {
        for (bool is_signed : {false, true}) {
            const operand_range range(width, is_signed);
            EXPECT_GE(decimal_chars(width, is_signed), decimal(range.lowest()).size()) << width;
            EXPECT_GE(decimal_chars(width, is_signed), decimal(range.highest()).size()) << width;
            // At most one character of slack.
            EXPECT_LE(decimal_chars(width, is_signed),
                      std::max(decimal(range.lowest()).size(), decimal(range.highest()).size()) +
                          1)
                << width;
        }
    }
}

divider_settings settings(int32_t algorithm, unsigned dividend_width, unsigned divisor_width,
                          bool is_signed, bool fractional, unsigned fraction_width) {
    divider_settings s;
    s.algorithm_type = algorithm;
    s.dividend_width = static_cast<int32_t>(dividend_width);
    s.divisor_width = static_cast<int32_t>(divisor_width);
    s.signed_operands = is_signed;
    s.fractional_output = fractional;
    s.fractional_width = static_cast<int32_t>(fraction_width);
    return s;
}

struct decode_case {
    const char *what;
    divider_settings config;
    const char *quotient;  // the library's raw value
    const char *remainder; // ignored in fractional mode
    const char *field0;
    const char *field1; // "" when the layout has one field
    const char *real;   // exact real text, "" in remainder mode
};

TEST(ResultLayout, DecodesEveryLayout) {
    const decode_case cases[] = {
        {"signed remainder -7/2", settings(1, 8, 8, true, false, 0), "253", "255", "-3", "-1",
         ""},
        {"unsigned remainder 253/7", settings(1, 8, 8, false, false, 0), "36", "1", "36", "1",
         ""},
        {"signed remainder -128/-1", settings(1, 8, 8, true, false, 0), "128", "0", "-128", "0",
         ""},
        // Radix-2 signed: integer field above a signed fraction with F-1 bits.
        {"radix2 signed 7/2", settings(1, 8, 8, true, true, 4), "52", "", "3", "4", "3.5"},
        {"radix2 signed -7/2", settings(1, 8, 8, true, true, 4), "4060", "", "-3", "-4", "-3.5"},
        {"radix2 signed -1/3", settings(1, 8, 8, true, true, 4), "14", "", "0", "-2", "-0.25"},
        // Radix-2 unsigned: the word over 2^F.
        {"radix2 unsigned 7/2", settings(1, 8, 8, false, true, 4), "56", "", "3", "8", "3.5"},
        {"radix2 unsigned 1/3 F=0", settings(1, 8, 8, false, true, 0), "0", "", "0", "", "0.0"},
        // High Radix: signed Q = quotient * 2^F.
        {"high radix 100/7", settings(3, 8, 8, true, true, 4), "229", "", "14", "5", "14.3125"},
        {"high radix 100/-7", settings(3, 8, 8, true, true, 4), "-228", "", "-15", "12",
         "-14.25"},
        {"high radix -128/-1", settings(3, 8, 8, true, true, 4), "2048", "", "128", "0",
         "128.0"},
    };
    for (const decode_case &c : cases) {
        const result_layout layout(c.config);
        sample_result result;
        layout.decode(big(c.quotient).get(), big(c.remainder[0] ? c.remainder : "0").get(), false,
                      result);
        ASSERT_TRUE(result.field_known[0]) << c.what;
        EXPECT_EQ(decimal(result.field_values[0].get()), c.field0) << c.what;
        if (c.field1[0] != '\0') {
            ASSERT_EQ(layout.fields().size(), 2u) << c.what;
            EXPECT_EQ(decimal(result.field_values[1].get()), c.field1) << c.what;
        } else {
            EXPECT_EQ(layout.fields().size(), 1u) << c.what;
        }
        if (c.real[0] != '\0') {
            std::string real;
            number_text().append_exact_real(real, result.real_numerator.get(), result.real_scale);
            EXPECT_EQ(real, c.real) << c.what;
        }
    }
}

struct field_case {
    divider_settings config;
    std::vector<std::string> names;
    std::vector<unsigned> widths;
    std::vector<bool> signs;
};

TEST(ResultLayout, FieldsOfEachMode) {
    const field_case cases[] = {
        {settings(1, 12, 5, true, false, 0), {"quotient", "remainder"}, {12, 5}, {true, true}},
        {settings(4, 12, 5, false, false, 0), {"quotient", "remainder"}, {12, 5}, {false, false}},
        {settings(1, 12, 5, true, true, 6), {"quotient", "fraction"}, {12, 6}, {true, true}},
        {settings(1, 12, 5, false, true, 6), {"quotient", "fraction"}, {12, 6}, {false, false}},
        {settings(3, 12, 5, true, true, 6), {"quotient", "fraction"}, {13, 6}, {true, false}},
        {settings(3, 12, 5, true, true, 0), {"quotient"}, {13}, {true}},
    };
    for (const field_case &c : cases) {
        const result_layout layout(c.config);
        ASSERT_EQ(layout.fields().size(), c.names.size());
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(layout.fields()[i].name, c.names[i]);
            EXPECT_EQ(layout.fields()[i].width, c.widths[i]) << c.names[i];
            EXPECT_EQ(layout.fields()[i].is_signed, c.signs[i]) << c.names[i];
        }
    }
}

struct refused_case {
    const char *what;
    divider_settings config;
    const char *quotient;
    const char *remainder;
};

TEST(ResultLayout, ValuesOutsideTheirFieldsAreLibraryFaults) {
    const refused_case cases[] = {
        {"quotient above 8 bits", settings(1, 8, 8, true, false, 0), "256", "0"},
        {"negative remainder-mode quotient", settings(1, 8, 8, false, false, 0), "-1", "0"},
        {"remainder above 4 bits", settings(1, 8, 4, true, false, 0), "1", "16"},
        {"negative remainder", settings(1, 8, 4, true, false, 0), "1", "-1"},
        {"negative Radix-2 word", settings(1, 8, 8, true, true, 4), "-1", "0"},
        {"Radix-2 word above 12 bits", settings(1, 8, 8, true, true, 4), "4096", "0"},
        // High Radix, B=8 F=4: Q is a 13-bit signed value, -4096 .. 4095.
        {"High Radix below -2^12", settings(3, 8, 8, true, true, 4), "-4097", "0"},
        {"High Radix at 2^12", settings(3, 8, 8, true, true, 4), "4096", "0"},
    };
    for (const refused_case &c : cases) {
        const result_layout layout(c.config);
        sample_result result;
        try {
            layout.decode(big(c.quotient).get(), big(c.remainder).get(), false, result);
            ADD_FAILURE() << "accepted " << c.what;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::division_failed) << c.what;
        }
    }
    // The extremes themselves are accepted.
    const result_layout high_radix(settings(3, 8, 8, true, true, 4));
    sample_result result;
    high_radix.decode(big("-4096").get(), big("0").get(), false, result);
    EXPECT_EQ(decimal(result.field_values[0].get()), "-256");
    high_radix.decode(big("4095").get(), big("0").get(), false, result);
    EXPECT_EQ(decimal(result.field_values[0].get()), "255");
    EXPECT_EQ(decimal(result.field_values[1].get()), "15");
}

TEST(ResultLayout, UnwrittenQuotientIsUnknownOnlyForAZeroDivisor) {
    const result_layout layout(settings(3, 8, 8, true, true, 4));
    sample_result result;
    layout.decode(layout.unwritten_marker(), big("0").get(), true, result);
    EXPECT_FALSE(result.field_known[0]);
    EXPECT_FALSE(result.field_known[1]);
    EXPECT_TRUE(result.div_by_zero);
    EXPECT_THROW(layout.decode(layout.unwritten_marker(), big("0").get(), false, result),
                 tool_error);
    // A later written result is known again.
    layout.decode(big("16").get(), big("0").get(), false, result);
    EXPECT_TRUE(result.field_known[0]);
    EXPECT_EQ(decimal(result.field_values[0].get()), "1");
}

TEST(ResultLayout, FractionalOutputOfAnUnknownLayoutIsRefused) {
    for (int32_t algorithm : {4, 2, 99}) {
        try {
            const result_layout layout(settings(algorithm, 8, 8, true, true, 4));
            ADD_FAILURE() << "accepted fractional algorithm " << algorithm;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::division_failed);
        }
    }
}

// One signed 8/8 remainder-mode sample, -7 / 2 = -3 rest -1, in each format.
TEST(RowFormatter, RowsOfEachFormat) {
    const result_layout layout(settings(1, 8, 8, true, false, 0));
    sample input;
    mpz_set_si(input.dividend.get(), -7);
    mpz_set_si(input.divisor.get(), 2);
    sample_result result;
    layout.decode(big("253").get(), big("255").get(), false, result);

    struct format_case {
        output_format format;
        const char *header;
        const char *row;
    };
    const format_case cases[] = {
        {output_format::csv,
         "# cfg\ndividend,divisor,quotient,quotient_hex,remainder,remainder_hex,div_by_zero\n",
         "-7,2,-3,0xfd,-1,0xff,0\n"},
        {output_format::hex,
         "// cfg\n// dividend[8] divisor[8] quotient[8] remainder[8] div_by_zero[1]\n",
         "f9 02 fd ff 0\n"},
        {output_format::table,
         "cfg\ndividend  divisor  quotient  quotient_hex  remainder  remainder_hex  "
         "div_by_zero\n",
         "      -7        2        -3          0xfd         -1           0xff            0\n"},
    };
    for (const format_case &c : cases) {
        row_formatter formatter(c.format, layout, "cfg");
        std::string header;
        formatter.append_header(header);
        EXPECT_EQ(header, c.header);
        std::string row;
        formatter.append_row(input, result, row);
        EXPECT_EQ(row, c.row);
    }
}

TEST(RowFormatter, UndefinedOutputsInEachFormat) {
    const result_layout layout(settings(3, 8, 8, true, true, 4));
    sample input;
    mpz_set_si(input.dividend.get(), 3);
    mpz_set_si(input.divisor.get(), 0);
    sample_result result;
    layout.decode(layout.unwritten_marker(), big("0").get(), true, result);

    std::string csv;
    row_formatter(output_format::csv, layout, "").append_row(input, result, csv);
    EXPECT_EQ(csv, "3,0,,,,,,1\n");
    std::string hex;
    row_formatter(output_format::hex, layout, "").append_row(input, result, hex);
    EXPECT_EQ(hex, "03 00 xxx x 1\n"); // 9-bit quotient, 4-bit fraction
    std::string table;
    row_formatter(output_format::table, layout, "").append_row(input, result, table);
    // Every column but the operands and the flag is "-".
    std::vector<std::string> cells;
    std::string cell;
    for (char ch : table) {
        if (ch == ' ' || ch == '\n') {
            if (!cell.empty()) {
                cells.push_back(cell);
            }
            cell.clear();
        } else {
            cell += ch;
        }
    }
    const std::vector<std::string> expected = {"3", "0", "-", "-", "-", "-", "-", "1"};
    EXPECT_EQ(cells, expected);
}

} // namespace
