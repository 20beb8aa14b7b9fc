// The DPI-C side of quodra_pkg without a simulator: svBitVecVal is a 32-bit
// word, least significant word first, so vectors are plain word arrays here.
// Expected values come from hand-written hex and from GNU MP's own
// truncating division, never from the code under test.
#include <gtest/gtest.h>
#include <gmpxx.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "quodra_dpi.h"

namespace {

constexpr int max_width = QUODRA_DPI_MAX_WIDTH;
using vec = std::array<svBitVecVal, QUODRA_DPI_VEC_WORDS>;

// Hex text to words, one nibble at a time (independent of GNU MP's import).
vec from_hex(const std::string &hex) {
    vec words{};
    int bit = 0;
    for (auto it = hex.rbegin(); it != hex.rend(); ++it, bit += 4) {
        const char c = *it;
        const unsigned nibble = c <= '9' ? unsigned(c - '0') : unsigned(c - 'a' + 10);
        words[bit / 32] |= svBitVecVal(nibble) << (bit % 32);
    }
    return words;
}

std::string repeat(char c, int count) { return std::string(std::size_t(count), c); }

mpz_class power_of_two(int exponent) {
    mpz_class value = 1;
    return value << exponent;
}

mpz_class read(const vec &words, int width, bool is_signed) {
    mpz_class value;
    quodra_dpi_vec_to_mpz(value.get_mpz_t(), words.data(), width, is_signed ? 1 : 0);
    return value;
}

vec write(const mpz_class &value, int field_width) {
    vec words;
    words.fill(0xdeadbeefu); // every word must be overwritten
    quodra_dpi_mpz_to_vec(words.data(), value.get_mpz_t(), field_width);
    return words;
}

struct read_case {
    const char *what;
    std::string hex;
    int width;
    bool is_signed;
    mpz_class expected;
};

TEST(DpiConversion, VectorToIntegerSignExtendsAndIgnoresBitsAboveTheWidth) {
    const std::vector<read_case> cases = {
        {"1 bit set, signed", "1", 1, true, -1},
        {"1 bit set, unsigned", "1", 1, false, 1},
        {"1 bit clear, garbage above", "fffffffe", 1, true, 0},
        {"32 bits of ones, signed", "ffffffff", 32, true, -1},
        {"32 bits of ones, unsigned", "ffffffff", 32, false, mpz_class("4294967295")},
        {"33-bit most negative", "100000000", 33, true, -power_of_two(32)},
        {"33-bit most negative read unsigned", "100000000", 33, false, power_of_two(32)},
        {"33-bit max, ones above", "fffffffe" "ffffffff", 33, true, power_of_two(32) - 1},
        {"64-bit most negative", "8000000000000000", 64, true, -power_of_two(63)},
        {"64-bit -2", "fffffffffffffffe", 64, true, -2},
        {"65-bit most negative", "10000000000000000", 65, true, -power_of_two(64)},
        {"65-bit -1 with bit 65 set", "3ffffffffffffffff", 65, true, -1},
        {"65-bit ones unsigned", "1ffffffffffffffff", 65, false, power_of_two(65) - 1},
        {"100-bit -7", "f" + repeat('f', 23) + "9", 100, true, -7},
        {"512 ones signed", repeat('f', 128), 512, true, -1},
        {"512 ones unsigned", repeat('f', 128), 512, false, power_of_two(512) - 1},
        {"512-bit most negative", "8" + repeat('0', 127), 512, true, -power_of_two(511)},
        {"max width ones signed", repeat('f', max_width / 4), max_width, true, -1},
        {"max width most negative", "8" + repeat('0', max_width / 4 - 1), max_width, true,
         -power_of_two(max_width - 1)},
        {"max width max unsigned", repeat('f', max_width / 4), max_width, false,
         power_of_two(max_width) - 1},
    };
    for (const read_case &c : cases) {
        EXPECT_EQ(read(from_hex(c.hex), c.width, c.is_signed), c.expected) << c.what;
    }
}

struct write_case {
    const char *what;
    mpz_class value;
    int field_width;
    std::string expected_hex;
};

TEST(DpiConversion, IntegerToVectorWrapsToTheFieldAndClearsAbove) {
    const std::vector<write_case> cases = {
        {"-1 in 1 bit", -1, 1, "1"},
        {"2 in 1 bit wraps to 0", 2, 1, "0"},
        {"-1 in 32 bits", -1, 32, "ffffffff"},
        {"-1 in 33 bits", -1, 33, "1ffffffff"},
        {"-2^32 in 33 bits", -power_of_two(32), 33, "100000000"},
        {"2^33 + 5 in 33 bits", power_of_two(33) + 5, 33, "5"},
        {"-2^63 in 64 bits", -power_of_two(63), 64, "8000000000000000"},
        {"-1 in 65 bits", -1, 65, "1ffffffffffffffff"},
        {"-3 in 65 bits", -3, 65, "1fffffffffffffffd"},
        {"-1 in 512 bits", -1, 512, repeat('f', 128)},
        {"-1 in the max width", -1, max_width, repeat('f', max_width / 4)},
        {"2^max in the max width", power_of_two(max_width), max_width, "0"},
        {"zero in 0 bits", 0, 0, "0"},
        {"-1 in 0 bits", -1, 0, "0"},
    };
    for (const write_case &c : cases) {
        EXPECT_EQ(write(c.value, c.field_width), from_hex(c.expected_hex)) << c.what;
    }
}

TEST(DpiConversion, PatternsSurviveARoundTripAtEveryWidth) {
    std::mt19937_64 random(12345);
    for (int width : {1, 2, 31, 32, 33, 63, 64, 65, 100, 511, 512, 513, max_width - 1, max_width}) {
        for (int trial = 0; trial < 20; ++trial) {
            vec pattern{};
            for (svBitVecVal &word : pattern) {
                word = svBitVecVal(random());
            }
            // Clear the bits above the width: what comes back must match.
            vec masked = pattern;
            for (int bit = width; bit < 32 * QUODRA_DPI_VEC_WORDS; ++bit) {
                masked[bit / 32] &= ~(svBitVecVal(1) << (bit % 32));
            }
            for (bool is_signed : {false, true}) {
                const mpz_class value = read(pattern, width, is_signed);
                EXPECT_TRUE(quodra_dpi_fits(value.get_mpz_t(), width, is_signed))
                    << width << (is_signed ? " signed" : " unsigned");
                EXPECT_EQ(value < 0, is_signed && ((masked[(width - 1) / 32] >>
                                                    ((width - 1) % 32)) & 1u))
                    << width;
                EXPECT_EQ(write(value, width), masked) << width;
            }
        }
    }
}

TEST(DpiConversion, FitsChecksBothEndsOfEachRange) {
    for (int w : {1, 2, 32, 33, 64, 65, 512, max_width}) {
        const mpz_class top = power_of_two(w);
        const mpz_class half = power_of_two(w - 1);
        const struct {
            mpz_class value;
            bool is_signed;
            bool fits;
        } cases[] = {
            {0, false, true},       {top - 1, false, true}, {top, false, false},
            {-1, false, false},     {0, true, true},        {half - 1, true, true},
            {half, true, false},    {-half, true, true},    {-half - 1, true, false},
        };
        for (const auto &c : cases) {
            EXPECT_EQ(quodra_dpi_fits(c.value.get_mpz_t(), w, c.is_signed) != 0, c.fits)
                << "width " << w << " value " << c.value.get_str(16)
                << (c.is_signed ? " signed" : " unsigned");
        }
    }
}

// ---- Whole calls ----

struct model_owner {
    void *handle;
    explicit model_owner(void *h) : handle(h) {}
    ~model_owner() {
        if (handle != nullptr) {
            quodra_dpi_free(handle);
        }
    }
    model_owner(const model_owner &) = delete;
    model_owner &operator=(const model_owner &) = delete;
};

struct outputs {
    vec quotient;
    vec remainder;
    svBit div_by_zero = 7;
    svBit known = 7;
    int status = -1;
};

outputs divide(void *model, const vec &dividend, const vec &divisor) {
    outputs out;
    out.quotient.fill(0x55555555u);
    out.remainder.fill(0x55555555u);
    out.status = quodra_dpi_divide(model, dividend.data(), divisor.data(), out.quotient.data(),
                                   out.remainder.data(), &out.div_by_zero, &out.known);
    return out;
}

mpz_class wrap(const mpz_class &value, int width) {
    mpz_class pattern;
    mpz_fdiv_r_2exp(pattern.get_mpz_t(), value.get_mpz_t(), mp_bitcnt_t(width));
    return pattern;
}

vec to_vec(const mpz_class &pattern) {
    vec words{};
    for (int bit = 0; bit < max_width; ++bit) {
        if (mpz_tstbit(pattern.get_mpz_t(), mp_bitcnt_t(bit))) {
            words[bit / 32] |= svBitVecVal(1) << (bit % 32);
        }
    }
    return words;
}

struct extension_case {
    const char *what;
    int bits_above_needed; // the pattern means something only with this many bits above
    bool signed_ok;
    bool unsigned_ok;
};

// Patterns of each case at field width w, as integers below 2^max_width.
mpz_class extension_pattern(int which, int w) {
    const mpz_class all = power_of_two(max_width) - 1;
    const mpz_class field = power_of_two(w) - 1;
    const mpz_class above = all - field;
    const mpz_class sign = power_of_two(w - 1);
    const mpz_class top = power_of_two(max_width - 1);
    const mpz_class positive = w > 1 ? mpz_class((sign - 1) / 3) : mpz_class(0); // 0101..., sign bit clear
    const mpz_class negative = sign | positive;
    switch (which) {
    case 0: return positive;                           // zero-extended, sign bit clear
    case 1: return negative;                           // zero-extended, sign bit set
    case 2: return above | negative;                   // sign-extended negative
    case 3: return 0;
    case 4: return all;                                // -1 sign-extended
    case 5: return positive | power_of_two(w);         // a stray bit just above
    case 6: return positive | top;                     // a stray bit at the top
    case 7: return (above | negative) - power_of_two(w); // sign extension missing a bit
    case 8: return (above | negative) - top;           // ... missing the top bit
    default: return above | positive;                  // ones above a clear sign bit
    }
}

TEST(DpiExtension, AcceptsZeroAndSignExtensionsOnly) {
    const extension_case cases[] = {
        {"zero-extended, sign bit clear", 0, true, true},
        {"zero-extended, sign bit set", 0, true, true},
        {"sign-extended negative", 1, true, false},
        {"zero", 0, true, true},
        {"all ones", 0, true, true},
        {"a stray bit just above", 1, false, false},
        {"a stray bit at the top", 1, false, false},
        // With one bit above, a missing bit leaves a zero extension.
        {"sign extension missing the bit just above", 2, false, false},
        {"sign extension missing the top bit", 2, false, false},
        {"ones above a clear sign bit", 1, false, false},
    };
    for (int w : {1, 8, 31, 32, 33, max_width - 1, max_width}) {
        for (int which = 0; which < int(sizeof cases / sizeof cases[0]); ++which) {
            const extension_case &c = cases[which];
            const bool nothing_above = w == max_width;
            if (max_width - w < c.bits_above_needed) {
                continue;
            }
            const vec v = to_vec(extension_pattern(which, w));
            // All ones is -1 sign-extended, but for unsigned fields below the
            // vector's width it is a value too wide.
            const bool unsigned_ok = which == 4 ? nothing_above : c.unsigned_ok;
            EXPECT_EQ(quodra_dpi_is_extended(v.data(), w, 1) != 0, c.signed_ok || nothing_above)
                << "width " << w << " signed: " << c.what;
            EXPECT_EQ(quodra_dpi_is_extended(v.data(), w, 0) != 0, unsigned_ok || nothing_above)
                << "width " << w << " unsigned: " << c.what;
        }
    }
}

TEST(DpiExtension, CheckNamesTheOperandThatIsNotExtended) {
    // The widths swapped by mistake: a 16-bit divisor and an 8-bit dividend.
    void *model = quodra_dpi_create(1, 16, 8, 1, 0, 0, "swapped");
    ASSERT_NE(model, nullptr) << quodra_dpi_last_error();
    const vec thousand = from_hex("3e8");
    const vec minus_seven = from_hex(repeat('f', max_width / 4 - 1) + "9");
    EXPECT_EQ(quodra_dpi_check_extension(model, thousand.data(), from_hex("7").data()), 1);
    EXPECT_STREQ(quodra_dpi_last_error(),
                 "quodra_dpi_check_extension: dividend has bits set above its 8-bit field: "
                 "neither zero- nor sign-extended");
    EXPECT_EQ(quodra_dpi_check_extension(model, from_hex("7").data(), from_hex("10007").data()), 1);
    EXPECT_STREQ(quodra_dpi_last_error(),
                 "quodra_dpi_check_extension: divisor has bits set above its 16-bit field: "
                 "neither zero- nor sign-extended");
    EXPECT_EQ(quodra_dpi_check_extension(model, minus_seven.data(), from_hex("ffff").data()), 0);
    EXPECT_EQ(quodra_dpi_free(model), 0);

    model = quodra_dpi_create(1, 8, 8, 0, 0, 0, "unsigned");
    ASSERT_NE(model, nullptr) << quodra_dpi_last_error();
    EXPECT_EQ(quodra_dpi_check_extension(model, minus_seven.data(), from_hex("2").data()), 1);
    EXPECT_STREQ(quodra_dpi_last_error(),
                 "quodra_dpi_check_extension: dividend has bits set above its 8-bit unsigned "
                 "field: not zero-extended");
    EXPECT_EQ(quodra_dpi_free(model), 0);

    EXPECT_EQ(quodra_dpi_check_extension(model, thousand.data(), thousand.data()), 1);
    EXPECT_STREQ(quodra_dpi_last_error(),
                 "quodra_dpi_check_extension: not a live model handle (freed or foreign)");
}

// Remainder mode against GNU MP's truncating division, with the fields
// wrapped to their widths; a zero divisor gives zeros and the flag.
TEST(DpiDivide, RemainderModeMatchesTruncatingDivision) {
    std::mt19937_64 random(99);
    const struct {
        int dividend_width;
        int divisor_width;
    } shapes[] = {{8, 8}, {33, 33}, {100, 70}, {65, 1}, {max_width, max_width}};
    for (const auto &shape : shapes) {
        for (bool is_signed : {true, false}) {
            model_owner model(quodra_dpi_create(1, shape.divisor_width, shape.dividend_width,
                                                is_signed, 0, 0, "table"));
            ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
            EXPECT_EQ(quodra_dpi_quotient_width(model.handle), shape.dividend_width);
            EXPECT_EQ(quodra_dpi_remainder_width(model.handle), shape.divisor_width);
            const auto edges = [&](int w) {
                std::vector<mpz_class> v = {0, 1, power_of_two(w) - 1};
                if (w > 1) {
                    v.push_back(power_of_two(w - 1));     // most negative when signed
                    v.push_back(power_of_two(w - 1) - 1); // most positive
                }
                return v;
            };
            std::vector<std::pair<mpz_class, mpz_class>> pairs;
            for (const mpz_class &a : edges(shape.dividend_width)) {
                for (const mpz_class &d : edges(shape.divisor_width)) {
                    pairs.emplace_back(a, d);
                }
            }
            for (int n = 0; n < 40; ++n) {
                mpz_class a = 0, d = 0;
                for (int bit = 0; bit < shape.dividend_width; bit += 64) {
                    a = (a << 64) + mpz_class(std::to_string(random()));
                }
                for (int bit = 0; bit < shape.divisor_width; bit += 64) {
                    d = (d << 64) + mpz_class(std::to_string(random()));
                }
                a = wrap(a >> int(random() % unsigned(shape.dividend_width)), shape.dividend_width);
                d = wrap(d >> int(random() % unsigned(shape.divisor_width)), shape.divisor_width);
                pairs.emplace_back(a, d);
            }
            for (const auto &pair : pairs) {
                const auto as_value = [&](const mpz_class &pattern, int w) {
                    return is_signed && pattern >= power_of_two(w - 1) ? pattern - power_of_two(w)
                                                                       : pattern;
                };
                const mpz_class a = as_value(pair.first, shape.dividend_width);
                const mpz_class d = as_value(pair.second, shape.divisor_width);
                mpz_class q = 0, r = 0;
                if (d != 0) {
                    mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), a.get_mpz_t(), d.get_mpz_t());
                }
                const outputs out = divide(model.handle, to_vec(pair.first), to_vec(pair.second));
                const std::string where = std::to_string(shape.dividend_width) + "/" +
                                          std::to_string(shape.divisor_width) +
                                          (is_signed ? " signed " : " unsigned ") + a.get_str() +
                                          " / " + d.get_str();
                ASSERT_EQ(out.status, 0) << where << ": " << quodra_dpi_last_error();
                EXPECT_EQ(out.quotient, to_vec(wrap(q, shape.dividend_width))) << where;
                EXPECT_EQ(out.remainder, to_vec(wrap(r, shape.divisor_width))) << where;
                EXPECT_EQ(out.div_by_zero, d == 0 ? 1 : 0) << where;
                EXPECT_EQ(out.known, 1) << where;
            }
        }
    }
}

