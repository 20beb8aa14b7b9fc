// Reading the rows of a results file and comparing them with the model's
// result. Expected values are worked out by hand: 100 / 7 = 14 rem 2,
// -7 / 2 = -3 rem -1 (0xfd, 0xff in 8 bits), 7 / 2 = 3.5 = 0x3.8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/row_comparison.h"
#include "formats/results_format.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

divider_settings settings_of(int32_t algorithm, bool is_signed, bool fractional,
                             int32_t fraction_width = 4) {
    divider_settings settings;
    settings.name = "unit";
    settings.algorithm_type = algorithm;
    settings.dividend_width = 8;
    settings.divisor_width = 8;
    settings.signed_operands = is_signed;
    settings.fractional_output = fractional;
    settings.fractional_width = fraction_width;
    return settings;
}

// One parser set-up: a configuration, its layout and the format's header.
struct parser {
    divider_settings settings;
    result_layout layout;
    output_format format;
    header_lines header;
    operand_fields ranges;

    parser(const divider_settings &s, output_format f)
        : settings(s), layout(s), format(f), header(expected_header(f, layout, s)),
          ranges{layout.dividend_range(), layout.divisor_range(), false} {}

    line_kind parse(const std::string &line, result_row &row) const {
        return parse_result_line(line, format, layout, header, ranges, row);
    }
};

const divider_settings signed_remainder = settings_of(algorithm_radix2, true, false);
const divider_settings high_radix = settings_of(algorithm_high_radix, true, true);

TEST(CheckFormat, DetectedFromTheFirstLine) {
    const result_layout remainder(signed_remainder);
    const result_layout fractional(high_radix);
    struct detect_case {
        const char *line;
        const result_layout &layout;
        output_format format;
    };
    const detect_case cases[] = {
        {"// configuration \"x\": radix2", remainder, output_format::hex},
        {"//", remainder, output_format::hex},
        {"configuration \"x\": radix2, signed", remainder, output_format::table},
        {"dividend  divisor  quotient  quotient_hex  remainder  remainder_hex  div_by_zero",
         remainder, output_format::table},
        {"dividend,divisor,quotient", remainder, output_format::csv},
        {"100,7,14,0x0e,2,0x02,0", remainder, output_format::csv},
        {"   100  7  14  0x0e  2  0x02  0", remainder, output_format::table},
        {"64 07 0e 02 0", remainder, output_format::hex},
        {"64 07 0e 02 0\r", remainder, output_format::hex},
        // Five cells but a table marker: still a table row (malformed later).
        {"3 0 - - 1", remainder, output_format::table},
        {"03 00 xxx x 1", fractional, output_format::hex},
        {"3 0 - - - - - 1", fractional, output_format::table},
    };
    for (const detect_case &c : cases) {
        EXPECT_EQ(detect_results_format(c.line, c.layout), c.format) << c.line;
    }
}

TEST(CheckParse, SameRowInEveryFormatGivesTheSameValues) {
    const std::pair<output_format, const char *> lines[] = {
        {output_format::table, "    -7        2        -3          0xfd         -1     0xff   0"},
        {output_format::csv, "-7,2,-3,0xfd,-1,0xff,0"},
        {output_format::hex, "f9 02 fd ff 0"},
    };
    for (const auto &[format, line] : lines) {
        const parser p(signed_remainder, format);
        result_row row;
        ASSERT_EQ(p.parse(line, row), line_kind::data) << line;
        EXPECT_EQ(decimal(row.operands.dividend.get()), "-7") << line;
        EXPECT_EQ(decimal(row.operands.divisor.get()), "2") << line;
        EXPECT_TRUE(row.fields[0].defined && row.fields[1].defined) << line;
        EXPECT_EQ(decimal(row.fields[0].pattern.get()), "253") << line;
        EXPECT_EQ(decimal(row.fields[1].pattern.get()), "255") << line;
        EXPECT_EQ(decimal(row.fields[0].decimal.get()), "-3") << line;
        EXPECT_EQ(decimal(row.fields[1].decimal.get()), "-1") << line;
        EXPECT_EQ(row.fields[0].has_decimal, format != output_format::hex) << line;
        EXPECT_FALSE(row.has_real) << line;
        EXPECT_TRUE(row.flag_defined && !row.div_by_zero) << line;
    }
}

