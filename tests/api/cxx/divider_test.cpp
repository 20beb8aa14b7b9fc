// quodra::divider checked against independent arithmetic, against itself
// (batch against single samples, 64-bit against mpz_class, its array call
// against a direct C call), and for exact error and warning texts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "quodra.hpp"

namespace {

mpz_class power_of_two(int bits) {
    mpz_class p = 1;
    mpz_mul_2exp(p.get_mpz_t(), p.get_mpz_t(), static_cast<mp_bitcnt_t>(bits));
    return p;
}

// Two's-complement pattern of a field: 2^width added once to a negative value.
mpz_class pattern(const mpz_class &value, int width) {
    return value < 0 ? mpz_class(value + power_of_two(width)) : value;
}

// A uniformly random operand of the field: signed [-2^(w-1), 2^(w-1)),
// unsigned [0, 2^w).
mpz_class random_operand(gmp_randclass &random, int width, bool is_signed) {
    mpz_class v = random.get_z_bits(static_cast<mp_bitcnt_t>(width));
    return is_signed ? mpz_class(v - power_of_two(width - 1)) : v;
}

quodra::config make_config(int32_t algorithm, int32_t sign, int32_t output, int32_t divisor_width,
                           int32_t dividend_width, int32_t fractional_width = 0) {
    quodra::config c;
    c.algorithm_type = algorithm;
    c.operand_sign = sign;
    c.remainder_type = output;
    c.divisor_width = divisor_width;
    c.dividend_width = dividend_width;
    c.fractional_width = fractional_width;
    return c;
}

struct remainder_case {
    int32_t algorithm;
    int32_t sign;
    int32_t divisor_width;
    int32_t dividend_width;
};

// Truncating division (mpz_tdiv_qr), both results wrapped into their fields.
TEST(cxx_divider, RemainderModeIsTruncatingDivisionInTwosComplementFields) {
    const remainder_case cases[] = {
        {QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 8, 8},
        {QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, 4, 8},
        {QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, 16, 16},
        {QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, 64, 64},
        {QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_UNSIGNED, 37, 100},
        {2, QUODRA_OPERAND_SIGNED, 33, 70},
    };
    gmp_randclass random(gmp_randinit_default);
    random.seed(2024);
    for (const remainder_case &c : cases) {
        SCOPED_TRACE(testing::Message() << "algorithm " << c.algorithm << " sign " << c.sign << " widths "
                                        << c.divisor_width << "/" << c.dividend_width);
        const bool is_signed = c.sign == QUODRA_OPERAND_SIGNED;
        quodra::divider d(make_config(c.algorithm, c.sign, QUODRA_OUTPUT_REMAINDER, c.divisor_width,
                                      c.dividend_width));
        std::vector<mpz_class> divisors{0, 1, is_signed ? -1 : 3};
        std::vector<mpz_class> dividends{5, random_operand(random, c.dividend_width, is_signed),
                                         is_signed ? mpz_class(-power_of_two(c.dividend_width - 1)) : mpz_class(7)};
        for (int i = 0; i < 200; ++i) {
            divisors.push_back(random_operand(random, c.divisor_width, is_signed));
            dividends.push_back(random_operand(random, c.dividend_width, is_signed));
        }
        const std::vector<quodra::result<mpz_class>> batch = d.divide(divisors, dividends);
        ASSERT_EQ(batch.size(), divisors.size());
        for (std::size_t i = 0; i < divisors.size(); ++i) {
            mpz_class q = 0, r = 0;
            if (divisors[i] != 0) {
                mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), dividends[i].get_mpz_t(), divisors[i].get_mpz_t());
            }
            ASSERT_TRUE(batch[i].quotient && batch[i].remainder) << i;
            EXPECT_EQ(*batch[i].quotient, pattern(q, c.dividend_width)) << dividends[i] << " / " << divisors[i];
            EXPECT_EQ(*batch[i].remainder, pattern(r, c.divisor_width)) << dividends[i] << " / " << divisors[i];
            EXPECT_EQ(batch[i].div_by_zero, divisors[i] == 0);

            const quodra::result<mpz_class> single = d.divide(divisors[i], dividends[i]);
            EXPECT_EQ(single.quotient, batch[i].quotient);
            EXPECT_EQ(single.remainder, batch[i].remainder);
            EXPECT_EQ(single.div_by_zero, batch[i].div_by_zero);
        }
    }
}