TEST(DpiDivide, OperandBitsAboveTheWidthAreIgnored) {
    model_owner model(quodra_dpi_create(1, 8, 8, 1, 0, 0, nullptr));
    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
    // -7 / 2 as bare 8-bit patterns, then sign-extended with garbage above
    // the divisor: -3 remainder -1 both times.
    const outputs narrow = divide(model.handle, from_hex("f9"), from_hex("2"));
    const outputs wide =
        divide(model.handle, from_hex(repeat('f', max_width / 4 - 2) + "f9"),
               from_hex("abcdef" "02"));
    for (const outputs &out : {narrow, wide}) {
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.quotient, from_hex("fd"));
        EXPECT_EQ(out.remainder, from_hex("ff"));
        EXPECT_EQ(out.div_by_zero, 0);
    }
}

struct fraction_case {
    int algorithm;
    const char *dividend;
    const char *divisor;
    const char *quotient;
    const char *fraction;
    int div_by_zero;
    int known;
};

// Fractional fields at dividend and divisor width 8, 4 fraction bits: values
// worked out by hand. Radix-2 signed: integer part and a two's-complement
// fraction with 3 fraction bits (7 / 2 = 3 + 4/8). High Radix: Q = round(N x
// 16 / D) split into a 9-bit integer part and the low 4 bits.
TEST(DpiDivide, FractionalModesSplitTheQuotientIntoFields) {
    const fraction_case cases[] = {
        {1, "07", "02", "03", "4", 0, 1},  // 3.5
        {1, "f9", "02", "fd", "c", 0, 1},  // -3 - 4/8
        {1, "fb", "00", "01", "9", 1, 1},  // zero divisor: the register as the core leaves it
        {3, "9c", "07", "1f1", "b", 0, 1}, // -100 / 7: Q = -229 = -15 x 16 + 11
        {3, "80", "ff", "080", "0", 0, 1}, // -128 / -1 = +128 needs the ninth bit
        {3, "64", "07", "00e", "5", 0, 1}, // 100 / 7: Q = 229
        {3, "03", "00", "0", "0", 1, 0},   // zero divisor: quotient undefined
    };
    for (const fraction_case &c : cases) {
        model_owner model(quodra_dpi_create(c.algorithm, 8, 8, 1, 1, 4, "fractional"));
        ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
        EXPECT_EQ(quodra_dpi_quotient_width(model.handle), c.algorithm == 3 ? 9 : 8);
        EXPECT_EQ(quodra_dpi_remainder_width(model.handle), 4);
        const outputs out = divide(model.handle, from_hex(c.dividend), from_hex(c.divisor));
        const std::string where = std::string(c.algorithm == 3 ? "high radix " : "radix-2 ") +
                                  c.dividend + " / " + c.divisor;
        ASSERT_EQ(out.status, 0) << where << ": " << quodra_dpi_last_error();
        EXPECT_EQ(out.quotient, from_hex(c.quotient)) << where;
        EXPECT_EQ(out.remainder, from_hex(c.fraction)) << where;
        EXPECT_EQ(out.div_by_zero, c.div_by_zero) << where;
        EXPECT_EQ(out.known, c.known) << where;
    }
}

