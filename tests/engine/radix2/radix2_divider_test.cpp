// The Radix-2 fractional divider: bit-serial non-restoring division, its
// quotient layouts (unsigned fixed point, signed integer field plus signed
// fraction field), zero divisors and its iteration trace.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/radix2/bit_serial_loop.h"
#include "engine/radix2/closed_form.h"
#include "support/division_properties.h"
#include "support/driver_test_support.h"
#include "support/operand_patterns.h"
#include "support/radix2_word_loop.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

struct radix2_row {
    long dividend;
    long divisor;
    unsigned long quotient;
    unsigned int div_by_zero;
};

// Radix-2, fractional output, 8-bit dividends and divisors, 4 fraction bits.
qor_quodra_v5_1_config radix2_8_bit(int32_t sign) {
    return config_builder(QUODRA_ALGORITHM_RADIX2, sign, QUODRA_OUTPUT_FRACTIONAL).widths(8, 8, 4);
}

void expect_rows(const qor_quodra_v5_1_config &c, const std::vector<radix2_row> &rows) {
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    const size_t n = rows.size();
    mpz_vector divisor(n), dividend(n), quotient(n);
    uint_vector flags(n, 7u);
    for (size_t i = 0; i < n; ++i) {
        divisor.set(i, rows[i].divisor);
        dividend.set(i, rows[i].dividend);
    }
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), static_cast<uint32_t>(n)),
              0);
    EXPECT_TRUE(model.calls().empty());
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(std::to_string(rows[i].dividend) + " / " + std::to_string(rows[i].divisor));
        EXPECT_EQ(mpz_cmp_ui(quotient.at(i), rows[i].quotient), 0) << "0x" << quotient.text(i, 16);
        EXPECT_EQ(flags.at(i), rows[i].div_by_zero);
    }
}

TEST(Radix2, UnsignedFixedPointQuotients) {
    expect_rows(radix2_8_bit(QUODRA_OPERAND_UNSIGNED),
                {
                    {7, 2, 0x038, 0},
                    {1, 3, 0x005, 0},
                    {255, 1, 0xFF0, 0},
                    {255, 255, 0x010, 0},
                    {300, 7, 0x064, 0}, // bit 8 ignored: 44 / 7
                    {5, 0, 0xFFF, 1},
                    {0, 9, 0x000, 0},
                    {-1, 1, 0xFF0, 0}, // stored pattern, low 8 bits 255
                });
}

TEST(Radix2, SignedIntegerAndFractionFields) {
    expect_rows(radix2_8_bit(QUODRA_OPERAND_SIGNED), {
                                                         {7, 2, 0x034, 0},
                                                         {-7, 2, 0xFDC, 0},
                                                         {7, -2, 0xFDC, 0},
                                                         {-7, -2, 0x034, 0},
                                                         {1, 3, 0x002, 0},
                                                         {-1, 3, 0x00E, 0},
                                                         {-128, 1, 0x800, 0},
                                                         {127, -1, 0x810, 0},
                                                         {5, 0, 0xFF7, 1},
                                                         {0, 0, 0xFF7, 1},
                                                         {-5, 0, 0x019, 1},
                                                     });
}

// Fractional output other than 1 runs W iterations only; the signed
// recombination still splits off F bits.
TEST(Radix2, RemainderTypeOtherThanOneRunsDividendWidthIterations) {
    qor_quodra_v5_1_config c = radix2_8_bit(QUODRA_OPERAND_UNSIGNED);
    c.remainder_type = 2; // neither named output mode
    expect_rows(c, {{7, 2, 3, 0}, {255, 1, 255, 0}, {5, 0, 0xFF, 1}});
    c.operand_sign = QUODRA_OPERAND_SIGNED;
    // Register 0b00000011: integer part 0, fraction field 3 >> 1 = 1.
    expect_rows(c, {{7, 2, 1, 0}});
}

TEST(Radix2, RemainderArrayIsNeverTouchedAndCountZeroWritesNothing) {
    test_model model(radix2_8_bit(QUODRA_OPERAND_SIGNED));
    mpz_vector divisor{2, 3}, dividend{7, 1}, quotient{-11, -12}, remainder{-21, -22};
    uint_vector flags(2, 9u);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 0),
              0);
    EXPECT_EQ(quotient.text(0), "-11");
    EXPECT_EQ(flags.at(0), 9u);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      remainder.get(), flags.get(), 1),
              0);
    EXPECT_EQ(mpz_cmp_ui(quotient.at(0), 0x034), 0);
    EXPECT_EQ(quotient.text(1), "-12");
    EXPECT_EQ(flags.at(1), 9u);
    EXPECT_EQ(remainder.text(0), "-21");
    EXPECT_EQ(remainder.text(1), "-22");
}

