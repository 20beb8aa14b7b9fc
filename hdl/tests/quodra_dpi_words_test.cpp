// The 64-bit imports against the wide ones: every sample divided through
// quodra_dpi_divide64 must give what quodra_dpi_divide gives for the same
// operand bits, at every width from 1 to 64, and remainder mode also what
// GNU MP's truncating division gives. The word path and the GNU MP path
// are separate code, so a disagreement is a fault in one of them.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "quodra_dpi.h"

namespace {

using vec = std::array<svBitVecVal, QUODRA_DPI_VEC_WORDS>;
using word = unsigned long long;

constexpr int radix2 = 1;
constexpr int high_radix = 3;
constexpr int lutmult = 4;

struct owned_model {
    void *handle;
    explicit owned_model(void *h) : handle(h) {}
    ~owned_model() {
        if (handle != nullptr) {
            quodra_dpi_free(handle);
        }
    }
    owned_model(const owned_model &) = delete;
    owned_model &operator=(const owned_model &) = delete;
};

struct sample_result {
    word quotient = 0x5555555555555555ull;
    word remainder = 0x5555555555555555ull;
    svBit div_by_zero = 7;
    svBit known = 7;
    int status = -1;
    std::string error;
};

vec as_vec(word value) {
    vec words{};
    words[0] = svBitVecVal(value & 0xffffffffu);
    words[1] = svBitVecVal(value >> 32);
    return words;
}

bool zero_above_64(const vec &words) {
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] != 0) {
            return false;
        }
    }
    return true;
}

sample_result divide_words(void *model, word dividend, word divisor) {
    sample_result out;
    out.status = quodra_dpi_divide64(model, dividend, divisor, &out.quotient, &out.remainder,
                                     &out.div_by_zero, &out.known);
    out.error = out.status == 0 ? "" : quodra_dpi_last_error();
    return out;
}

// The wide import on the same bits; its outputs must leave nothing above
// bit 63 for a model whose fields all fit a word.
sample_result divide_vectors(void *model, word dividend, word divisor) {
    vec quotient, remainder;
    quotient.fill(0x55555555u);
    remainder.fill(0x55555555u);
    sample_result out;
    out.status = quodra_dpi_divide(model, as_vec(dividend).data(), as_vec(divisor).data(),
                                   quotient.data(), remainder.data(), &out.div_by_zero, &out.known);
    out.error = out.status == 0 ? "" : quodra_dpi_last_error();
    EXPECT_TRUE(zero_above_64(quotient) && zero_above_64(remainder));
    out.quotient = word(quotient[0]) | word(quotient[1]) << 32;
    out.remainder = word(remainder[0]) | word(remainder[1]) << 32;
    return out;
}

word low_bits(word value, int width) {
    return width >= 64 ? value : value & ((word(1) << width) - 1);
}

// Operand patterns of a field: 0, +1, -1 (all ones), the most negative and
// most positive signed values, 2, and random patterns of random length.
std::vector<word> edge_and_random_patterns(int width, std::mt19937_64 &random) {
    const word sign = word(1) << (width - 1);
    std::vector<word> patterns = {0, 1, low_bits(~word(0), width), sign, sign - 1,
                                  low_bits(2, width)};
    for (int i = 0; i < 3; ++i) {
        patterns.push_back(low_bits(random() >> (random() % 64), width));
    }
    return patterns;
}

// The pattern with random bits above its field: a port of that width
// never sees them, so neither import may read them.
word with_stray_bits(word pattern, int width, std::mt19937_64 &random) {
    return width >= 64 ? pattern : pattern | (random() << width);
}

std::string describe(const char *what, int dividend_width, int divisor_width, bool is_signed,
                     word dividend, word divisor) {
    return std::string(what) + " " + std::to_string(dividend_width) + "/" +
           std::to_string(divisor_width) + (is_signed ? " signed " : " unsigned ") +
           std::to_string(dividend) + " / " + std::to_string(divisor);
}

void expect_same(const sample_result &words, const sample_result &wide, const std::string &where) {
    EXPECT_EQ(words.status, wide.status) << where << ": " << words.error << " | " << wide.error;
    EXPECT_EQ(words.quotient, wide.quotient) << where;
    EXPECT_EQ(words.remainder, wide.remainder) << where;
    EXPECT_EQ(words.div_by_zero, wide.div_by_zero) << where;
    EXPECT_EQ(words.known, wide.known) << where;
}

