// The word batch against data_do: for every divisor width x dividend width
// 1 .. 64 of each algorithm and output, signed and unsigned, both operand
// types and both result readings, every word and flag the batch writes
// equals what data_do writes for the same samples through GNU MP arrays.
// The samples are the edges of both ports and of the 64-bit words (0, +-1,
// the extremes, min / -1, powers of two, zero divisors, values beyond the
// port) paired with each other, and a few random ones per width pair.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/driver/word_batch.h"
#include "support/driver_test_support.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;
using quodra_internal::divide_word_batch;
using quodra_internal::word_batch_status;

constexpr int random_samples = 8;
// A remainder_type that names neither remainder nor fractional output: the
// Radix-2 divider writes its integer register of W bits.
constexpr int32_t integer_output = 2;
constexpr int64_t untouched = 0x5a5a; // in every output before a call

void set_value(mpz_ptr target, int64_t value) { mpz_set_si(target, value); }
void set_value(mpz_ptr target, uint64_t value) { mpz_set_ui(target, value); }

// Operand values of a port of `width` bits as Operand: the port's edges,
// the word's edges and powers of two, whatever the port's sign.
std::vector<int64_t> edges(uint32_t width, int64_t) {
    // 2^(w-1) and its neighbours in two's complement words (w = 64 wraps).
    const uint64_t half = uint64_t{1} << (width - 1);
    const auto word = [](uint64_t bits) { return static_cast<int64_t>(bits); };
    return {0, 1, -1, word(half - 1), word(uint64_t{0} - half), word(half),
            std::numeric_limits<int64_t>::min()};
}
std::vector<uint64_t> edges(uint32_t width, uint64_t) {
    const uint64_t top = width >= 64 ? ~uint64_t{0} : (uint64_t{1} << width) - 1;
    return {0, 1, top, top >> 1, (top >> 1) + 1, ~uint64_t{0}};
}

template <class Operand> Operand random_in(std::mt19937_64 &random, uint32_t width) {
    // Uniform over the port: [0, 2^w), or [-2^(w-1), 2^(w-1)) in two's complement.
    const uint64_t bits = random() >> (64 - width);
    const uint64_t offset = std::is_signed<Operand>::value ? uint64_t{1} << (width - 1) : 0;
    return static_cast<Operand>(bits - offset);
}

template <class Operand> struct sample_set {
    std::vector<Operand> divisor;
    std::vector<Operand> dividend;
};

// Every edge divisor with every edge dividend, then random pairs.
template <class Operand>
sample_set<Operand> samples_for(uint32_t divisor_width, uint32_t dividend_width,
                                std::mt19937_64 &random) {
    sample_set<Operand> set;
    for (Operand d : edges(divisor_width, Operand{})) {
        for (Operand n : edges(dividend_width, Operand{})) {
            set.divisor.push_back(d);
            set.dividend.push_back(n);
        }
    }
    for (int k = 0; k < random_samples; ++k) {
        set.divisor.push_back(random_in<Operand>(random, divisor_width));
        set.dividend.push_back(random_in<Operand>(random, dividend_width));
    }
    return set;
}

// data_do's results for one sample set.
struct reference_results {
    explicit reference_results(std::size_t n) : quotient(n), remainder(n), flags(n, 7u) {}
    mpz_vector quotient;
    mpz_vector remainder;
    uint_vector flags;
};

template <class Result> bool reading_holds(mpz_srcptr value) {
    if (std::is_signed<Result>::value) {
        return mpz_fits_slong_p(value) != 0;
    }
    return mpz_sgn(value) >= 0 && mpz_sizeinbase(value, 2) <= 64;
}

template <class Result> quodra_internal::result_words words_of(std::vector<Result> &v);
template <> quodra_internal::result_words words_of(std::vector<int64_t> &v) {
    quodra_internal::result_words w;
    w.as_int64 = v.data();
    return w;
}
template <> quodra_internal::result_words words_of(std::vector<uint64_t> &v) {
    quodra_internal::result_words w;
    w.as_uint64 = v.data();
    return w;
}

bool equal(mpz_srcptr expected, int64_t word) { return mpz_cmp_si(expected, word) == 0; }
bool equal(mpz_srcptr expected, uint64_t word) { return mpz_cmp_ui(expected, word) == 0; }

