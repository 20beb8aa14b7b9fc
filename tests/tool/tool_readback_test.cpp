// -i reads the tool's own table, CSV and hex files back as stimulus: the
// operand columns are divided again, the result columns ignored. Each golden
// file read back must give what dividing the same samples directly gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

using arguments = std::vector<std::string>;

arguments with(arguments base, const arguments &more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

struct configuration {
    const char *name;
    arguments flags;
};

const configuration configurations[] = {
    {"signed remainder 8/8", {"--signed", "--dividend-width", "8", "--divisor-width", "8"}},
    {"unsigned remainder 8/8", {"--unsigned", "--dividend-width", "8", "--divisor-width", "8"}},
    {"radix2 fractional",
     {"-a", "radix2", "--fractional", "--fractional-width", "4", "--dividend-width", "8",
      "--divisor-width", "6"}},
    // The random edge pairs always include a zero divisor: its quotient is
    // unknown ('x' digits, '-' cells) in this algorithm's rows.
    {"high radix fractional",
     {"-a", "high-radix", "--fractional", "--fractional-width", "5", "--dividend-width", "12",
      "--divisor-width", "7"}},
    {"unsigned 100-bit", {"--unsigned", "--dividend-width", "100", "--divisor-width", "100"}},
};

const char *const formats[] = {"table", "csv", "hex"};

TEST(ToolReadback, EveryFormatReadBackGivesTheDirectOutput) {
    scratch_directory scratch;
    for (const configuration &config : configurations) {
        const arguments samples = {"--random", "40", "--seed", "11"};
        std::vector<tool_run> direct;
        for (const char *format : formats) {
            direct.push_back(
                run_tool(with(with(config.flags, samples), {"-f", format, "--header"})));
            ASSERT_EQ(direct.back().exit_status, 0) << direct.back().err;
        }
        for (const char *golden_format : formats) {
            for (const char *header : {"--header", "--no-header"}) {
                SCOPED_TRACE(std::string(config.name) + ", golden " + golden_format + " " +
                             header);
                const std::string golden = scratch.file(std::string("golden.") + golden_format);
                const tool_run written = run_tool(with(
                    with(config.flags, samples), {"-f", golden_format, header, "-o", golden}));
                ASSERT_EQ(written.exit_status, 0) << written.err;
                for (std::size_t f = 0; f < direct.size(); ++f) {
                    const tool_run again = run_tool(
                        with(config.flags, {"-i", golden, "-f", formats[f], "--header"}));
                    EXPECT_EQ(again.exit_status, 0) << again.err;
                    EXPECT_EQ(again.out, direct[f].out) << formats[f];
                }
            }
        }
    }
}

TEST(ToolReadback, ResultColumnsAreIgnoredAndStandardInputWorks) {
    const arguments flags = {"--signed", "--dividend-width", "8", "--divisor-width", "8",
                             "-f", "csv", "--no-header"};
    // -7 / 2 and -128 / -1 with every result column wrong.
    const std::string hex = "\xef\xbb\xbf" "f9 02 00 00 1\n\n80 ff 11 22 1\n";
    const tool_run run = run_tool(flags, hex);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, run_tool(with(flags, {"-7", "2", "-128", "-1"})).out);
    // By hand: -7 / 2 truncates to -3 rem -1; 0x80 / 0xff overflows to 0x80 rem 0.
    EXPECT_EQ(fields_of(lines_of(run.out).at(0), ',').at(2), "-3");
    EXPECT_EQ(fields_of(lines_of(run.out).at(1), ',').at(3), "0x80");
}

struct refusal {
    const char *name;
    arguments written_with; // writes g.txt; empty: input is the text
    std::string input;
    arguments read_with;
    const char *message;
};