TEST(cxx_divider, UnsignedRadix2IsFloorOfScaledQuotient) {
    gmp_randclass random(gmp_randinit_default);
    random.seed(77);
    const int32_t widths[][3] = {{8, 8, 4}, {13, 21, 9}, {40, 64, 30}};
    for (const auto &w : widths) {
        quodra::divider d(make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL,
                                      w[0], w[1], w[2]));
        std::vector<mpz_class> divisors{0}, dividends{5};
        for (int i = 0; i < 150; ++i) {
            divisors.push_back(random_operand(random, w[0], false));
            dividends.push_back(random_operand(random, w[1], false));
        }
        const auto out = d.divide(divisors, dividends);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const mpz_class expected = divisors[i] == 0
                                           ? mpz_class(power_of_two(w[1] + w[2]) - 1)
                                           : mpz_class(dividends[i] * power_of_two(w[2]) / divisors[i]);
            ASSERT_TRUE(out[i].quotient);
            EXPECT_EQ(*out[i].quotient, expected) << dividends[i] << " / " << divisors[i];
            EXPECT_FALSE(out[i].remainder);
            EXPECT_EQ(out[i].div_by_zero, divisors[i] == 0);
        }
    }
}

struct high_radix_row {
    int32_t a, b, c;
    const char *dividend, *divisor, *quotient;
};

TEST(cxx_divider, HighRadixRowsAndZeroDivisorLeavesNoQuotient) {
    const high_radix_row rows[] = {
        {8, 8, 4, "100", "7", "229"},          {8, 8, 4, "-100", "7", "-229"},
        {8, 8, 4, "100", "-7", "-228"},        {8, 8, 4, "-128", "-1", "2048"},
        {8, 8, 4, "127", "-128", "-16"},       {16, 16, 16, "1", "3", "21845"},
        {16, 16, 0, "-23186", "15826", "-2"},  {12, 20, 8, "166389", "512", "83194"},
        {32, 32, 32, "1000000007", "-12345", "-347911488543116"},
    };
    for (const high_radix_row &row : rows) {
        quodra::divider d(make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                                      QUODRA_OUTPUT_FRACTIONAL, row.a, row.b, row.c));
        const auto r = d.divide(mpz_class(row.divisor), mpz_class(row.dividend));
        ASSERT_TRUE(r.quotient) << row.dividend << " / " << row.divisor;
        EXPECT_EQ(*r.quotient, mpz_class(row.quotient)) << row.dividend << " / " << row.divisor;
        EXPECT_FALSE(r.remainder);
        EXPECT_FALSE(r.div_by_zero);

        const std::vector<int64_t> divisors{0, 3}, dividends{-5, 1};
        const auto batch = d.divide(divisors, dividends);
        EXPECT_TRUE(batch[0].div_by_zero);
        EXPECT_FALSE(batch[0].quotient);
        EXPECT_TRUE(batch[1].quotient);
    }
}

// Within one of N·2^C/D: |Q·D − N·2^C| ≤ 1.5·|D|. C ≥ A − 3, so the
// datapath keeps every dividend bit.
TEST(cxx_divider, HighRadixStaysWithinOneOfTheExactQuotient) {
    const int fraction_bits = 20;
    quodra::divider d(make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL,
                                  20, 24, fraction_bits));
    gmp_randclass random(gmp_randinit_default);
    random.seed(5);
    std::vector<mpz_class> divisors, dividends;
    for (int i = 0; i < 300; ++i) {
        mpz_class divisor = random_operand(random, 20, true);
        divisors.push_back(divisor == 0 ? mpz_class(1) : divisor);
        dividends.push_back(random_operand(random, 24, true));
    }
    const auto out = d.divide(divisors, dividends);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const mpz_class error = *out[i].quotient * divisors[i] - dividends[i] * power_of_two(fraction_bits);
        EXPECT_LE(2 * abs(error), 3 * abs(divisors[i])) << dividends[i] << " / " << divisors[i];
    }
}

