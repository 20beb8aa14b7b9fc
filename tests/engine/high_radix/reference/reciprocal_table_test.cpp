// The reciprocal table: the telling rows in their stored binary-text form,
// every entry recomputed from the defining rule with GNU MP, the field
// ranges, and the interpolated reciprocal over every interval.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "engine/high_radix/reference/setup.h"
#include "engine/high_radix/reference/reciprocal_table.h"

namespace {

// The 18 binary digits of bits [low, low + 18) of an entry, most significant first.
std::string eighteen_digits(uint64_t entry, unsigned low) {
    std::string text;
    for (int bit = 17; bit >= 0; --bit) text += ((entry >> (low + bit)) & 1) ? '1' : '0';
    return text;
}

struct telling_row {
    uint32_t index;
    const char *upper_text;
    const char *lower_text;
    uint32_t base;  // B_i
    uint32_t slope; // C_i
};

const telling_row telling_rows[] = {
    {0, "111111111000000001", "010000000001000000", 523266, 16},
    {1, "111111101000000101", "010000000001100000", 521226, 24},
    {255, "010101011000111010", "010010001110000100", 175220, 2273},
    {256, "010101010001110010", "110010001110010100", 174309, 2277},
    {510, "000000000110000001", "110010111111110100", 771, 3069},
    {511, "000000000010000001", "010010111111111000", 258, 3070},
};

TEST(ReciprocalTable, TellingRowsMatchTheirStoredTexts) {
    for (const telling_row &row : telling_rows) {
        SCOPED_TRACE(row.index);
        const uint64_t entry = reciprocal_table::entry(row.index);
        EXPECT_EQ(eighteen_digits(entry, 18), row.upper_text);
        EXPECT_EQ(eighteen_digits(entry, 0), row.lower_text);

        // Read back as the stored form is read: both texts as one number.
        mpz_t parsed;
        mpz_init(parsed);
        ASSERT_EQ(mpz_set_str(parsed, (std::string(row.upper_text) + row.lower_text).c_str(), 2),
                  0);
        EXPECT_EQ(mpz_get_ui(parsed), entry);
        mpz_clear(parsed);

        EXPECT_EQ(reciprocal_table::base(row.index), 8 * row.base + 4);
        EXPECT_EQ(reciprocal_table::slope(row.index), 4 * row.slope);
    }
}

// B_i and C_i straight from their closed forms, in GNU MP arithmetic.
long closed_form_base(long i) {
    mpz_t q;
    mpz_init(q);
    mpz_set_ui(q, 1);
    mpz_mul_2exp(q, q, 30);
    mpz_fdiv_q_ui(q, q, static_cast<unsigned long>(1025 + 2 * i));
    const long b = mpz_get_si(q) - (1L << 19) + 2;
    mpz_clear(q);
    return b;
}

long closed_form_slope(long i) {
    if (i == 0) return 4096 + 2 * (closed_form_base(1) - closed_form_base(0));
    if (i == 511) return 4096 + 2 * (closed_form_base(511) - closed_form_base(510));
    return 4096 + closed_form_base(i + 1) - closed_form_base(i - 1);
}

TEST(ReciprocalTable, EveryEntryFollowsTheRule) {
    for (long i = 0; i < 512; ++i) {
        const uint64_t expected = (static_cast<uint64_t>(8 * closed_form_base(i) + 4) << 14) |
                                  static_cast<uint64_t>(4 * closed_form_slope(i));
        ASSERT_EQ(reciprocal_table::entry(static_cast<uint32_t>(i)), expected) << "entry " << i;
        ASSERT_LT(expected, uint64_t{1} << 36);
    }
}

TEST(ReciprocalTable, BasesFallAndSlopesStayInRange) {
    EXPECT_EQ(reciprocal_table::base(0) >> 3, 523266u);
    EXPECT_EQ(reciprocal_table::base(511) >> 3, 258u);
    for (uint32_t i = 0; i < 512; ++i) {
        const uint32_t b = reciprocal_table::base(i);
        const uint32_t c = reciprocal_table::slope(i);
        EXPECT_EQ(b & 7u, 4u) << i;
        EXPECT_EQ(c & 3u, 0u) << i;
        EXPECT_GE(c >> 2, 16u) << i;
        EXPECT_LE(c >> 2, 3070u) << i;
        if (i > 0) {
            EXPECT_LT(b, reciprocal_table::base(i - 1)) << i;
        }
    }
}

// R for the normalised divisor x = 1 + (index + (offset + 2^16) / 2^17) / 512.
double exact_reciprocal(uint32_t index, int32_t offset) {
    const double x = 1.0 + (index + (offset + 65536.0) / 131072.0) / 512.0;
    return 262144.0 / x;
}

TEST(ReciprocalTable, InterpolatedReciprocalStaysInItsPortAndNearTwoToThe18OverX) {
    const int32_t offsets[] = {-65536, -65535, -1, 0, 1, 65534, 65535};
    for (uint32_t index = 0; index < 512; ++index) {
        uint32_t previous = UINT32_MAX;
        for (int32_t offset : offsets) {
            const uint32_t R = interpolated_reciprocal({index, offset});
            ASSERT_GE(R, 1u << 17) << index << " " << offset;
            ASSERT_LE(R, (1u << 18) - 1) << index << " " << offset;
            // Linear interpolation of 1/x over 1/512 of an octave is good to
            // a fraction of a unit; the base's rounding adds under one more.
            ASSERT_LE(std::fabs(R - exact_reciprocal(index, offset)), 2.0)
                << index << " " << offset;
            ASSERT_LE(R, previous) << "R must fall as the offset grows: " << index;
            previous = R;
        }
    }
}

TEST(ReciprocalTable, PowerOfTwoDivisorGetsTheLargestReciprocal) {
    EXPECT_EQ(interpolated_reciprocal({0, -65536}), 262143u);
}

} // namespace