struct trace_row {
    bool negative_before_shift;
    long shifted;
    long updated;
    bool bit_set;
};

void record_trace(void *context, uint64_t iteration, bool negative_before_shift, mpz_srcptr shifted,
                  mpz_srcptr updated, bool bit_set) {
    auto *rows = static_cast<std::vector<trace_row> *>(context);
    EXPECT_EQ(iteration, rows->size());
    rows->push_back({negative_before_shift, mpz_get_si(shifted), mpz_get_si(updated), bit_set});
}

TEST(Radix2, IterationTraceOfFiveByTwo) {
    mpz_t q, p, d, n;
    mpz_inits(q, p, d, n, nullptr);
    mpz_set_ui(d, 2);
    mpz_set_ui(n, 5);
    std::vector<trace_row> rows;
    radix2_bit_serial_traced(q, p, d, n, 3, 4, record_trace, &rows);
    const std::vector<trace_row> expected = {
        {false, 1, -1, false},
        {true, -2, 0, true},
        {false, 1, -1, false},
        {true, -2, 0, true},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t j = 0; j < rows.size(); ++j) {
        SCOPED_TRACE("iteration " + std::to_string(j));
        EXPECT_EQ(rows[j].negative_before_shift, expected[j].negative_before_shift);
        EXPECT_EQ(rows[j].shifted, expected[j].shifted);
        EXPECT_EQ(rows[j].updated, expected[j].updated);
        EXPECT_EQ(rows[j].bit_set, expected[j].bit_set);
    }
    EXPECT_EQ(mpz_cmp_ui(q, 5), 0); // 2.5 with one fraction bit
    EXPECT_EQ(mpz_sgn(p), 0);       // never corrected
    mpz_clears(q, p, d, n, nullptr);
}

// The closed forms of the divider (support/division_properties.h, shared
// with the fuzz targets) against the bit-serial path.
TEST(Radix2Property, BitSerialEqualsClosedForms) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 777);
    std::mt19937 shapes(99);
    mpz_t expected;
    mpz_init(expected);
    for (int round = 0; round < 80; ++round) {
        const unsigned max_width = round % 8 == 0 ? 130 : 24;
        const auto dividend_width = 1 + static_cast<int32_t>(shapes() % max_width);
        const qor_quodra_v5_1_config c =
            config_builder(QUODRA_ALGORITHM_RADIX2, round % 2, QUODRA_OUTPUT_FRACTIONAL)
                .widths(8, dividend_width, static_cast<int32_t>(shapes() % max_width));
        const bool is_signed = c.operand_sign == QUODRA_OPERAND_SIGNED;
        const unsigned w = static_cast<unsigned>(c.dividend_width);
        const unsigned f = static_cast<unsigned>(c.fractional_width);
        SCOPED_TRACE("W " + std::to_string(w) + " F " + std::to_string(f) +
                     (is_signed ? " signed" : " unsigned"));
        test_model model(c);
        const size_t count = 48;
        mpz_vector divisor(count), dividend(count), quotient(count);
        uint_vector flags(count, 3u);
        for (size_t k = 0; k < count; ++k) {
            // Dividends reach past bit W so that ignored high bits are exercised.
            mpz_urandomb(dividend->data[k], random, w + 3);
            const unsigned divisor_bits = 1 + static_cast<unsigned>(shapes() % (w + 2));
            mpz_urandomb(divisor->data[k], random, divisor_bits);
            if (k % 2 == 1) { // unsigned: the stored pattern's low bits are used
                mpz_neg(dividend->data[k], dividend->data[k]);
            }
            if (is_signed && k % 3 == 1) {
                mpz_neg(divisor->data[k], divisor->data[k]);
            }
        }
        mpz_set_ui(divisor->data[0], 0);
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), nullptr, flags.get(),
                                          static_cast<uint32_t>(count)),
                  0);
        for (size_t k = 0; k < count; ++k) {
            ASSERT_TRUE(radix2_closed_form(c, divisor.at(k), dividend.at(k), expected));
            EXPECT_EQ(mpz_cmp(quotient.at(k), expected), 0)
                << dividend.text(k) << " / " << divisor.text(k) << " gave 0x"
                << quotient.text(k, 16);
            EXPECT_EQ(flags.at(k), mpz_sgn(divisor.at(k)) == 0 ? 1u : 0u);
        }
    }
    mpz_clear(expected);
    gmp_randclear(random);
}