TEST(cxx_divider, SixtyFourBitBatchesMatchMpzBatches) {
    const quodra::config configs[] = {
        make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER, 16, 32),
        make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, 16, 24, 12),
        make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, 16, 24, 12),
    };
    gmp_randclass random(gmp_randinit_default);
    random.seed(11);
    for (const quodra::config &c : configs) {
        quodra::divider d(c);
        std::vector<int64_t> divisors{0}, dividends{-3};
        for (int i = 0; i < 100; ++i) {
            divisors.push_back(random_operand(random, c.divisor_width, true).get_si());
            dividends.push_back(random_operand(random, c.dividend_width, true).get_si());
        }
        const std::vector<mpz_class> wide_divisors(divisors.begin(), divisors.end());
        const std::vector<mpz_class> wide_dividends(dividends.begin(), dividends.end());
        std::vector<quodra::result<int64_t>> narrow;
        d.divide(divisors, dividends, narrow);
        d.divide(quodra::sample_view<int64_t>(divisors.data(), 3), quodra::sample_view<int64_t>(dividends.data(), 3),
                 narrow); // a shorter second batch reuses the first one's storage
        ASSERT_EQ(narrow.size(), 3u);
        d.divide(divisors, dividends, narrow);
        const auto wide = d.divide(wide_divisors, wide_dividends);
        for (std::size_t i = 0; i < wide.size(); ++i) {
            EXPECT_EQ(narrow[i].div_by_zero, wide[i].div_by_zero);
            EXPECT_EQ(narrow[i].quotient.has_value(), wide[i].quotient.has_value());
            if (wide[i].quotient) {
                EXPECT_EQ(mpz_class(static_cast<long>(*narrow[i].quotient)), *wide[i].quotient);
            }
            EXPECT_EQ(narrow[i].remainder.has_value(), wide[i].remainder.has_value());
        }
    }
    quodra::divider d;
    EXPECT_THROW(d.divide(std::vector<int64_t>{1, 2}, std::vector<int64_t>{1}), std::invalid_argument);
}

TEST(cxx_divider, ResultsThatDoNotFitSixtyFourBitsThrow) {
    // High Radix: the most negative dividend over -1 is one bit wider than B + C.
    quodra::divider high(make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL,
                                     32, 32, 32));
    const std::vector<int64_t> minus_one{-1}, most_negative{-(int64_t{1} << 31)};
    EXPECT_THROW(high.divide(minus_one, most_negative), std::overflow_error);
    EXPECT_EQ(*high.divide(mpz_class(-1), mpz_class(most_negative[0])).quotient, power_of_two(63));

    // Signed 64-bit remainder mode: -7 / 2 is the pattern 2^64 - 3.
    quodra::divider signed64(make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                         QUODRA_OUTPUT_REMAINDER, 64, 64));
    EXPECT_THROW(signed64.divide(std::vector<int64_t>{2}, std::vector<int64_t>{-7}), std::overflow_error);
    const auto fits = signed64.divide(std::vector<int64_t>{-2}, std::vector<int64_t>{-6});
    EXPECT_EQ(*fits[0].quotient, 3);
    EXPECT_EQ(*fits[0].remainder, 0);

    // Unsigned 64-bit fields fit uint64_t whole.
    quodra::divider unsigned64(make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                           QUODRA_OUTPUT_REMAINDER, 64, 64));
    const uint64_t top = std::numeric_limits<uint64_t>::max();
    const auto full = unsigned64.divide(std::vector<uint64_t>{1, uint64_t{1} << 63}, std::vector<uint64_t>{top, top});
    EXPECT_EQ(*full[0].quotient, top);
    EXPECT_EQ(*full[1].quotient, 1u);
    EXPECT_EQ(*full[1].remainder, (uint64_t{1} << 63) - 1);
}