TEST(DpiDivide, UnsignedRadix2FractionIsFloorOfScaledQuotient) {
    // floor(N x 2^F / D) as one (B + F)-bit register: 200 / 7 with F = 8 is
    // floor(51200 / 7) = 7314 = 0x1c92: integer 0x1c, fraction 0x92.
    model_owner model(quodra_dpi_create(1, 8, 8, 0, 1, 8, "unsigned fraction"));
    ASSERT_NE(model.handle, nullptr) << quodra_dpi_last_error();
    const outputs out = divide(model.handle, from_hex("c8"), from_hex("07"));
    ASSERT_EQ(out.status, 0) << quodra_dpi_last_error();
    EXPECT_EQ(out.quotient, from_hex("1c"));
    EXPECT_EQ(out.remainder, from_hex("92"));
}

struct refusal_case {
    int algorithm, divisor_width, dividend_width, is_signed, fractional, fractional_width;
    const char *message;
};

TEST(DpiErrors, CreationRefusalsLeaveAReason) {
    const refusal_case cases[] = {
        {1, 0, 8, 1, 0, 0, "quodra_dpi_create: divisor width 0 is outside 1 to 1024"},
        {1, 8, max_width + 1, 1, 0, 0, "quodra_dpi_create: dividend width 1025 is outside 1 to 1024"},
        {1, max_width + 1, 8, 0, 0, 0, "quodra_dpi_create: divisor width 1025 is outside"},
        {3, 8, max_width, 1, 1, 4, "quodra_dpi_create: High Radix dividend width"},
        {1, 8, 8, 1, 1, -1, "quodra_dpi_create: fractional width -1 is outside 0 to 1024"},
        {1, 8, 8, 1, 1, max_width + 1, "quodra_dpi_create: fractional width 1025"},
        {3, 8, 8, 0, 1, 4, "Operand sign must be Signed for the High Radix algorithm"},
        {3, 8, 8, 1, 0, 4, "Remainder type must be Fractional for the High Radix algorithm"},
        {4, 8, 8, 1, 1, 4, "Remainder type must be Remainder for the LutMult algorithm"},
        {2, 8, 8, 1, 1, 4, "refused ERROR: Unknown algorithm_type."},
        // Within the vector width but beyond what the library's High Radix unit holds.
        {3, 8, max_width - 1, 1, 1, 4, "beyond the High Radix unit"},
    };
    for (const refusal_case &c : cases) {
        void *model = quodra_dpi_create(c.algorithm, c.divisor_width, c.dividend_width,
                                        c.is_signed, c.fractional, c.fractional_width, "refused");
        EXPECT_EQ(model, nullptr) << c.message;
        EXPECT_NE(std::string(quodra_dpi_last_error()).find(c.message), std::string::npos)
            << "got: " << quodra_dpi_last_error();
    }
    // Widths at the limits are accepted; remainder mode ignores the fraction width.
    for (const refusal_case &c : {refusal_case{1, max_width, max_width, 1, 1, max_width, ""},
                                  refusal_case{3, 1, 200, 1, 1, 16, ""},
                                  refusal_case{1, 1, 1, 1, 0, -5, ""}}) {
        model_owner model(quodra_dpi_create(c.algorithm, c.divisor_width, c.dividend_width,
                                            c.is_signed, c.fractional, c.fractional_width, ""));
        EXPECT_NE(model.handle, nullptr) << quodra_dpi_last_error();
    }
}