void mpz_add_si_test(mpz_ptr value, long offset) {
    if (offset < 0) {
        mpz_sub_ui(value, value, static_cast<unsigned long>(-offset));
    } else {
        mpz_add_ui(value, value, static_cast<unsigned long>(offset));
    }
}

// Divisors and iteration counts on both sides of what 64-bit and 128-bit
// words hold (divisors below 2^62 and 2^126, at most 64 and 128 iterations),
// and a divisor of 1 whose quotient fills every register bit.
TEST(Radix2Property, WordAndGnuMpRegistersAgreeAtTheirBoundaries) {
    struct shape {
        int32_t dividend_width;
        int32_t fractional_width;
    };
    struct operand {
        unsigned exponent;
        long offset; // the value is 2^exponent + offset
    };
    const operand divisors[] = {{62, -1},  {62, 0},  {62, 1},  {63, 5}, {64, -1},
                                {126, -1}, {126, 0}, {127, 3}, {0, 0}};
    mpz_t expected, value;
    mpz_inits(expected, value, nullptr);
    for (shape s : {shape{60, 4}, shape{60, 5}, shape{100, 28}, shape{100, 29}}) {
        for (int32_t sign : {0, 1}) {
            const qor_quodra_v5_1_config c =
                config_builder(QUODRA_ALGORITHM_RADIX2, sign, QUODRA_OUTPUT_FRACTIONAL)
                    .widths(8, s.dividend_width, s.fractional_width);
            test_model model(c);
            const size_t count = std::size(divisors);
            mpz_vector divisor(count), dividend(count), quotient(count);
            uint_vector flags(count, 3u);
            for (size_t k = 0; k < count; ++k) {
                mpz_ui_pow_ui(value, 2, divisors[k].exponent);
                mpz_add_si_test(value, divisors[k].offset);
                divisor.set(k, value);
                // +-(2^(W - 1 + k % 2) - k - 1): some top dividend bits set.
                mpz_ui_pow_ui(value, 2, static_cast<unsigned long>(s.dividend_width) - 1 + k % 2);
                mpz_sub_ui(value, value, k + 1);
                if (k % 3 == 1) {
                    mpz_neg(value, value);
                }
                dividend.set(k, value);
            }
            ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                              quotient.get(), nullptr, flags.get(),
                                              static_cast<uint32_t>(count)),
                      0);
            for (size_t k = 0; k < count; ++k) {
                ASSERT_TRUE(radix2_closed_form(c, divisor.at(k), dividend.at(k), expected));
                EXPECT_EQ(mpz_cmp(quotient.at(k), expected), 0)
                    << "W " << s.dividend_width << " F " << s.fractional_width << " sign " << sign
                    << " sample " << k;
            }
        }
    }
    mpz_clears(expected, value, nullptr);
}

// Random registers of every size the words take: the word loop and the
// GNU MP loop produce the same quotient register.
TEST(Radix2Property, WordLoopEqualsGnuMpLoop) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 2718);
    std::mt19937 sizes(31);
    mpz_t reference, word, p, d, n;
    mpz_inits(reference, word, p, d, n, nullptr);
    int word_sized = 0;
    int beyond_64_bits = 0;
    for (int round = 0; round < 20000; ++round) {
        const uint64_t iterations = sizes() % 131;
        const uint64_t dividend_bits = iterations == 0 ? 0 : sizes() % (iterations + 1);
        mpz_urandomb(d, random, 1 + sizes() % 128);
        mpz_urandomb(n, random, 130);
        if (round % 2 == 1) {
            mpz_neg(n, n); // low bits read as a two's-complement pattern
        }
        radix2_bit_serial_traced(reference, p, d, n, dividend_bits, iterations, nullptr, nullptr);
        if (radix2_word_loop::radix2_bit_serial_in_words(word, d, n, dividend_bits, iterations)) {
            ++word_sized;
            beyond_64_bits += (iterations > 64 || mpz_sizeinbase(d, 2) > 62) ? 1 : 0;
            ASSERT_EQ(mpz_cmp(word, reference), 0) << "D of " << mpz_sizeinbase(d, 2) << " bits, W "
                                                   << dividend_bits << " n " << iterations;
        }
    }
    EXPECT_GT(word_sized, 10000);
    EXPECT_GT(beyond_64_bits, 3000); // registers that need the wider words
    mpz_clears(reference, word, p, d, n, nullptr);
    gmp_randclear(random);
}