// The batch into outputs read as Result, against data_do's results: equal
// words when it divided; when it did not, either the configuration is out
// of reach or some result has no Result word.
template <class Result, class Operand>
void compare_reading(const quodra_v5_1 &model, const sample_set<Operand> &set,
                     const reference_results &expected, bool remainder_mode, bool in_reach,
                     const std::string &label) {
    const std::size_t n = set.divisor.size();
    std::vector<Result> quotient(n, untouched), remainder(n, untouched);
    std::vector<uint32_t> flags(n, 7u);
    quodra_internal::word_results out;
    out.quotient = words_of(quotient);
    out.remainder = words_of(remainder);
    out.div_by_zero = flags.data();
    const word_batch_status status =
        divide_word_batch(model, set.divisor.data(), set.dividend.data(), n, out);
    bool every_result_held = true;
    for (std::size_t i = 0; i < n; ++i) {
        every_result_held = every_result_held && reading_holds<Result>(expected.quotient.at(i)) &&
                            (!remainder_mode || reading_holds<Result>(expected.remainder.at(i)));
    }
    if (status != word_batch_status::divided) {
        EXPECT_FALSE(in_reach && every_result_held) << label << ": refused a batch in reach";
        return;
    }
    ASSERT_TRUE(in_reach) << label << ": divided a configuration out of reach";
    for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(flags[i], expected.flags.at(i)) << label << " sample " << i;
        ASSERT_TRUE(equal(expected.quotient.at(i), quotient[i]))
            << label << " sample " << i << ": " << +set.divisor[i] << ", " << +set.dividend[i]
            << " quotient " << expected.quotient.text(i) << " against " << +quotient[i];
        if (remainder_mode) {
            ASSERT_TRUE(equal(expected.remainder.at(i), remainder[i]))
                << label << " sample " << i << ": " << +set.divisor[i] << ", "
                << +set.dividend[i] << " remainder " << expected.remainder.text(i)
                << " against " << +remainder[i];
        }
    }
}

// A configuration out of reach is refused before the first sample.
template <class Operand>
void expect_out_of_reach(const quodra_v5_1 &model, const sample_set<Operand> &set,
                         const std::string &label) {
    const std::size_t n = set.divisor.size();
    std::vector<int64_t> quotient(n, untouched), remainder(n, untouched);
    std::vector<uint32_t> flags(n, 7u);
    quodra_internal::word_results out;
    out.quotient.as_int64 = quotient.data();
    out.remainder.as_int64 = remainder.data();
    out.div_by_zero = flags.data();
    EXPECT_EQ(divide_word_batch(model, set.divisor.data(), set.dividend.data(), n, out),
              word_batch_status::not_in_reach)
        << label;
    EXPECT_EQ(flags, std::vector<uint32_t>(n, 7u)) << label;
}

template <class Operand>
void compare_with_data_do(const qor_quodra_v5_1_config &c, const sample_set<Operand> &set,
                          bool in_reach, const std::string &label) {
    test_model model(c);
    ASSERT_NE(model.get(), nullptr) << label;
    if (!in_reach) {
        expect_out_of_reach(*model.get(), set, label);
        return;
    }
    const std::size_t n = set.divisor.size();
    mpz_vector divisor(n), dividend(n);
    reference_results expected(n);
    for (std::size_t i = 0; i < n; ++i) {
        set_value(divisor->data[i], set.divisor[i]);
        set_value(dividend->data[i], set.dividend[i]);
        expected.quotient.set(i, untouched);
        expected.remainder.set(i, untouched);
    }
    const bool remainder_mode = c.remainder_type == QUODRA_OUTPUT_REMAINDER;
    const int rc = qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                           expected.quotient.get(), expected.remainder.get(),
                                           expected.flags.get(), static_cast<uint32_t>(n));
    if (in_reach) {
        // data_do accepts everything in reach, silently.
        ASSERT_EQ(rc, 0) << label;
        ASSERT_TRUE(model.calls().empty()) << label;
    }
    compare_reading<int64_t>(*model.get(), set, expected, remainder_mode, in_reach, label);
    compare_reading<uint64_t>(*model.get(), set, expected, remainder_mode, in_reach, label);
}

struct mode {
    const char *name;
    int32_t algorithm;
    int32_t sign;
    int32_t output;
};