TEST(DpiErrors, HandlesThatAreNotLiveAreRefusedWithoutBeingRead) {
    EXPECT_EQ(quodra_dpi_max_width(), 1024);
    void *model = quodra_dpi_create(1, 8, 8, 1, 0, 0, "short-lived");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(quodra_dpi_free(model), 0);
    int not_a_model = 0;
    for (void *handle : {static_cast<void *>(nullptr), model, static_cast<void *>(&not_a_model)}) {
        const outputs out = divide(handle, from_hex("7"), from_hex("2"));
        EXPECT_EQ(out.status, 1);
        EXPECT_EQ(out.quotient, vec{});
        EXPECT_EQ(out.remainder, vec{});
        EXPECT_EQ(out.div_by_zero, 0);
        EXPECT_EQ(out.known, 0);
        EXPECT_NE(std::string(quodra_dpi_last_error()).find("quodra_dpi_divide: "),
                  std::string::npos);
        EXPECT_EQ(quodra_dpi_free(handle), 1);
        EXPECT_EQ(quodra_dpi_quotient_width(handle), 0);
        EXPECT_EQ(quodra_dpi_remainder_width(handle), 0);
    }
    EXPECT_EQ(quodra_dpi_free(nullptr), 1);
    EXPECT_STREQ(quodra_dpi_last_error(), "quodra_dpi_free: null model handle");
}