// The closed form that replaces the GNU MP loop beyond machine words gives
// the loop's register for every divisor sign and size (zero, negative as an
// unsigned operand, far wider than the register) and any dividend, negative
// or wider than W.
TEST(Radix2Property, ClosedFormEqualsGnuMpLoop) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 1414);
    std::mt19937 sizes(17);
    mpz_t reference, closed, p, d, n, scratch;
    mpz_inits(reference, closed, p, d, n, scratch, nullptr);
    for (int round = 0; round < 6000; ++round) {
        const uint64_t iterations = sizes() % 300;
        const uint64_t dividend_bits = iterations == 0 ? 0 : sizes() % (iterations + 1);
        mpz_urandomb(d, random, sizes() % 400);
        mpz_urandomb(n, random, 1 + sizes() % 400);
        switch (round % 4) {
        case 1: mpz_neg(n, n); break;
        case 2: mpz_neg(d, d); break;
        case 3: mpz_set_ui(d, round % 8 == 3 ? 0 : 1 + sizes() % 5); break;
        default: break;
        }
        radix2_bit_serial_traced(reference, p, d, n, dividend_bits, iterations, nullptr, nullptr);
        radix2::closed_form(closed, scratch, d, n, dividend_bits, iterations);
        ASSERT_EQ(mpz_cmp(closed, reference), 0)
            << "D of " << mpz_sizeinbase(d, 2) << " bits, sign " << mpz_sgn(d) << ", W "
            << dividend_bits << " n " << iterations;
    }
    mpz_clears(reference, closed, p, d, n, scratch, nullptr);
    gmp_randclear(random);
}

// The word loop on its own, at the edges of each word: the most iterations
// with a quotient of all ones (divisor 1) and with the widest divisor a word
// holds, each equal to the GNU MP loop; one iteration or one divisor bit
// more and it declines, leaving Q alone.
TEST(Radix2Property, WordLoopAtTheEdgesOfEachWord) {
    struct edge {
        uint64_t iterations;
        unsigned divisor_exponent; // divisor 2^e - 1, or 1 for e = 1
        bool taken;
    };
    const edge edges[] = {{64, 1, true},   {64, 62, true},   {65, 1, true},  {128, 1, true},
                          {128, 126, true}, {129, 1, false}, {16, 127, false}};
    mpz_t reference, word, p, d, n;
    mpz_inits(reference, word, p, d, n, nullptr);
    for (const edge &e : edges) {
        mpz_ui_pow_ui(d, 2, e.divisor_exponent);
        mpz_sub_ui(d, d, 1);
        mpz_ui_pow_ui(n, 2, e.iterations);
        mpz_sub_ui(n, n, 1); // every dividend bit set
        mpz_set_si(word, -5);
        ASSERT_EQ(radix2_word_loop::radix2_bit_serial_in_words(word, d, n, e.iterations, e.iterations), e.taken)
            << e.iterations << " iterations, divisor 2^" << e.divisor_exponent << " - 1";
        if (!e.taken) {
            EXPECT_EQ(mpz_cmp_si(word, -5), 0);
            continue;
        }
        radix2_bit_serial_traced(reference, p, d, n, e.iterations, e.iterations, nullptr, nullptr);
        EXPECT_EQ(mpz_cmp(word, reference), 0) << e.iterations << " iterations";
    }
    mpz_clears(reference, word, p, d, n, nullptr);
}

// remainder_type 2, signed: W iterations give U = floor((|N| mod 2^W) / |D|),
// split into I = U >> F and G = (U mod 2^F) >> 1 with the result's sign.
// W 8, F 4: 100 / 7: U 14, I 0, G 7; -100 / 7: G -7 wraps to 9;
// 100 / -3: U 33, I -2 wraps to 254, G 0 (not wrapped): 254 * 16;
// -128 / -1: U 128, I 8; 5 / 0: U 255, I 15, G 7.
TEST(Radix2, SignedSplitWithoutFractionIterations) {
    qor_quodra_v5_1_config c = radix2_8_bit(QUODRA_OPERAND_SIGNED);
    c.remainder_type = 2; // neither named output mode
    expect_rows(c, {{100, 7, 7, 0},
                    {-100, 7, 9, 0},
                    {100, -3, 4064, 0},
                    {-128, -1, 128, 0},
                    {5, 0, 247, 1}});
}

std::string hex_text(mpz_srcptr value) {
    std::string text(mpz_sizeinbase(value, 16) + 2, '\0');
    mpz_get_str(&text[0], 16, value);
    text.resize(std::strlen(text.c_str()));
    return text;
}

