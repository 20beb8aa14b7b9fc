// The classes of a failing check: a design broken in one known way, over
// each algorithm and mode, has every row it gets wrong put in that class,
// with the corner bins they share.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace {

using words = std::vector<std::string>;

// One hex row: dividend, divisor, quotient, second field, flag, each the
// pattern and its digit count.
struct hex_row {
    uint64_t cell[5];
    std::size_t digits[5];
};

hex_row parse_row(const std::string &line) {
    std::istringstream in(line);
    hex_row row{};
    for (int i = 0; i < 5; ++i) {
        std::string cell;
        in >> cell;
        row.cell[i] = std::stoull(cell, nullptr, 16);
        row.digits[i] = cell.size();
    }
    return row;
}

std::string hex_text(const hex_row &row) {
    std::string line;
    for (int i = 0; i < 5; ++i) {
        std::ostringstream cell;
        cell << std::hex;
        cell.width(static_cast<std::streamsize>(row.digits[i]));
        cell.fill('0');
        cell << row.cell[i];
        line += (i > 0 ? " " : "") + cell.str();
    }
    return line;
}

int64_t as_signed(uint64_t pattern, unsigned width) {
    return (pattern >> (width - 1)) & 1 ? static_cast<int64_t>(pattern) - (int64_t{1} << width)
                                        : static_cast<int64_t>(pattern);
}

uint64_t mask(unsigned width) { return (uint64_t{1} << width) - 1; }

// A broken design: changes a correct row as that fault would, or returns
// false for a row the fault leaves right.
using breaker = std::function<bool(hex_row &)>;

struct broken_design {
    const char *fault;
    words configuration;
    unsigned quotient_width, second_width; // the two output fields
    breaker breaks;
    const char *expected_class;
};

const words remainder_8 = {"--dividend-width", "8", "--divisor-width", "8"};
const words lutmult_8 = {"-a", "lutmult", "--dividend-width", "8", "--divisor-width", "8"};
const words radix2_8f4 = {"--fractional", "--dividend-width", "8", "--divisor-width", "8",
                          "--fractional-width", "4"};
const words high_radix_8f4 = {"-a", "high-radix", "--fractional", "--dividend-width", "8",
                              "--divisor-width", "8", "--fractional-width", "4"};

bool divides(const hex_row &row) { return row.cell[4] == 0; }

// The quotient register of fractional output, integer part above fraction.
bool bump_register(hex_row &row, unsigned quotient_width, unsigned fraction_width) {
    const uint64_t whole = ((row.cell[2] << fraction_width) | row.cell[3]) + 1;
    row.cell[2] = (whole >> fraction_width) & mask(quotient_width);
    row.cell[3] = whole & mask(fraction_width);
    return true;
}