mpz_class value_of(word pattern, int width, bool is_signed) {
    mpz_class value(std::to_string(low_bits(pattern, width)));
    if (is_signed && mpz_tstbit(value.get_mpz_t(), mp_bitcnt_t(width - 1))) {
        value -= mpz_class(1) << width;
    }
    return value;
}

word pattern_of(const mpz_class &value, int width) {
    mpz_class pattern;
    mpz_fdiv_r_2exp(pattern.get_mpz_t(), value.get_mpz_t(), mp_bitcnt_t(width));
    return std::stoull(pattern.get_str());
}

// Truncating division by GNU MP (a zero divisor: both fields 0), wrapped to
// the fields.
void expect_truncating_division(const sample_result &out, int dividend_width, int divisor_width,
                                bool is_signed, word dividend, word divisor,
                                const std::string &where) {
    const mpz_class n = value_of(dividend, dividend_width, is_signed);
    const mpz_class d = value_of(divisor, divisor_width, is_signed);
    mpz_class q = 0, r = 0;
    if (d != 0) {
        mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), n.get_mpz_t(), d.get_mpz_t());
    }
    ASSERT_EQ(out.status, 0) << where << ": " << out.error;
    EXPECT_EQ(out.quotient, pattern_of(q, dividend_width)) << where;
    EXPECT_EQ(out.remainder, pattern_of(r, divisor_width)) << where;
    EXPECT_EQ(out.div_by_zero, d == 0 ? 1 : 0) << where;
    EXPECT_EQ(out.known, 1) << where;
}

const int divisor_widths[] = {1, 2, 7, 31, 32, 33, 63, 64};

TEST(DpiWords, RemainderModeAtEveryWidthMatchesTheWideImportAndTruncation) {
    std::mt19937_64 random(2024);
    for (int algorithm : {radix2, lutmult}) {
        for (int dividend_width = 1; dividend_width <= 64; ++dividend_width) {
            for (int divisor_width : divisor_widths) {
                for (bool is_signed : {true, false}) {
                    owned_model model(quodra_dpi_create(algorithm, divisor_width, dividend_width,
                                                        is_signed, 0, 0, "words"));
                    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
                    ASSERT_EQ(quodra_dpi_word_ports(model.handle), 1);
                    for (word n : edge_and_random_patterns(dividend_width, random)) {
                        for (word d : edge_and_random_patterns(divisor_width, random)) {
                            const std::string where = describe("remainder", dividend_width,
                                                               divisor_width, is_signed, n, d);
                            const sample_result words = divide_words(model.handle, n, d);
                            expect_same(words, divide_vectors(model.handle, n, d), where);
                            expect_truncating_division(words, dividend_width, divisor_width,
                                                       is_signed, n, d, where);
                        }
                    }
                }
            }
        }
    }
}

TEST(DpiWords, BitsAboveTheFieldAreNotRead) {
    std::mt19937_64 random(77);
    for (int width : {1, 5, 16, 32, 47, 63}) {
        for (bool is_signed : {true, false}) {
            for (int fractional : {0, 1}) {
                owned_model model(quodra_dpi_create(radix2, width, width, is_signed, fractional,
                                                    fractional ? 64 - width : 0, "stray"));
                ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
                for (word n : edge_and_random_patterns(width, random)) {
                    for (word d : edge_and_random_patterns(width, random)) {
                        const word stray_n = with_stray_bits(n, width, random);
                        const word stray_d = with_stray_bits(d, width, random);
                        expect_same(divide_words(model.handle, stray_n, stray_d),
                                    divide_vectors(model.handle, n, d),
                                    describe(fractional ? "stray fractional" : "stray", width,
                                             width, is_signed, stray_n, stray_d));
                    }
                }
            }
        }
    }
}

// Fraction widths per dividend width: none, one bit, a few, and the most
// whose fields still fit a word (High Radix: also past the word batch's
// reach at B + F = 62, where the 64-bit import takes the GNU MP path).
std::vector<int> fraction_widths(int algorithm, int dividend_width) {
    const int widest = algorithm == high_radix ? 63 - dividend_width : 64 - dividend_width;
    std::vector<int> widths = {0, 1, 5, widest};
    if (algorithm == high_radix && widest >= 2) {
        widths.push_back(widest - 1);
        widths.push_back(widest - 2);
    }
    std::vector<int> usable;
    for (int f : widths) {
        if (f >= 0 && f <= widest) {
            usable.push_back(f);
        }
    }
    return usable;
}