// What the Radix-2 path writes for one sample, from the GNU MP loop: the
// registers as the divider holds them (magnitudes once signed, kept across
// a refused read), n iterations, then the signed layout.
void radix2_reference(mpz_ptr expected, mpz_ptr d, mpz_ptr n, const qor_quodra_v5_1_config &c) {
    const bool is_signed = c.operand_sign == QUODRA_OPERAND_SIGNED;
    const bool negative = is_signed && (mpz_sgn(d) < 0) != (mpz_sgn(n) < 0);
    if (is_signed) {
        mpz_abs(d, d);
        mpz_abs(n, n);
    }
    const auto w = static_cast<unsigned>(c.dividend_width);
    const auto f = static_cast<unsigned>(c.fractional_width);
    const uint64_t iterations = c.remainder_type == QUODRA_OUTPUT_FRACTIONAL ? w + f : w;
    mpz_t u, p;
    mpz_inits(u, p, nullptr);
    radix2_bit_serial_traced(u, p, d, n, w, iterations, nullptr, nullptr);
    if (is_signed) {
        radix2_signed_layout(expected, u, negative, w, f);
    } else {
        mpz_set(expected, u);
    }
    mpz_clears(u, p, nullptr);
}

// Register and written value sizes on both sides of 64 and 128 bits, then
// anything up to 300 bits each.
qor_quodra_v5_1_config differential_config(std::mt19937 &pick, int round) {
    const int32_t remainder_types[] = {QUODRA_OUTPUT_FRACTIONAL, QUODRA_OUTPUT_FRACTIONAL, 2, -1};
    const int32_t signs[] = {QUODRA_OPERAND_SIGNED, QUODRA_OPERAND_UNSIGNED, 2};
    const unsigned limits[] = {66, 130, 301};
    const unsigned limit = limits[round % 3];
    const int32_t output = remainder_types[pick() % 4];
    const int32_t sign = signs[pick() % 3];
    const unsigned w = pick() % limit;
    return config_builder(QUODRA_ALGORITHM_RADIX2, sign, output)
        .widths(8, static_cast<int32_t>(w), static_cast<int32_t>(pick() % (limit - w)));
}

// The fast paths (closed form in 64- or 128-bit words, or in GNU MP with
// the shortened signed layout) against the bit-serial GNU MP loop, through
// data_do: every remainder_type, signed and unsigned, edge, in-range and
// out-of-range operands, zero divisors, and refused reads that keep the
// previous sample's registers.
TEST(Radix2Property, FastPathsEqualBitSerialLoop) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 8080);
    std::mt19937 pick(8);
    mpz_t expected, d, n;
    mpz_inits(expected, d, n, nullptr);
    for (int round = 0; round < 240; ++round) {
        const qor_quodra_v5_1_config c = differential_config(pick, round);
        SCOPED_TRACE("W " + std::to_string(c.dividend_width) + " F " +
                     std::to_string(c.fractional_width) + " remainder_type " +
                     std::to_string(c.remainder_type) + " sign " +
                     std::to_string(c.operand_sign));
        test_model model(c);
        const size_t count = 24;
        mpz_vector divisor(count), dividend(count), quotient(count);
        uint_vector flags(count, 3u);
        for (size_t k = 0; k < count; ++k) {
            operand_patterns::any_operand(divisor->data[k], random, pick, pick() % 140);
            operand_patterns::any_operand(dividend->data[k], random, pick,
                                          static_cast<unsigned>(c.dividend_width));
        }
        const operand_patterns::refused_tail refused(
            round % 2 == 0 ? divisor.get() : dividend.get(), static_cast<size_t>(round % 4));
        ASSERT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), nullptr, flags.get(),
                                          static_cast<uint32_t>(count)),
                  0);
        mpz_set_ui(d, 0);
        mpz_set_ui(n, 0);
        for (size_t k = 0; k < count; ++k) {
            operand_patterns::read_operands(d, n, divisor.get(), dividend.get(), k);
            EXPECT_EQ(flags.at(k), mpz_sgn(d) == 0 ? 1u : 0u);
            radix2_reference(expected, d, n, c);
            ASSERT_EQ(mpz_cmp(quotient.at(k), expected), 0)
                << "sample " << k << ": " << hex_text(n) << " / " << hex_text(d) << " gave 0x"
                << quotient.text(k, 16);
        }
    }
    mpz_clears(expected, d, n, nullptr);
    gmp_randclear(random);
}

} // namespace