const broken_design designs[] = {
    {"quotient one too large", remainder_8, 8, 8,
     [](hex_row &r) { return divides(r) && (r.cell[2] = (r.cell[2] + 1) & 0xff, true); },
     "quotient off by 1 in its last place"},
    {"floored division (LutMult)", lutmult_8, 8, 8,
     [](hex_row &r) {
         const int64_t d = as_signed(r.cell[1], 8), q = as_signed(r.cell[2], 8),
                       rem = as_signed(r.cell[3], 8);
         if (!divides(r) || rem == 0 || (rem < 0) == (d < 0)) return false;
         r.cell[2] = static_cast<uint64_t>(q - 1) & 0xff;
         r.cell[3] = static_cast<uint64_t>(rem + d) & 0xff;
         return true;
     },
     "remainder with the divisor's sign instead of the dividend's"},
    {"outputs crossed", remainder_8, 8, 8,
     [](hex_row &r) { return r.cell[2] != r.cell[3] && (std::swap(r.cell[2], r.cell[3]), true); },
     "quotient and remainder swapped"},
    {"flag stuck at 0", remainder_8, 8, 8,
     [](hex_row &r) { return r.cell[4] == 1 && (r.cell[4] = 0, true); },
     "only div_by_zero wrong"},
    {"a 6-bit quotient register", remainder_8, 8, 8,
     [](hex_row &r) {
         const uint64_t cut = r.cell[2] & 0x3f;
         return cut != r.cell[2] && (r.cell[2] = cut, true);
     },
     "the model's value cut to a narrower field (wrong wrap)"},
    {"Radix-2 register one too large", radix2_8f4, 8, 4,
     [](hex_row &r) { return divides(r) && bump_register(r, 8, 4); },
     "quotient off by 1 in its last place"},
    {"Radix-2 fraction bit 1 flipped", radix2_8f4, 8, 4,
     [](hex_row &r) { return divides(r) && (r.cell[3] ^= 2, true); },
     "fraction field wrong, integer part right"},
    {"High Radix register one too large", high_radix_8f4, 9, 4,
     [](hex_row &r) { return divides(r) && bump_register(r, 9, 4); },
     "quotient off by 1 in its last place"},
    {"High Radix fraction bit 2 flipped", high_radix_8f4, 9, 4,
     [](hex_row &r) { return divides(r) && (r.cell[3] ^= 4, true); },
     "fraction field wrong, integer part right"},
};

TEST(ToolCheckClasses, EachBrokenDesignFallsInItsClass) {
    scratch_directory dir;
    for (const broken_design &design : designs) {
        SCOPED_TRACE(design.fault);
        words made_with = design.configuration;
        made_with.insert(made_with.end(), {"-f", "hex", "--random", "300", "--seed", "4"});
        const tool_run made = run_tool(made_with);
        ASSERT_EQ(made.exit_status, 0) << made.err;
        std::string broken;
        uint64_t changed = 0;
        std::istringstream rows(made.out);
        for (std::string line; std::getline(rows, line);) {
            if (line.find('x') != std::string::npos) { // an undefined High Radix quotient
                broken += line + '\n';
                continue;
            }
            hex_row row = parse_row(line);
            changed += design.breaks(row) ? 1 : 0;
            broken += hex_text(row) + '\n';
        }
        ASSERT_GT(changed, 10u);
        const std::string path = dir.file("dut.hex");
        std::FILE *file = std::fopen(path.c_str(), "w");
        std::fputs(broken.c_str(), file);
        std::fclose(file);
        words check = design.configuration;
        check.insert(check.end(), {"--check", path, "--max-report", "0"});
        const tool_run report = run_tool(check);
        EXPECT_EQ(report.exit_status, 4) << report.err;
        const std::string rows_text = std::to_string(changed) + " rows";
        EXPECT_NE(report.out.find("classes of the " + std::to_string(changed) +
                                  " differing rows:\n  " + design.expected_class + ": " +
                                  rows_text + ", e.g. line "),
                  std::string::npos)
            << report.out;
        EXPECT_EQ(report.out.find("fits no class"), std::string::npos) << report.out;
    }
}

// The corner bins of a class: a floored division (-7 / 2 as -4 r 1, -100 / 7
// as -15 r 5) shows only on negative dividends, which every row of its
// class shares; the power-of-two divisor only one of them has.
TEST(ToolCheckClasses, AClassNamesTheCornersAllItsRowsShare) {
    words check = remainder_8;
    check.insert(check.end(), {"--check", "-", "--max-report", "0"});
    const tool_run report = run_tool(check,
                                     "f9 02 fc 01 0\n9c 07 f1 05 0\n64 07 0e 02 0\n");
    EXPECT_NE(report.out.find("  remainder with the divisor's sign instead of the dividend's: 2 "
                              "rows, e.g. line 1 (-7 / 2)\n    all 2: dividend < 0, divisor > 0\n"
                              "    some: power-of-two divisor 1\n"),
              std::string::npos)
        << report.out;
}

} // namespace
