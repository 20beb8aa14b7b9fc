// The cells of the operand map: which values share a cell, what the cell
// is called, and the class most of its differing rows fall in.
#include <gtest/gtest.h>

#include <string>

#include "diagnosis/operand_map.h"

using quodra_diagnosis::map_axis;
using quodra_diagnosis::mismatch_class;

namespace {

struct axis_case {
    unsigned width;
    bool is_signed;
    unsigned cells;
    const char *value; // decimal
    unsigned cell;
    const char *label;
};

TEST(OperandMap, ValuesFallInCellsOfRangesOrOfBitLengths) {
    const axis_case cases[] = {
        {8, true, 64, "-128", 0, "-128 to -125"},
        {8, true, 64, "-125", 0, "-128 to -125"},
        {8, true, 64, "-124", 1, "-124 to -121"},
        {8, true, 64, "127", 63, "124 to 127"},
        {3, false, 8, "5", 5, "5"},
        {16, false, 64, "65535", 63, "64512 to 65535"},
        // Wider than 16 bits: a cell a sign and a bit length, most negative first.
        {24, true, 50, "-8388608", 0, "negative, 24 bits"},
        {24, true, 50, "-1", 23, "negative, 1 bit"},
        {24, true, 50, "0", 25, "non-negative, 0 bits"},
        {24, true, 50, "8388607", 48, "non-negative, 23 bits"},
        // 64 buckets over lengths 0..100: the last holds 100 alone, the one below 98 and 99.
        {100, false, 64, "1267650600228229401496703205375", 63, "100 bits"},
        {100, false, 64, "316912650057057350374175801343", 62, "98 to 99 bits"},
    };
    for (const axis_case &c : cases) {
        const map_axis axis(c.width, c.is_signed);
        mpz_t value;
        mpz_init_set_str(value, c.value, 10);
        EXPECT_EQ(axis.cells(), c.cells) << c.width;
        EXPECT_EQ(axis.cell_of(value), c.cell) << c.value;
        EXPECT_EQ(axis.label(axis.cell_of(value)), c.label) << c.value;
        mpz_clear(value);
    }
}

TEST(OperandMap, ACellCountsItsRowsAndNamesItsCommonestClass) {
    quodra_diagnosis::divider_shape shape;
    shape.dividend_width = 4;
    shape.divisor_width = 4;
    quodra_diagnosis::operand_map map(shape);
    mpz_t n, d;
    mpz_init_set_si(n, -7);
    mpz_init_set_si(d, 2);
    map.add(n, d, false, mismatch_class::unclassified);
    map.add(n, d, true, mismatch_class::remainder_sign);
    map.add(n, d, true, mismatch_class::remainder_sign);
    map.add(n, d, true, mismatch_class::last_place);
    const quodra_diagnosis::map_cell &cell = map.at(1, 10); // -7 + 8, 2 + 8
    EXPECT_EQ(cell.rows, 4u);
    EXPECT_EQ(cell.differing, 3u);
    EXPECT_EQ(cell.majority(), mismatch_class::remainder_sign);
    EXPECT_EQ(map.at(0, 0).rows, 0u);
    mpz_clears(n, d, nullptr);
}

} // namespace