TEST(CheckParse, UndefinedCellsAndTheRealColumn) {
    const parser table(high_radix, output_format::table);
    const parser csv(high_radix, output_format::csv);
    const parser hex(high_radix, output_format::hex);
    result_row row;
    ASSERT_EQ(table.parse("3 0 - - - - - 1", row), line_kind::data);
    EXPECT_FALSE(row.fields[0].defined || row.fields[1].defined || row.real_defined);
    EXPECT_TRUE(row.div_by_zero);
    ASSERT_EQ(csv.parse("3,0,,,,,,1", row), line_kind::data);
    EXPECT_FALSE(row.fields[0].defined || row.fields[1].defined || row.real_defined);
    ASSERT_EQ(hex.parse("03 00 xxx x 1", row), line_kind::data);
    EXPECT_FALSE(row.fields[0].defined || row.fields[1].defined);
    ASSERT_EQ(hex.parse("03 00 1x1 0 1", row), line_kind::data); // some bits unknown
    EXPECT_FALSE(row.fields[0].defined);
    EXPECT_TRUE(row.fields[1].defined);

    // 100 / -7 = -14.25: integer part -15 (0x1f1 in 9 bits), fraction 12.
    ASSERT_EQ(csv.parse("100,-7,-15,0x1f1,12,0xc,-14.25,0", row), line_kind::data);
    EXPECT_TRUE(row.real_defined);
    EXPECT_EQ(decimal(row.real_digits.get()), "-1425");
    EXPECT_EQ(row.real_places, 2u);
    ASSERT_EQ(hex.parse("64 f9 1f1 c 0", row), line_kind::data);
    EXPECT_EQ(decimal(row.fields[0].decimal.get()), "-15"); // 9-bit signed field
    EXPECT_EQ(decimal(row.fields[1].decimal.get()), "12");  // fraction bits weigh positively
}

struct malformed_case {
    output_format format;
    const char *line;
    const char *message;
};

TEST(CheckParse, MalformedLinesAreBadInput) {
    const malformed_case cases[] = {
        {output_format::table, "100 7 14 0x0g 2 0x02 0", "malformed quotient_hex '0x0g'"},
        {output_format::table, "100 7 1.4 0x0e 2 0x02 0", "malformed quotient '1.4'"},
        {output_format::csv, "128,7,14,0x0e,2,0x02,0", "dividend 128 does not fit"},
        {output_format::hex, "64 xx 0e 02 0", "malformed divisor 'xx'"},
        {output_format::hex, "64 07 10e 02 0", "quotient '10e' is wider than its 8-bit field"},
        {output_format::csv, "dividend,divisor,quotient,quotient_hex,fraction,fraction_hex,"
                             "real,div_by_zero",
         "the file's columns"},
        {output_format::hex, "// dividend[16] divisor[8] quotient[16] remainder[8] "
                             "div_by_zero[1]",
         "the file's columns"},
    };
    for (const malformed_case &c : cases) {
        const parser p(signed_remainder, c.format);
        result_row row;
        try {
            p.parse(c.line, row);
            ADD_FAILURE() << "accepted: " << c.line;
        } catch (const tool_error &e) {
            EXPECT_EQ(e.status(), exit_status::bad_usage_or_input) << c.line;
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.line << " -> " << e.what();
        }
    }
    const parser fractional(high_radix, output_format::csv);
    result_row row;
    EXPECT_THROW(fractional.parse("7,2,3,0x003,8,0x8,3.5.1,0", row), tool_error);
    EXPECT_THROW(fractional.parse("7,2,3,0x003,8,0x8,.,0", row), tool_error);
}

// The model's result for one row, set by hand.
sample_result model_result(const char *quotient, const char *second, bool div_by_zero) {
    sample_result result;
    mpz_set_str(result.field_values[0].get(), quotient, 10);
    mpz_set_str(result.field_values[1].get(), second, 10);
    result.div_by_zero = div_by_zero;
    return result;
}

struct compare_case {
    output_format format;
    const char *line;
    const char *report; // "" when the row agrees
};

TEST(CheckCompare, EachDifferingFieldIsReportedWithExpectedAndGot) {
    // -7 / 2 = -3 remainder -1.
    const sample_result model = model_result("-3", "-1", false);
    const compare_case cases[] = {
        {output_format::csv, "-7,2,-3,0xfd,-1,0xff,0", ""},
        {output_format::hex, "f9 02 fd ff 0", ""},
        {output_format::hex, "f9 02 FD FF 0", ""},
        // Decimal and hex columns are each compared.
        {output_format::csv, "-7,2,-3,0xfc,-1,0xff,0",
         "  quotient: expected -3 (0xfd), got -3 (0xfc)\n"},
        {output_format::table, "-7 2 -3 0xfd 1 0xff 0",
         "  remainder: expected -1 (0xff), got 1 (0xff)\n"},
        {output_format::hex, "f9 02 fe 01 1",
         "  quotient: expected -3 (0xfd), got -2 (0xfe)\n"
         "  remainder: expected -1 (0xff), got 1 (0x01)\n"
         "  div_by_zero: expected 0, got 1\n"},
        {output_format::hex, "f9 02 xx ff x",
         "  quotient: expected -3 (0xfd), got undefined\n"
         "  div_by_zero: expected 0, got undefined\n"},
        // A 9-bit wide value in the hex column is not the 8-bit pattern.
        {output_format::csv, "-7,2,-3,0x1fd,-1,0xff,0",
         "  quotient: expected -3 (0xfd), got -3 (0x1fd)\n"},
    };
    for (const compare_case &c : cases) {
        const parser p(signed_remainder, c.format);
        result_row row;
        ASSERT_EQ(p.parse(c.line, row), line_kind::data) << c.line;
        number_text numbers;
        std::string report;
        EXPECT_EQ(compare_result_row(row, model, p.layout, numbers, report), *c.report != '\0')
            << c.line;
        EXPECT_EQ(report, c.report) << c.line;
    }
}