TEST(ToolReadback, MismatchesAndPairErrorsAreRefusedWithTheLine) {
    const arguments w8 = {"--dividend-width", "8", "--divisor-width", "8"};
    const arguments w16 = {"--dividend-width", "16", "--divisor-width", "16"};
    const refusal cases[] = {
        {"hex of wider fields", with(w16, {"-f", "hex"}), "", w8,
         "g.txt:1: unexpected '000e 0002 0' after the divisor: one DIVIDEND DIVISOR pair per "
         "line (nor is it a hex row of this configuration: dividend '0064' has 4 hex digits "
         "where the 8-bit signed dividend field is written with 2"},
        {"hex of narrower fields", with(w8, {"-f", "hex"}), "", w16,
         "dividend '64' has 2 hex digits where the 16-bit signed dividend field is written "
         "with 4"},
        {"hex header of other widths", with(w16, {"-f", "hex", "--header"}), "", w8,
         "g.txt:1: the file's header says"},
        {"table header of other signedness", with(w8, {"-f", "table", "--header"}), "",
         with(w8, {"--unsigned"}), "g.txt:1: the file's header says"},
        {"CSV columns of other mode", with(w8, {"-f", "csv", "--header"}), "",
         with(w8, {"--fractional"}), "g.txt:1: the file's header says"},
        {"bad row after the first", {}, "64 07 0e 02 0\n6 07 0e 02 0\n", w8,
         "g.txt:2: dividend '6' has 1 hex digits"},
        {"three-cell pair line", {}, "# pairs\n1 2 3\n", w8,
         "g.txt:2: unexpected '3' after the divisor: one DIVIDEND DIVISOR pair per line\n"},
        {"pair line of column names", {}, "dividend divisor\n", w8,
         "g.txt:1: malformed dividend 'dividend'"},
        {"'#' note among hex rows", {}, "64 07 0e 02 0\n# run 7\n64 07 0e 02 0\n", w8,
         "g.txt:2: 3 columns where a hex row of this configuration has 5 ('#' starts a "
         "comment only in a file of DIVIDEND DIVISOR pairs)"},
        {"five-cell pair line", {}, "1 2 3 4 5\n", w8,
         "g.txt:1: unexpected '3 4 5' after the divisor: one DIVIDEND DIVISOR pair per line "
         "(nor is it a hex row"},
    };
    scratch_directory scratch;
    const std::string file = scratch.file("g.txt");
    for (const refusal &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.written_with.empty()) {
            write_text(file, c.input);
        } else {
            ASSERT_EQ(run_tool(with(c.written_with, {"100", "7", "-o", file})).exit_status, 0);
        }
        const tool_run run = run_tool(with(c.read_with, {"-i", file}));
        EXPECT_EQ(run.exit_status, 2);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        if (std::string(c.message).find(":1:") != std::string::npos) {
            EXPECT_EQ(run.out, ""); // refused before any output
        }
    }
}

// With or without header lines, and with a '#' note above the first row (a
// line that holds no sample, before the line that tells the format).
TEST(ToolReadback, ShardsAndJobsOfAGoldenFileMatchTheWholeRun) {
    scratch_directory scratch;
    const arguments flags = {"--unsigned", "--dividend-width", "8", "--divisor-width", "8"};
    for (const char *format : formats) {
        for (const char *header : {"--header", "--no-header"}) {
            for (const bool note : {false, true}) {
                SCOPED_TRACE(std::string(format) + " " + header + (note ? ", a note first" : ""));
                const std::string golden = scratch.file("golden");
                ASSERT_EQ(run_tool(with(flags, {"--random", "9", "-f", format, header, "-o",
                                                golden}))
                              .exit_status,
                          0);
                if (note) write_text(golden, "# stimulus of run 7\n" + read_text(golden));
                const arguments read = with(flags, {"-i", golden, "-f", "hex", "--no-header"});
                const tool_run whole = run_tool(read);
                ASSERT_EQ(lines_of(whole.out).size(), 9u) << whole.err;
                EXPECT_EQ(run_tool(with(read, {"--jobs", "3", "--batch-size", "2"})).out,
                          whole.out);
                // Nine rows in three parts of three: header lines and notes
                // are not samples.
                std::string joined;
                for (const char *shard : {"1/3", "2/3", "3/3"}) {
                    const tool_run part = run_tool(with(read, {"--shard", shard}));
                    EXPECT_EQ(part.exit_status, 0) << shard << part.err;
                    EXPECT_EQ(lines_of(part.out).size(), 3u) << shard << part.err;
                    joined += part.out;
                }
                EXPECT_EQ(joined, whole.out);
            }
        }
    }
}

} // namespace