TEST(DpiWords, FractionalFieldsAtEveryWidthMatchTheWideImport) {
    std::mt19937_64 random(5);
    for (int algorithm : {radix2, high_radix}) {
        for (int width = 1; width <= 64; ++width) {
            for (int f : fraction_widths(algorithm, width)) {
                for (bool is_signed : {true, false}) {
                    if (algorithm == high_radix && !is_signed) {
                        continue; // the High Radix core divides signed operands only
                    }
                    owned_model model(quodra_dpi_create(algorithm, width, width, is_signed, 1, f,
                                                        "fraction words"));
                    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
                    ASSERT_EQ(quodra_dpi_word_ports(model.handle), 1);
                    for (word n : edge_and_random_patterns(width, random)) {
                        for (word d : edge_and_random_patterns(width, random)) {
                            expect_same(divide_words(model.handle, n, d),
                                        divide_vectors(model.handle, n, d),
                                        describe(algorithm == high_radix ? "high radix" : "radix-2",
                                                 width, width, is_signed, n, d) +
                                            " F=" + std::to_string(f));
                        }
                    }
                }
            }
        }
    }
}

// Worked by hand: the fields as patterns of their widths.
TEST(DpiWords, HandWorkedSamples) {
    struct hand_case {
        int algorithm, divisor_width, dividend_width, is_signed, fractional, fraction_width;
        word dividend, divisor, quotient, remainder;
        int div_by_zero, known;
    };
    const hand_case cases[] = {
        // -7 / 2 = -3 remainder -1, 32-bit signed
        {radix2, 32, 32, 1, 0, 0, 0xfffffff9u, 2, 0xfffffffdu, 0xffffffffu, 0, 1},
        // (2^64 - 1) / 16, unsigned 64-bit
        {radix2, 64, 64, 0, 0, 0, ~0ull, 16, 0x0fffffffffffffffull, 15, 0, 1},
        // -2^63 / -1 = 2^63 wraps to -2^63
        {radix2, 64, 64, 1, 0, 0, 1ull << 63, ~0ull, 1ull << 63, 0, 0, 1},
        // zero divisor in remainder mode: both fields 0
        {lutmult, 64, 64, 1, 0, 0, 12345, 0, 0, 0, 1, 1},
        // High Radix -128 / -1 = +128 in the 9-bit integer part
        {high_radix, 8, 8, 1, 1, 4, 0x80, 0xff, 0x080, 0, 0, 1},
        // High Radix zero divisor: quotient undefined, fields 0
        {high_radix, 8, 8, 1, 1, 4, 3, 0, 0, 0, 1, 0},
        // unsigned Radix-2 200 / 7, F = 8: floor(51200 / 7) = 0x1c92
        {radix2, 8, 8, 0, 1, 8, 200, 7, 0x1c, 0x92, 0, 1},
    };
    for (const hand_case &c : cases) {
        owned_model model(quodra_dpi_create(c.algorithm, c.divisor_width, c.dividend_width,
                                            c.is_signed, c.fractional, c.fraction_width, "hand"));
        ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
        const sample_result out = divide_words(model.handle, c.dividend, c.divisor);
        const std::string where = describe("hand", c.dividend_width, c.divisor_width,
                                           c.is_signed != 0, c.dividend, c.divisor);
        ASSERT_EQ(out.status, 0) << where << ": " << out.error;
        EXPECT_EQ(out.quotient, c.quotient) << where;
        EXPECT_EQ(out.remainder, c.remainder) << where;
        EXPECT_EQ(out.div_by_zero, c.div_by_zero) << where;
        EXPECT_EQ(out.known, c.known) << where;
    }
}

TEST(DpiWords, WordPortsSaysWhetherEveryFieldFitsAWord) {
    struct ports_case {
        int algorithm, divisor_width, dividend_width, fractional, fraction_width, expected;
    };
    const ports_case cases[] = {
        {radix2, 64, 64, 0, 0, 1},      {radix2, 65, 8, 0, 0, 0},
        {radix2, 8, 65, 0, 0, 0},       {radix2, 8, 8, 1, 64, 1},
        {radix2, 8, 8, 1, 65, 0},       {high_radix, 8, 63, 1, 4, 1},
        {high_radix, 8, 64, 1, 4, 0},   // the quotient field is 65 bits
        {lutmult, 64, 64, 0, 0, 1},
    };
    for (const ports_case &c : cases) {
        owned_model model(quodra_dpi_create(c.algorithm, c.divisor_width, c.dividend_width, 1,
                                            c.fractional, c.fraction_width, "ports"));
        ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
        EXPECT_EQ(quodra_dpi_word_ports(model.handle), c.expected)
            << c.algorithm << ": " << c.dividend_width << "/" << c.divisor_width << " F="
            << c.fraction_width;
    }
    EXPECT_EQ(quodra_dpi_word_ports(nullptr), 0);
}