TEST(DpiErrors, FreeingOneModelLeavesTheOthersWorking) {
    void *models[3];
    for (int i = 0; i < 3; ++i) {
        models[i] = quodra_dpi_create(1, 8, 8, 0, 0, 0, "many");
        ASSERT_NE(models[i], nullptr);
    }
    EXPECT_EQ(quodra_dpi_free(models[1]), 0); // from the middle of the list
    EXPECT_EQ(divide(models[1], from_hex("7"), from_hex("2")).status, 1);
    for (int i : {0, 2}) {
        const outputs out = divide(models[i], from_hex("ff"), from_hex("10"));
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.quotient, from_hex("f"));
        EXPECT_EQ(out.remainder, from_hex("f"));
        EXPECT_EQ(quodra_dpi_free(models[i]), 0);
    }
}

// Handles are never addresses: after a model is freed its handle stays dead,
// even when a later model takes its slot or its memory, so a stale handle
// can neither divide with another model's configuration nor free it.
TEST(DpiErrors, FreedHandlesStayDeadWhenLaterModelsReuseTheirPlace) {
    constexpr int count = 64;
    std::vector<void *> old_models, new_models;
    for (int i = 0; i < count; ++i) old_models.push_back(quodra_dpi_create(1, 8, 8, 0, 0, 0, "old"));
    for (void *m : old_models) ASSERT_EQ(quodra_dpi_free(m), 0);
    // Signed 16/16: a stale handle that reached these would divide 0xff as -1.
    for (int i = 0; i < count; ++i) new_models.push_back(quodra_dpi_create(1, 16, 16, 1, 0, 0, "new"));
    for (void *m : old_models) {
        EXPECT_EQ(divide(m, from_hex("ff"), from_hex("10")).status, 1);
        EXPECT_EQ(quodra_dpi_free(m), 1);
        EXPECT_EQ(quodra_dpi_quotient_width(m), 0);
    }
    for (void *m : new_models) {
        const outputs out = divide(m, from_hex("ff"), from_hex("10"));
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.quotient, from_hex("f"));  // 255 / 16 in the new 16-bit fields
        EXPECT_EQ(out.remainder, from_hex("f"));
        EXPECT_EQ(quodra_dpi_quotient_width(m), 16);
        EXPECT_EQ(quodra_dpi_free(m), 0);
    }
}

// A failed call sets the last error; a successful create, divide or free
// leaves it as it was.
TEST(DpiErrors, SuccessfulCallsLeaveTheLastErrorAlone) {
    EXPECT_EQ(quodra_dpi_free(nullptr), 1);
    const std::string reason = quodra_dpi_last_error();
    void *model = quodra_dpi_create(1, 8, 8, 1, 0, 0, "quiet");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(divide(model, from_hex("7"), from_hex("2")).status, 0);
    EXPECT_EQ(quodra_dpi_free(model), 0);
    EXPECT_EQ(quodra_dpi_last_error(), reason);
    // A refusal by the library carries the library's own text.
    EXPECT_EQ(quodra_dpi_create(3, 8, 8, 0, 1, 4, "refused"), nullptr);
    EXPECT_NE(std::string(quodra_dpi_last_error()).find("Operand sign must be Signed"),
              std::string::npos)
        << quodra_dpi_last_error();
}

} // namespace
