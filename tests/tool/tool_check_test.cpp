// quodra-div --check: the tool's own output checks clean in every format
// and mode; a changed field is reported against hand-worked values; the
// report is capped; malformed and empty files are bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

constexpr int all_agree = 0;
constexpr int bad_input = 2;
constexpr int rows_differ = 4;

using words = std::vector<std::string>;

words operator+(words left, const words &right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// A report with its diagnosis taken out: the classes block ("classes of
// the N differing rows:") and the coverage block ("coverage: ..."), each a
// heading and indented lines, just before the summary. Both have their own
// tests.
std::string without_block(const std::string &report, const std::string &heading) {
    const std::size_t start = report.find(heading);
    if (start == std::string::npos) return report;
    std::size_t end = report.find('\n', start) + 1;
    while (report.compare(end, 2, "  ") == 0 && report.find('\n', end) != std::string::npos) {
        end = report.find('\n', end) + 1;
    }
    return report.substr(0, start) + report.substr(end);
}

std::string without_diagnosis(const std::string &report) {
    return without_block(without_block(report, "classes of the "), "coverage: ");
}

std::string joined(const words &arguments) {
    std::string text;
    for (const std::string &argument : arguments) text += argument + ' ';
    return text;
}

const words eight_bits{"--dividend-width", "8", "--divisor-width", "8"};

struct mode_case {
    const char *name;
    words configuration;
    words samples; // DIVIDEND DIVISOR pairs
};

const mode_case modes[] = {
    {"signed remainder", eight_bits + words{"--signed", "--remainder"},
     {"100", "7", "-7", "2", "7", "-2", "-128", "-1", "5", "0", "-5", "0"}},
    {"unsigned remainder", eight_bits + words{"--unsigned", "--remainder"},
     {"200", "7", "255", "16", "0", "3", "5", "0"}},
    {"signed Radix-2 fractional",
     eight_bits + words{"--signed", "--fractional", "--fractional-width", "4"},
     {"7", "2", "-7", "2", "-1", "3", "-5", "0"}},
    {"High Radix with a zero divisor",
     eight_bits + words{"-a", "high-radix", "--fractional", "--fractional-width", "4"},
     {"100", "7", "100", "-7", "-128", "-1", "3", "0"}},
    {"Radix-2 without fraction bits",
     eight_bits + words{"--unsigned", "--fractional", "--fractional-width", "0"},
     {"9", "2", "1", "0"}},
};

const char *const formats[] = {"table", "csv", "hex"};

std::string summary(std::size_t differing, std::size_t rows) {
    return std::to_string(differing) + " of " + std::to_string(rows) + " rows differ\n";
}

// One mode per test, so that ctest runs the modes side by side.
class ToolCheckOwnOutput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ToolCheckOwnOutput, ChecksCleanInEveryFormatWithAndWithoutHeaders) {
    scratch_directory dir;
    const std::string path = dir.file("results");
    const mode_case &mode = modes[GetParam()];
    for (const char *format : formats) {
        for (const char *header : {"--header", "--no-header"}) {
            const tool_run made =
                run_tool(mode.configuration + words{"-f", format, header} + mode.samples);
            ASSERT_EQ(made.exit_status, 0) << made.err;
            write_text(path, made.out);
            const std::string what = std::string(mode.name) + ", " + format + ", " + header;
            // Recognised from the content, and named with -f.
            for (const words &format_flag : {words{}, words{"-f", format}}) {
                const tool_run check =
                    run_tool(mode.configuration + format_flag + words{"--check", path});
                EXPECT_EQ(check.exit_status, all_agree) << what << ": " << check.err;
                EXPECT_EQ(without_diagnosis(check.out), summary(0, mode.samples.size() / 2)) << what;
                EXPECT_EQ(check.err, "") << what;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ToolCheckOwnOutput,
                         ::testing::Range(std::size_t{0}, std::size(modes)));

TEST(ToolCheck, TheConfigurationNameMayDiffer) {
    // The name only labels library messages.
    scratch_directory dir;
    const std::string path = dir.file("results");
    const tool_run made = run_tool(eight_bits + words{"-f", "hex", "--header", "1", "2"});
    ASSERT_EQ(made.exit_status, 0) << made.err;
    write_text(path, made.out);
    const tool_run renamed = run_tool(eight_bits + words{"-n", "DUT \"v2\": x", "--check", path});
    EXPECT_EQ(renamed.exit_status, all_agree) << renamed.err;
}

// Replaces one cell of one line of a file the tool wrote; table and hex
// cells are blank-separated, CSV cells comma-separated.
std::string with_cell(const std::string &text, std::size_t line_index, std::size_t column,
                      const std::string &cell, char separator) {
    std::vector<std::string> lines = lines_of(text);
    std::vector<std::string> cells = fields_of(lines.at(line_index), separator);
    cells.at(column) = cell;
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        line += (i > 0 ? std::string(1, separator) : std::string()) + cells[i];
    }
    lines[line_index] = line;
    std::string result;
    for (const std::string &l : lines) {
        result += l + '\n';
    }
    return result;
}

struct corruption_case {
    const char *what;
    words configuration;
    words samples;
    const char *format;
    std::size_t line_index; // 0-based line of the written file
    std::size_t column;
    const char *cell;
    std::string report; // everything before the summary
};

const words signed_remainder = eight_bits + words{"--signed", "--remainder"};
const words unsigned_remainder = eight_bits + words{"--unsigned", "--remainder"};
const words radix2_fractional =
    eight_bits + words{"--signed", "--fractional", "--fractional-width", "4"};
const words high_radix =
    eight_bits + words{"-a", "high-radix", "--fractional", "--fractional-width", "4"};

// Hand-worked: 100 / 7 = 14 rem 2; -7 / 2 = -3 rem -1; 200 / 7 = 28 rem 4;
// signed 8.4 Radix-2: 7 / 2 = 3.5 (quotient 3, fraction 4 = 0.5 in 3 bits),
// -1 / 3 = -0.25 (fraction -2 = 0xe); High Radix 3 / 0 leaves the quotient
// undefined and raises the flag; 100 / 7 = 14.3125 (0x00e, 5).
const corruption_case corruptions[] = {
    {"quotient, CSV", signed_remainder, {"100", "7", "-7", "2"}, "csv", 2, 2, "15",
     "line 3: dividend 100 (0x64), divisor 7 (0x07)\n"
     "  quotient: expected 14 (0x0e), got 15 (0x0e)\n"},
    {"quotient hex, table", signed_remainder, {"100", "7", "-7", "2"}, "table", 3, 3, "0xfc",
     "line 4: dividend -7 (0xf9), divisor 2 (0x02)\n"
     "  quotient: expected -3 (0xfd), got -3 (0xfc)\n"},
    {"remainder, hex", signed_remainder, {"100", "7", "-7", "2"}, "hex", 1, 3, "01",
     "line 2: dividend -7 (0xf9), divisor 2 (0x02)\n"
     "  remainder: expected -1 (0xff), got 1 (0x01)\n"},
    {"remainder, unsigned hex", unsigned_remainder, {"200", "7"}, "hex", 0, 3, "05",
     "line 1: dividend 200 (0xc8), divisor 7 (0x07)\n"
     "  remainder: expected 4 (0x04), got 5 (0x05)\n"},
    {"div_by_zero, unsigned CSV", unsigned_remainder, {"200", "7", "5", "0"}, "csv", 2, 6, "1",
     "line 3: dividend 200 (0xc8), divisor 7 (0x07)\n"
     "  div_by_zero: expected 0, got 1\n"},
    {"fraction, Radix-2 hex", radix2_fractional, {"7", "2", "-1", "3"}, "hex", 1, 3, "d",
     "line 2: dividend -1 (0xff), divisor 3 (0x03)\n"
     "  fraction: expected -2 (0xe), got -3 (0xd)\n"},
    {"real, Radix-2 CSV", radix2_fractional, {"7", "2", "-1", "3"}, "csv", 2, 6, "3.25",
     "line 3: dividend 7 (0x07), divisor 2 (0x02)\n"
     "  real: expected 3.5, got 3.25\n"},
    {"undefined quotient given where defined, High Radix CSV", high_radix,
     {"100", "7", "3", "0"}, "csv", 2, 2, "",
     "line 3: dividend 100 (0x64), divisor 7 (0x07)\n"
     "  quotient: expected 14 (0x00e), got undefined\n"},
    {"div_by_zero of a zero divisor, High Radix table", high_radix, {"100", "7", "3", "0"},
     "table", 3, 7, "0",
     "line 4: dividend 3 (0x03), divisor 0 (0x00)\n"
     "  div_by_zero: expected 1, got 0\n"},
};

TEST(ToolCheck, OneChangedFieldIsReportedWithItsLine) {
    scratch_directory dir;
    const std::string path = dir.file("results");
    for (const corruption_case &c : corruptions) {
        const tool_run made = run_tool(c.configuration + words{"-f", c.format} + c.samples);
        ASSERT_EQ(made.exit_status, 0) << made.err;
        const char separator = std::string(c.format) == "csv" ? ',' : ' ';
        write_text(path, with_cell(made.out, c.line_index, c.column, c.cell, separator));
        const tool_run check = run_tool(c.configuration + words{"--check", path});
        EXPECT_EQ(check.exit_status, rows_differ) << c.what << ": " << check.err;
        EXPECT_EQ(without_diagnosis(check.out), c.report + summary(1, c.samples.size() / 2))
            << c.what;
    }
}

// A correct file checked without the widths it was written with is refused
// (status 2, naming what the file shows), in every format, with header
// lines or without: never reported as a failing design. Each pair of
// configurations differs in the digit count of at least one field.
TEST(ToolCheck, AFileWrittenForOtherWidthsIsRefusedNeverFailed) {
    struct widths_case {
        words written;
        words checked;
    };
    const widths_case cases[] = {
        {{"--dividend-width", "12", "--divisor-width", "12"}, {}}, // the flags forgotten
        {{}, {"--dividend-width", "8", "--divisor-width", "8"}},
        {{"--dividend-width", "8", "--divisor-width", "4"},
         {"--dividend-width", "8", "--divisor-width", "8"}},
        {{"--dividend-width", "20", "--divisor-width", "20", "--unsigned"}, {"--unsigned"}},
        {radix2_fractional, eight_bits + words{"--signed", "--fractional", "--fractional-width",
                                               "12"}},
    };
    scratch_directory dir;
    const std::string path = dir.file("results");
    for (const widths_case &c : cases) {
        for (const char *format : {"hex", "csv", "table"}) {
            for (const char *header : {"--header", "--no-header"}) {
                const words written = c.written + words{"-f", format, header, "--random", "300"};
                SCOPED_TRACE(joined(written) + "checked with " + joined(c.checked));
                ASSERT_EQ(run_tool(written + words{"-o", path}).exit_status, 0);
                const tool_run check = run_tool(c.checked + words{"--check", path});
                EXPECT_EQ(check.exit_status, bad_input) << check.out;
                EXPECT_EQ(check.out, "");
                const bool headed = std::string(header) == "--header";
                EXPECT_NE(check.err.find(headed ? "the flags the file was written with"
                                                : "the widths the file was written with"),
                          std::string::npos)
                    << check.err;
            }
        }
    }
}

TEST(ToolCheck, AnyValueAgreesWhereTheCoreLeavesTheQuotientUndefined) {
    // High Radix, 3 / 0: the quotient register is undefined, the flag is 1.
    for (const char *row : {"03 00 xxx x 1", "03 00 000 0 1", "03 00 1ff f 1"}) {
        const tool_run check = run_tool(high_radix + words{"--check", "-"}, std::string(row) + "\n");
        EXPECT_EQ(check.exit_status, all_agree) << row << ": " << check.err;
        EXPECT_EQ(without_diagnosis(check.out), summary(0, 1)) << row;
    }
}

// Random rows with every div_by_zero flag inverted: every row differs.
std::string all_flags_flipped(const tool_run &made) {
    std::string text;
    for (std::string line : lines_of(made.out)) {
        line.back() = line.back() == '0' ? '1' : '0';
        text += line + '\n';
    }
    return text;
}

TEST(ToolCheck, OnlyTheFirstKDifferingRowsAreShownAndAllAreCounted) {
    scratch_directory dir;
    const std::string path = dir.file("flipped.hex");
    const tool_run made = run_tool(signed_remainder + words{"-f", "hex", "--random", "40"});
    ASSERT_EQ(made.exit_status, 0) << made.err;
    write_text(path, all_flags_flipped(made));

    for (const auto &[k, flags] : std::vector<std::pair<std::size_t, words>>{
             {10, {}}, {3, {"--max-report", "3"}}, {0, {"--max-report", "0"}},
             {40, {"--max-report", "100"}}}) {
        const tool_run check = run_tool(signed_remainder + flags + words{"--check", path});
        EXPECT_EQ(check.exit_status, rows_differ) << check.err;
        const std::vector<std::string> lines = lines_of(without_diagnosis(check.out));
        std::vector<std::string> headings;
        for (const std::string &line : lines) {
            if (line.rfind("line ", 0) == 0) {
                headings.push_back(line.substr(0, line.find(':')));
            }
        }
        ASSERT_EQ(headings.size(), k);
        for (std::size_t i = 0; i < k; ++i) {
            EXPECT_EQ(headings[i], "line " + std::to_string(i + 1));
        }
        const std::string shown =
            k > 0 && k < 40 ? " (first " + std::to_string(k) + " shown)" : "";
        EXPECT_EQ(lines.back(), "40 of 40 rows differ" + shown);
        EXPECT_EQ(lines.size(), 2 * k + 1); // heading and flag line per shown row
    }
}

TEST(ToolCheck, SmallBatchesGiveTheSameReportAsOneBatch) {
    scratch_directory dir;
    const std::string path = dir.file("results.csv");
    const tool_run made = run_tool(radix2_fractional + words{"-f", "csv", "--random", "50"});
    ASSERT_EQ(made.exit_status, 0) << made.err;
    // Every seventh data row's real value changed to a value no 8.4 result has
    // (lines 0 and 1 are the configuration comment and the column names).
    std::string text = made.out;
    for (std::size_t line = 2; line <= 51; line += 7) {
        text = with_cell(text, line, 6, "0.03", ',');
    }
    write_text(path, text);
    const tool_run whole = run_tool(radix2_fractional + words{"--max-report", "100", "--check", path});
    EXPECT_EQ(whole.exit_status, rows_differ) << whole.err;
    EXPECT_NE(whole.out.find("line 3: "), std::string::npos);
    EXPECT_NE(whole.out.find("line 52: "), std::string::npos);
    EXPECT_NE(whole.out.find("8 of 50 rows differ\n"), std::string::npos);
    for (const char *batch : {"1", "3", "7"}) {
        const tool_run batched = run_tool(radix2_fractional + words{"--batch-size", batch,
                                                                    "--max-report", "100",
                                                                    "--check", path});
        EXPECT_EQ(batched.exit_status, rows_differ) << batched.err;
        EXPECT_EQ(batched.out, whole.out) << "batch size " << batch;
    }
}

struct bad_check_case {
    const char *what;
    words arguments; // after the signed-remainder configuration; FILE is the file
    std::string content;
    std::string message;
};

TEST(ToolCheck, MalformedEmptyAndMismatchedFilesAreBadInput) {
    scratch_directory dir;
    const std::string path = dir.file("file");
    const bad_check_case cases[] = {
        {"empty file", {}, "", "file: no result rows to check"},
        {"only blank lines", {}, "\n  \n", "file: no result rows to check"},
        {"only a header", {}, "dividend,divisor,quotient,quotient_hex,remainder,remainder_hex,"
                              "div_by_zero\n",
         "file: no result rows to check"},
        {"bad hex digit on line 3", {}, "64 07 0e 02 0\n\nf9 02 fg ff 0\n",
         "file:3: malformed quotient 'fg'"},
        {"missing column on line 2", {}, "100,7,14,0x0e,2,0x02,0\n-7,2,-3,0xfd,-1,0xff\n",
         "file:2: 6 columns where a CSV row of this configuration has 7"},
        {"flag neither 0 nor 1", {}, "64 07 0e 02 y\n", "file:1: malformed div_by_zero 'y'"},
        {"operand wider than its field", {}, "1ff 07 0e 02 0\n",
         "file:1: dividend '1ff' has 3 hex digits where the 8-bit signed dividend field is "
         "written with 2"},
        {"written for other flags", {},
         "configuration \"Default configuration\": radix2, unsigned, remainder output, "
         "dividend 8 bits, divisor 8 bits\n",
         "file:1: the file's header says 'radix2, unsigned"},
        {"hex named but CSV given", {"-f", "hex"}, "100,7,14,0x0e,2,0x02,0\n",
         "file:1: 1 column where a hex row of this configuration has 5"},
        {"missing file", {"--check", "missing"}, "", "cannot read"},
        {"samples as well", {"1", "2"}, "64 07 0e 02 0\n", "--check takes its samples"},
        {"exhaustive as well", {"--exhaustive"}, "64 07 0e 02 0\n", "--check takes its samples"},
        {"worker threads", {"--jobs", "2"}, "64 07 0e 02 0\n", "leave out --jobs and --shard"},
        {"a shard", {"--shard", "1/2"}, "64 07 0e 02 0\n", "leave out --jobs and --shard"},
        {"no file name", {"--check", ""}, "", "--check needs a FILE"},
    };
    for (const bad_check_case &c : cases) {
        write_text(path, c.content);
        words arguments = signed_remainder + c.arguments;
        if (std::find(c.arguments.begin(), c.arguments.end(), "--check") == c.arguments.end()) {
            arguments = arguments + words{"--check", path};
        } else {
            for (std::string &word : arguments) {
                word = word == "missing" ? dir.file("missing") : word;
            }
        }
        const tool_run check = run_tool(arguments);
        EXPECT_EQ(check.exit_status, bad_input) << c.what;
        EXPECT_NE(check.err.find(c.message), std::string::npos) << c.what << ": " << check.err;
    }
    EXPECT_EQ(run_tool({"--max-report", "3", "1", "2"}).exit_status, bad_input);
}

TEST(ToolCheck, OutputWrapAndHeaderFlagsWithCheck) {
    scratch_directory dir;
    // -o takes the report; the exit status still tells the outcome.
    const std::string report = dir.file("report.txt");
    const tool_run to_file = run_tool(signed_remainder + words{"--check", "-", "-o", report},
                                      "64 07 0e 03 0\n");
    EXPECT_EQ(to_file.exit_status, rows_differ) << to_file.err;
    EXPECT_EQ(to_file.out, "");
    EXPECT_EQ(without_diagnosis(read_text(report)), "line 1: dividend 100 (0x64), divisor 7 (0x07)\n"
                                 "  remainder: expected 2 (0x02), got 3 (0x03)\n" +
                                     summary(1, 1));
    // 300 keeps its low 8 bits, 44: 44 / 7 = 6 rem 2.
    const std::string wrapped = "300,7,6,0x06,2,0x02,0\n";
    EXPECT_EQ(run_tool(signed_remainder + words{"--check", "-"}, wrapped).exit_status, bad_input);
    const tool_run wrap = run_tool(signed_remainder + words{"--wrap-operands", "--check", "-"},
                                   wrapped);
    EXPECT_EQ(wrap.exit_status, all_agree) << wrap.err;
    // Header lines are recognised whatever --header or --no-header say.
    const std::string headed = "// dividend[8] divisor[8] quotient[8] remainder[8] "
                               "div_by_zero[1]\n64 07 0e 02 0\n";
    for (const char *flag : {"--header", "--no-header"}) {
        const tool_run check = run_tool(signed_remainder + words{flag, "--check", "-"}, headed);
        EXPECT_EQ(check.exit_status, all_agree) << flag << ": " << check.err;
    }
}

// Every bin a shape lists as required is reachable: an exhaustive run of a
// small core of each kind reaches all of them (--require-coverage passes),
// and the report names each bin with its count.
TEST(ToolCoverage, AnExhaustiveRunReachesEveryRequiredBin) {
    const words shapes[] = {
        {"--dividend-width", "4", "--divisor-width", "3"},
        {"--unsigned", "--dividend-width", "3", "--divisor-width", "2"},
        {"--dividend-width", "3", "--divisor-width", "1"},
        {"--unsigned", "--dividend-width", "3", "--divisor-width", "1"},
        {"--fractional", "--dividend-width", "4", "--divisor-width", "3", "--fractional-width", "2"},
        {"--fractional", "--unsigned", "--dividend-width", "4", "--divisor-width", "3",
         "--fractional-width", "3"},
        {"-a", "high-radix", "--fractional", "--dividend-width", "5", "--divisor-width", "4",
         "--fractional-width", "2"},
        {"-a", "lutmult", "--dividend-width", "4", "--divisor-width", "4"},
    };
    for (const words &shape : shapes) {
        const tool_run run = run_tool(shape + words{"--exhaustive", "--require-coverage", "-f",
                                                    "hex", "-o", "/dev/null"});
        EXPECT_EQ(run.exit_status, all_agree) << joined(shape) << run.err;
        EXPECT_EQ(run.err.rfind("coverage: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find("not reached"), std::string::npos) << joined(shape) << run.err;
    }
}

// A vector set that misses required bins fails --require-coverage with
// status 5 and names them; rows that differ keep status 4; without the flag
// the same check passes.
TEST(ToolCoverage, MissedBinsFailOnlyWhenRequired) {
    const std::string rows = "64 07 0e 02 0\n"; // 100 / 7 alone
    const tool_run required =
        run_tool(signed_remainder + words{"--require-coverage", "--check", "-"}, rows);
    EXPECT_EQ(required.exit_status, 5);
    EXPECT_NE(required.out.find("coverage: 1 of 13 bins reached\n"), std::string::npos)
        << required.out;
    EXPECT_NE(required.out.find("  zero divisor                                     0  not "
                                "reached\n"),
              std::string::npos)
        << required.out;
    EXPECT_EQ(run_tool(signed_remainder + words{"--check", "-"}, rows).exit_status, all_agree);
    EXPECT_EQ(run_tool(signed_remainder + words{"--require-coverage", "--check", "-"},
                       "64 07 0f 02 0\n")
                  .exit_status,
              rows_differ);
    const tool_run run = run_tool(signed_remainder + words{"--require-coverage", "-f", "hex",
                                                           "--jobs", "2", "100", "7", "5", "0"});
    EXPECT_EQ(run.exit_status, 5);
    EXPECT_EQ(run.out, "64 07 0e 02 0\n05 00 00 00 1\n");
    EXPECT_NE(run.err.find("coverage: 2 of 13 bins reached"), std::string::npos) << run.err;
}

TEST(ToolCheck, RowsBeforeAMalformedLineAreStillReported) {
    const tool_run check = run_tool(signed_remainder + words{"--check", "-"},
                                    "64 07 0f 02 0\n64 07 0e 02 0\nnonsense\n");
    EXPECT_EQ(check.exit_status, bad_input);
    EXPECT_EQ(check.out, "line 1: dividend 100 (0x64), divisor 7 (0x07)\n"
                         "  quotient: expected 14 (0x0e), got 15 (0x0f)\n");
    EXPECT_NE(check.err.find("<stdin>:3: "), std::string::npos) << check.err;
}

} // namespace