TEST(DpiWords, ModelsWiderThanAWordAreRefusedWithZeroOutputs) {
    owned_model model(quodra_dpi_create(radix2, 8, 65, 1, 0, 0, "wide"));
    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
    const sample_result out = divide_words(model.handle, 100, 7);
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.error.find("quodra_dpi_divide64"), std::string::npos) << out.error;
    EXPECT_NE(out.error.find("dividend 65"), std::string::npos) << out.error;
    EXPECT_EQ(out.quotient, 0u);
    EXPECT_EQ(out.remainder, 0u);
    EXPECT_EQ(out.div_by_zero, 0);
    EXPECT_EQ(out.known, 0);
}

TEST(DpiWords, HandlesThatAreNotLiveAreRefused) {
    void *freed = quodra_dpi_create(radix2, 8, 8, 1, 0, 0, "freed");
    ASSERT_NE(freed, nullptr) << quodra_dpi_last_error();
    ASSERT_EQ(quodra_dpi_free(freed), 0);
    const struct {
        void *handle;
        const char *reason;
    } cases[] = {{nullptr, "null model handle"},
                 {freed, "not a live model handle"},
                 {reinterpret_cast<void *>(uintptr_t{0x5a5a0001}), "not a live model handle"}};
    for (const auto &c : cases) {
        const sample_result out = divide_words(c.handle, 7, 2);
        EXPECT_EQ(out.status, 1);
        EXPECT_EQ(out.error.rfind("quodra_dpi_divide64: ", 0), 0u) << out.error;
        EXPECT_NE(out.error.find(c.reason), std::string::npos) << out.error;
        EXPECT_EQ(out.quotient, 0u);
        EXPECT_EQ(out.remainder, 0u);
        EXPECT_EQ(out.div_by_zero, 0);
        EXPECT_EQ(out.known, 0);
        EXPECT_EQ(quodra_dpi_word_ports(c.handle), 0);
    }
}

// The route of a model's 64-bit divide is kept in its slot: a freed handle
// must stay dead when a later model of a word route takes that slot.
TEST(DpiWords, FreedHandleStaysDeadWhenItsSlotHoldsAWordRoutedModel) {
    for (int is_signed : {1, 0}) {
        void *freed = quodra_dpi_create(radix2, 16, 16, is_signed, 0, 0, "freed");
        ASSERT_NE(freed, nullptr) << quodra_dpi_last_error();
        ASSERT_EQ(quodra_dpi_free(freed), 0);
        owned_model reuser(quodra_dpi_create(radix2, 16, 16, is_signed, 0, 0, "reuser"));
        ASSERT_NE(reuser.handle, nullptr) << quodra_dpi_last_error();
        ASSERT_NE(reuser.handle, freed);
        const sample_result stale = divide_words(freed, 7, 2);
        EXPECT_EQ(stale.status, 1);
        EXPECT_NE(stale.error.find("not a live model handle"), std::string::npos) << stale.error;
        EXPECT_EQ(stale.known, 0);
        const sample_result live = divide_words(reuser.handle, 7, 2);
        EXPECT_EQ(live.status, 0) << live.error;
        EXPECT_EQ(live.quotient, 3u);
        EXPECT_EQ(live.remainder, 1u);
    }
}

TEST(DpiWords, SuccessLeavesTheLastErrorAlone) {
    owned_model model(quodra_dpi_create(radix2, 32, 32, 1, 0, 0, "quiet"));
    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
    ASSERT_EQ(quodra_dpi_free(nullptr), 1);
    const std::string before = quodra_dpi_last_error();
    EXPECT_EQ(divide_words(model.handle, 9, 0).status, 0);
    EXPECT_EQ(divide_words(model.handle, 9, 4).status, 0);
    EXPECT_EQ(before, quodra_dpi_last_error());
}

} // namespace