TEST(cxx_divider, SixtyFourBitConversionStopsExactlyAtTheTypeLimits) {
    const struct {
        const char *value;
        bool fits_signed, fits_unsigned;
    } rows[] = {
        {"0", true, true},
        {"9223372036854775807", true, true},   // 2^63 - 1
        {"9223372036854775808", false, true},  // 2^63
        {"-9223372036854775808", true, false}, // -2^63
        {"-9223372036854775809", false, false},
        {"18446744073709551615", false, true}, // 2^64 - 1
        {"18446744073709551616", false, false},
        {"-1", true, false},
    };
    for (const auto &row : rows) {
        const mpz_class value(row.value);
        std::optional<int64_t> as_signed;
        std::optional<uint64_t> as_unsigned;
        if (row.fits_signed) {
            quodra::detail::store(as_signed, value.get_mpz_t(), "quotient", 0);
            EXPECT_EQ(mpz_class(std::to_string(*as_signed)), value);
        } else {
            EXPECT_THROW(quodra::detail::store(as_signed, value.get_mpz_t(), "quotient", 0), std::overflow_error)
                << row.value;
        }
        if (row.fits_unsigned) {
            quodra::detail::store(as_unsigned, value.get_mpz_t(), "quotient", 0);
            EXPECT_EQ(mpz_class(std::to_string(*as_unsigned)), value);
        } else {
            EXPECT_THROW(quodra::detail::store(as_unsigned, value.get_mpz_t(), "quotient", 0), std::overflow_error)
                << row.value;
        }
    }
}

TEST(cxx_divider, ArrayCallGivesWhatADirectCallGives) {
    const quodra::config c =
        make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, 12, 20, 9);
    const std::size_t n = 64;
    gmp_randclass random(gmp_randinit_default);
    random.seed(3);
    quodra::mpz_array divisor({n}), dividend({n}), quotient({n}), remainder({n}), direct_quotient({n});
    quodra::uint_array flags({n}), direct_flags({n});
    for (std::size_t i = 0; i < n; ++i) {
        divisor.set_sample(i, random_operand(random, 12, true));
        dividend.set_sample(i, random_operand(random, 20, true));
    }
    quodra::divider d(c);
    d.divide(divisor, dividend, quotient, remainder, flags, static_cast<uint32_t>(n));

    const qor_quodra_v5_1_config record = c.to_c();
    quodra_v5_1 *model = qor_quodra_v5_1_create(&record, nullptr, nullptr);
    ASSERT_EQ(qor_quodra_v5_1_data_do(model, divisor.get(), dividend.get(), direct_quotient.get(), nullptr,
                                      direct_flags.get(), static_cast<uint32_t>(n)),
              0);
    qor_quodra_v5_1_destroy(model);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(quotient.sample(i), direct_quotient.sample(i)) << i;
        EXPECT_EQ(flags.sample(i), direct_flags.sample(i)) << i;
        EXPECT_EQ(d.divide(divisor.sample(i), dividend.sample(i)).quotient, quotient.sample(i)) << i;
    }
}