// The fractional widths a width pair is tried with: 0, 1, the dividend
// width and the largest the word path takes (`largest`), then one past it,
// which must be out of reach.
std::vector<int32_t> fractional_widths(int32_t dividend_width, int32_t largest) {
    std::vector<int32_t> kept;
    for (int32_t f : {0, 1, dividend_width, largest, largest + 1}) {
        if (f >= 0 && f <= largest + 1 && std::find(kept.begin(), kept.end(), f) == kept.end()) {
            kept.push_back(f);
        }
    }
    return kept;
}

// The written width bound of each mode, as documented in word_batch.h:
// the largest F in reach for dividend width B, or -1 when F plays no part.
int32_t largest_fraction(const mode &m, int32_t B) {
    if (m.output == QUODRA_OUTPUT_REMAINDER) return -1;
    if (m.algorithm == QUODRA_ALGORITHM_HIGH_RADIX) return 62 - B;
    const bool fraction_used = m.output == QUODRA_OUTPUT_FRACTIONAL || m.sign == QUODRA_OPERAND_SIGNED;
    return fraction_used ? 64 - B : -1;
}

void compare_every_width_pair(const mode &m) {
    std::mt19937_64 random(20240611);
    for (int32_t A = 1; A <= 64; ++A) {
        for (int32_t B = 1; B <= 64; ++B) {
            const int32_t largest = largest_fraction(m, B);
            const std::vector<int32_t> fractions =
                largest < 0 ? std::vector<int32_t>{16} : fractional_widths(B, largest);
            const sample_set<int64_t> signed_set = samples_for<int64_t>(A, B, random);
            const sample_set<uint64_t> unsigned_set = samples_for<uint64_t>(A, B, random);
            for (int32_t F : fractions) {
                const qor_quodra_v5_1_config c =
                    config_builder(m.algorithm, m.sign, m.output).widths(A, B, F);
                const bool in_reach = largest < 0 || F <= largest;
                const std::string label = std::string(m.name) + " " + std::to_string(A) + "/" +
                                          std::to_string(B) + " F" + std::to_string(F);
                compare_with_data_do(c, signed_set, in_reach, label + " int64");
                compare_with_data_do(c, unsigned_set, in_reach, label + " uint64");
                if (testing::Test::HasFatalFailure()) return;
            }
        }
    }
}

class WordBatchAgreesWithDataDo : public testing::TestWithParam<mode> {};

TEST_P(WordBatchAgreesWithDataDo, AtEveryWidthPairUpTo64) { compare_every_width_pair(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Modes, WordBatchAgreesWithDataDo,
    testing::Values(
        mode{"remainder_signed", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER},
        mode{"remainder_unsigned", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_REMAINDER},
        mode{"remainder_lutmult", QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER},
        mode{"radix2_integer_signed", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, integer_output},
        mode{"radix2_integer_unsigned", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, integer_output},
        mode{"radix2_fractional_signed", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL},
        mode{"radix2_fractional_unsigned", QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED, QUODRA_OUTPUT_FRACTIONAL},
        mode{"high_radix", QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL}),
    [](const testing::TestParamInfo<mode> &info) { return std::string(info.param.name); });

// Configurations data_do refuses are out of reach, so that the caller's
// GNU MP call gives data_do's message.
TEST(WordBatch, LeavesRefusedConfigurationsToDataDo) {
    const qor_quodra_v5_1_config refused[] = {
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_REMAINDER).widths(16, -1, 0),
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(16, 16, -2),
        config_builder(QUODRA_ALGORITHM_LUTMULT, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL).widths(16, 16, 16),
    };
    for (const qor_quodra_v5_1_config &c : refused) {
        test_model model(c);
        if (model.get() == nullptr) continue; // refused at creation already
        std::vector<int64_t> operands{1, 2}, quotient(2), remainder(2);
        std::vector<uint32_t> flags(2);
        quodra_internal::word_results out;
        out.quotient.as_int64 = quotient.data();
        out.remainder.as_int64 = remainder.data();
        out.div_by_zero = flags.data();
        EXPECT_EQ(divide_word_batch(*model.get(), operands.data(), operands.data(), 2, out),
                  word_batch_status::not_in_reach)
            << c.divisor_width << "/" << c.dividend_width << " F" << c.fractional_width;
    }
}

} // namespace