TEST(CheckCompare, RealValuesCompareExactly) {
    // Unsigned Radix-2, 8.4 bits: 7 / 2 = 3.5, register 0x038.
    const parser csv(settings_of(algorithm_radix2, false, true), output_format::csv);
    sample_result model = model_result("3", "8", false);
    mpz_set_ui(model.real_numerator.get(), 56); // 56 / 2^4 = 3.5
    model.real_scale = 4;
    const std::pair<const char *, const char *> cases[] = {
        {"7,2,3,0x03,8,0x8,3.5,0", ""},
        {"7,2,3,0x03,8,0x8,3.50000,0", ""},
        {"7,2,3,0x03,8,0x8,-3.5,0", "  real: expected 3.5, got -3.5\n"},
        {"7,2,3,0x03,8,0x8,,0", "  real: expected 3.5, got undefined\n"},
        {"7,2,3,0x03,9,0x9,3.5,0", "  fraction: expected 8 (0x8), got 9 (0x9)\n"},
    };
    for (const auto &[line, expected_report] : cases) {
        result_row row;
        ASSERT_EQ(csv.parse(line, row), line_kind::data) << line;
        number_text numbers;
        std::string report;
        EXPECT_EQ(compare_result_row(row, model, csv.layout, numbers, report),
                  *expected_report != '\0')
            << line;
        EXPECT_EQ(report, expected_report) << line;
    }
}

// Rows 2, 3 and 5 of five differ (the quotient of -7 / 2 is -3, 0xfd).
struct report_case {
    uint64_t max_report;
    std::vector<uint64_t> shown_lines;
    const char *summary;
};

TEST(CheckReport, ShowsTheFirstDifferingRowsAndCountsThemAll) {
    const parser hex(signed_remainder, output_format::hex);
    const sample_result model = model_result("-3", "-1", false);
    const char *const lines[] = {"f9 02 fd ff 0", "f9 02 fc ff 0", "f9 02 fd ff 1",
                                 "f9 02 fd ff 0", "f9 02 fd 01 0"};
    const report_case cases[] = {
        {0, {}, "3 of 5 rows differ\n"},
        {1, {2}, "3 of 5 rows differ (first 1 shown)\n"},
        {2, {2, 3}, "3 of 5 rows differ (first 2 shown)\n"},
        {3, {2, 3, 5}, "3 of 5 rows differ\n"},
        {100, {2, 3, 5}, "3 of 5 rows differ\n"},
    };
    for (const report_case &c : cases) {
        check_report report(hex.layout, quodra_diagnosis::divider_shape{}, c.max_report);
        std::string out;
        for (uint64_t line = 1; line <= 5; ++line) {
            result_row row;
            ASSERT_EQ(hex.parse(lines[line - 1], row), line_kind::data);
            row.line = line;
            report.add(row, model, out);
        }
        std::string expected;
        for (uint64_t line : c.shown_lines) {
            expected += "line " + std::to_string(line) + ": dividend -7 (0xf9), divisor 2 (0x02)\n";
            expected += line == 2   ? "  quotient: expected -3 (0xfd), got -4 (0xfc)\n"
                        : line == 3 ? "  div_by_zero: expected 0, got 1\n"
                                    : "  remainder: expected -1 (0xff), got 1 (0x01)\n";
        }
        EXPECT_EQ(out, expected) << c.max_report;
        EXPECT_EQ(report.summary(), c.summary) << c.max_report;
        EXPECT_EQ(report.rows(), 5u);
        EXPECT_FALSE(report.all_agree());
    }
    check_report clean(hex.layout, quodra_diagnosis::divider_shape{}, 10);
    std::string out;
    result_row row;
    ASSERT_EQ(hex.parse(lines[0], row), line_kind::data);
    clean.add(row, model, out);
    EXPECT_EQ(out, "");
    EXPECT_TRUE(clean.all_agree());
    EXPECT_EQ(clean.summary(), "0 of 1 rows differ\n");
}

} // namespace