TEST(cxx_divider, ErrorsCarryTheLibrarysTextExactly) {
    const struct {
        quodra::config c;
        const char *message;
    } refused[] = {
        {make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL, 16, 16, 16),
         "Operand sign must be Signed for the High Radix algorithm"},
        {make_config(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER, 16, 16),
         "Remainder type must be Fractional for the High Radix algorithm"},
        {make_config(QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, 16, 16, 16),
         "Remainder type must be Remainder for the LutMult algorithm"},
    };
    for (const auto &row : refused) {
        try {
            quodra::divider d(row.c);
            ADD_FAILURE() << "created: " << row.message;
        } catch (const quodra::error &e) {
            EXPECT_STREQ(e.what(), row.message);
        }
    }

    quodra::config named;
    named.name = "bench divider 7";
    quodra::divider d(named);
    quodra::mpz_array divisor({2}), dividend({3}), quotient({3}), remainder({3});
    quodra::uint_array flags({3});
    try {
        d.divide(divisor, dividend, quotient, remainder, flags, 3);
        ADD_FAILURE() << "three samples from a two-sample divisor";
    } catch (const quodra::error &e) {
        EXPECT_STREQ(e.what(), "bench divider 7 ERROR: Number of samples requested is larger than the divisor size");
    }
    // The model is unharmed and the next call divides.
    divisor.set_sample(1, 2);
    dividend.set_sample(1, -7);
    d.divide(divisor, dividend, quotient, remainder, flags, 2);
    EXPECT_EQ(quotient.sample(1), pattern(-3, 16));

    quodra::divider unknown(make_config(2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL, 16, 16, 16));
    try {
        unknown.divide(mpz_class(1), mpz_class(1));
        ADD_FAILURE() << "algorithm 2 divided in fractional mode";
    } catch (const quodra::error &e) {
        EXPECT_STREQ(e.what(), "Default configuration ERROR: Unknown algorithm_type.");
    }
    // Refused without a message by the library (null arrays, no model): still an error.
    EXPECT_THROW(d.divide(nullptr, nullptr, nullptr, nullptr, nullptr, 0), quodra::error);
    quodra::divider taken(std::move(d));
    EXPECT_THROW(d.divide(divisor, dividend, quotient, remainder, flags, 2), quodra::error);
    EXPECT_THROW(d.divide(mpz_class(1), mpz_class(1)), std::logic_error);
    taken.divide(divisor, dividend, quotient, remainder, flags, 2);
}

TEST(cxx_divider, WarningsReachTheCallbackAndItsExceptionsComeBack) {
    std::vector<std::string> seen;
    quodra::config c = make_config(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                   QUODRA_OUTPUT_REMAINDER, 16, 16);
    c.name = "real";
    const quodra::divider d(c, [&seen](std::string_view text) { seen.emplace_back(text); });
    quodra::real_array divisor({2}), dividend({2}), quotient({2}), remainder({2});
    quodra::uint_array flags({2});
    divisor[0] = 2.5;
    divisor[1] = 7.0;
    dividend[0] = 7.0;
    dividend[1] = 100.0;
    d.divide_real(divisor, dividend, quotient, remainder, flags, 2);
    EXPECT_EQ(seen, std::vector<std::string>{"real WARNING: Truncating non-integer divisor input"});
    EXPECT_EQ(quotient[0], 3.0);
    EXPECT_EQ(remainder[0], 1.0);
    EXPECT_EQ(quotient[1], 14.0);
    EXPECT_EQ(remainder[1], 2.0);

    struct stop_bench {};
    const quodra::divider throwing(c, [](std::string_view) { throw stop_bench{}; });
    EXPECT_THROW(throwing.divide_real(divisor, dividend, quotient, remainder, flags, 2), stop_bench);
    divisor[0] = 2.0;
    EXPECT_NO_THROW(throwing.divide_real(divisor, dividend, quotient, remainder, flags, 2));
}

// Two threads share one model, each with its own divider; each provokes a
// different error and must see only its own text.
TEST(cxx_divider, ConcurrentCallsOnOneModelKeepTheirOwnErrors) {
    auto shared = std::make_shared<const quodra::model>(quodra::config());
    std::atomic<int> wrong{0};
    auto provoke = [&](std::size_t divisor_size, std::size_t dividend_size, const std::string &expected) {
        quodra::divider d(shared);
        quodra::mpz_array divisor({divisor_size}), dividend({dividend_size}), quotient({4}), remainder({4});
        quodra::uint_array flags({4});
        for (int i = 0; i < 400; ++i) {
            try {
                d.divide(divisor, dividend, quotient, remainder, flags, 4);
                ++wrong;
            } catch (const quodra::error &e) {
                wrong += expected != e.what();
            }
            wrong += d.divide(mpz_class(3), mpz_class(7)).quotient != 2;
        }
    };
    std::thread first(provoke, 1, 4, "Default configuration ERROR: Number of samples requested is larger than the divisor size");
    std::thread second(provoke, 4, 1, "Default configuration ERROR: Number of samples requested is larger than the dividend size");
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
