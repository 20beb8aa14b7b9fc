// The High Radix fast path against the GNU MP reference: every pair of port
// widths up to 64 bits with edge and random operands, random wider and
// longer configurations, every slice count of the unit loop, the sample
// loop with out-of-range operands, zero
// divisors and refused reads, and the digit registers against the GNU MP
// digit string.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/driver_test_support.h"
#include "engine/common/twos_complement_fields.h"
#include "engine/high_radix/reference/digit_string.h"
#include "engine/high_radix/reference/sample_divider.h"
#include "engine/high_radix/reference/setup.h"
#include "support/high_radix_test_support.h"
#include "engine/high_radix/reference/unit.h"
#include "engine/high_radix/fast_path/digit_kernels.h"
#include "engine/high_radix/divide_high_radix.h"
#include "engine/high_radix/fast_path/word_divider.h"
#include "model/quodra_v5_1.h"

namespace {

using high_radix_test::integer;
using high_radix_test::random_source;

// Edge operands of a width-bit port: 0, +-1, the extremes, and powers of two
// +-1 at the middle and near the top, each reduced to the port (a one-bit
// port holds only 0 and -1).
constexpr unsigned edge_count = 10;
void edge_operand(mpz_ptr x, uint32_t width, unsigned which, mpz_ptr scratch) {
    const uint32_t top = width == 0 ? 0 : width - 1;
    const uint32_t power[edge_count] = {0, 0, 0, top, top, top / 2, top / 2, top - top / 4,
                                        top - top / 4, top};
    const long sign[edge_count] = {0, 1, -1, 1, -1, 1, -1, 1, -1, 1};
    const long offset[edge_count] = {0, 0, 0, -1, 0, 1, -1, 0, 1, -2};
    mpz_set_ui(x, 0);
    if (sign[which] != 0) mpz_setbit(x, power[which]);
    if (sign[which] < 0) mpz_neg(x, x);
    if (which == 1 || which == 2) mpz_set_si(x, sign[which]);
    if (offset[which] >= 0) {
        mpz_add_ui(x, x, static_cast<unsigned long>(offset[which]));
    } else {
        mpz_sub_ui(x, x, static_cast<unsigned long>(-offset[which]));
    }
    reduce_to_port_width(x, width, scratch);
}

// A model made directly; null when creation refuses the widths.
struct direct_model {
    direct_model(int32_t A, int32_t B, int32_t C)
        : logger(nullptr, nullptr, "fast"), model(high_radix_test::created_model(A, B, C, logger)) {}
    qor_quodra_v5_1_zanlogger::ZanLogger logger;
    std::unique_ptr<quodra_v5_1> model;
};

// Both paths on one sample, each on its own copy of the operands; "" when
// they agree on the outcome, the quotient and the operands as reduced in
// place (which a refused read reuses), else what differs.
std::string compare_sample(high_radix_word_divider &fast, high_radix_sample_divider &reference,
                           mpz_srcptr D, mpz_srcptr N) {
    integer d_fast, n_fast, d_reference, n_reference;
    mpz_set(d_fast.v, D);
    mpz_set(n_fast.v, N);
    mpz_set(d_reference.v, D);
    mpz_set(n_reference.v, N);
    const high_radix_word_divider::outcome got = fast.divide(d_fast.v, n_fast.v);
    const high_radix_sample_divider::outcome want = reference.divide(d_reference.v, n_reference.v);
    integer original_d, original_n;
    mpz_set(original_d.v, D);
    mpz_set(original_n.v, N);
    const std::string operands = " for N " + original_n.text() + " D " + original_d.text();
    if (mpz_cmp(d_fast.v, d_reference.v) != 0 || mpz_cmp(n_fast.v, n_reference.v) != 0) {
        return "reduced operands" + operands;
    }
    if (want == high_radix_sample_divider::outcome::divide_by_zero) {
        return got == high_radix_word_divider::outcome::divide_by_zero ? "" : "zero" + operands;
    }
    if (want != high_radix_sample_divider::outcome::quotient_ready ||
        got != high_radix_word_divider::outcome::quotient_ready) {
        return "outcome" + operands;
    }
    if (mpz_cmp(fast.quotient(), reference.quotient()) == 0) return "";
    integer q;
    mpz_set(q.v, fast.quotient());
    return "quotient " + q.text() + operands;
}

// Every edge divisor with every edge dividend, then random pairs (some out
// of range); returns
// the first disagreement, or "" (also when creation refuses the widths).
std::string compare_configuration(int32_t A, int32_t B, int32_t C, random_source &random,
                                  unsigned random_pairs) {
    direct_model m(A, B, C);
    if (!m.model) return "";
    high_radix_word_divider fast(*m.model);
    if (!fast.usable()) return "fast path unusable";
    high_radix_sample_divider reference(*m.model);
    integer D, N, scratch;
    const auto a = static_cast<uint32_t>(A);
    const auto b = static_cast<uint32_t>(B);
    for (unsigned i = 0; i < edge_count; ++i) {
        for (unsigned k = 0; k < edge_count; ++k) {
            edge_operand(D.v, a, i, scratch.v);
            edge_operand(N.v, b, k, scratch.v);
            const std::string difference = compare_sample(fast, reference, D.v, N.v);
            if (!difference.empty()) return difference;
        }
    }
    for (unsigned p = 0; p < random_pairs; ++p) {
        random.port_value(D.v, a, scratch.v);
        random.port_value(N.v, b, scratch.v);
        const std::string difference = compare_sample(fast, reference, D.v, N.v);
        if (!difference.empty()) return difference;
    }
    return "";
}

std::string widths_text(int32_t A, int32_t B, int32_t C) {
    return "A " + std::to_string(A) + " B " + std::to_string(B) + " C " + std::to_string(C);
}

} // namespace

// Every divisor width 1..64 with every dividend width 0..64; the fractional
// width cycles through a table so that each (A, B) meets two of them and
// every C meets every width.
TEST(HighRadixWordPath, AgreesWithTheReferenceAtEveryWidthUpTo64) {
    const int32_t fractions[] = {0, 1, 13, 14, 31, 50, 64};
    const int32_t cycle = sizeof fractions / sizeof fractions[0];
    random_source random(8);
    for (int32_t A = 1; A <= 64; ++A) {
        for (int32_t B = 0; B <= 64; ++B) {
            for (int32_t step : {0, 3}) {
                const int32_t C = fractions[(A + 2 * B + step) % cycle];
                const std::string difference = compare_configuration(A, B, C, random, 6);
                ASSERT_EQ(difference, "") << widths_text(A, B, C);
            }
        }
    }
}

// Wider divisors and dividends (operands read from limbs), and long
// fractions, whose digit strings take the two-word, limb or GNU MP stores.
TEST(HighRadixWordPath, AgreesWithTheReferenceOnRandomWideAndLongConfigurations) {
    random_source random(303);
    unsigned tried = 0;
    for (unsigned i = 0; i < 400; ++i) {
        const bool wide = i % 2 == 0;
        const auto A = static_cast<int32_t>(wide ? 65 + random.below(239) : 1 + random.below(64));
        const auto B = static_cast<int32_t>(random.below(wide ? 301 : 65));
        const auto C = static_cast<int32_t>(random.below(wide ? 700 : 1500));
        direct_model m(A, B, C);
        if (!m.model) continue;
        ++tried;
        const std::string difference = compare_configuration(A, B, C, random, 10);
        ASSERT_EQ(difference, "") << widths_text(A, B, C);
    }
    EXPECT_GT(tried, 200u);
}

// The unit loop is compiled once per slice count, with a full phase and a
// tail whose length depends on how the iteration count compares with the
// slice count: every slice count 1..19, each with fewer, as many and more
// iterations than slices, at the lowest and highest divisor width of its
// slice count.
TEST(HighRadixWordPath, AgreesWithTheReferenceForEverySliceCount) {
    random_source random(19);
    for (int32_t slices = 1; slices <= 19; ++slices) {
        for (int32_t A : {std::max(1, 16 * (slices - 1)), 16 * slices - 1}) {
            for (int32_t iterations : {slices - 1, slices, slices + 1, slices + 7}) {
                if (iterations < 1) continue;
                // B + C + 2 = 14 K gives exactly K iterations.
                const int32_t B = std::min(A, 14 * iterations - 2);
                const int32_t C = 14 * iterations - 2 - B;
                ASSERT_TRUE(direct_model(A, B, C).model) << widths_text(A, B, C);
                const std::string difference = compare_configuration(A, B, C, random, 40);
                ASSERT_EQ(difference, "") << widths_text(A, B, C);
            }
        }
    }
}

// Rounding drops the digit string's lowest bits, so the quotients alone could
// hide a wrong last digit: the compiled loop of each slice count against the
// digits the reference unit traces, from the registers it prepared, with
// fewer, as many and more iterations than slices.
TEST(HighRadixWordPath, CompiledUnitLoopsGiveTheReferenceDigits) {
    struct recorder : high_radix_unit_trace {
        void prepared(const high_radix_unit_preparation &p) override { preparation = p; }
        void iterated(const high_radix_iteration &i) override { digits.push_back(i.digit); }
        high_radix_unit_preparation preparation{};
        std::vector<int32_t> digits;
    };
    random_source random(36);
    integer D, N, scratch;
    for (int32_t slices = 1; slices <= 19; ++slices) {
        const int32_t A = 16 * slices - 1 - static_cast<int32_t>(random.below(16)) % (16 * slices - 1);
        for (int32_t iterations : {slices - 1, slices, slices + 2, 36}) {
            if (iterations < 1) continue;
            const int32_t B = std::min(A, 14 * iterations - 2);
            const int32_t C = 14 * iterations - 2 - B;
            direct_model m(A, B, C);
            ASSERT_TRUE(m.model) << widths_text(A, B, C);
            const high_radix_unit_shape shape = high_radix_unit_shape_of(*m.model);
            const high_radix_datapath::digit_kernel kernel =
                high_radix_datapath::digit_kernel_for(shape.slices);
            ASSERT_NE(kernel, nullptr);
            high_radix_sample_divider reference(*m.model);
            unsigned compared = 0;
            for (unsigned trial = 0; trial < 20; ++trial) {
                random.port_value(D.v, static_cast<uint32_t>(A), scratch.v);
                random.port_value(N.v, static_cast<uint32_t>(B), scratch.v);
                recorder trace;
                if (reference.divide(D.v, N.v, &trace) !=
                    high_radix_sample_divider::outcome::quotient_ready) {
                    continue;
                }
                std::vector<int32_t> digits(shape.iterations);
                kernel(shape, trace.preparation, reference.reciprocal_estimate(), digits.data());
                ASSERT_EQ(digits, trace.digits) << widths_text(A, B, C);
                ++compared;
            }
            EXPECT_GT(compared, 10u) << widths_text(A, B, C);
        }
    }
}

// The sample loop along both paths: out-of-range operands (which the fast
// path hands to the reference), divisors that reduce to zero, and reads
// refused past data_size that reuse the previous operands.
TEST(HighRadixWordPath, SampleLoopMatchesTheReferenceLoop) {
    struct widths {
        int32_t A, B, C;
    };
    const widths cases[] = {{1, 8, 4},    {8, 8, 4},     {16, 16, 16}, {33, 7, 0},
                            {64, 64, 64}, {130, 70, 30}, {300, 200, 40}, {20, 12, 900}};
    // 2^70 lies past every divisor port here but the widest.
    const char *const divisors[] = {
        "7",     "-3", "0", "1", "-1", "256", "-257", "65536", "1180591620717411303424",
        "-0x80000000000000000000000000000001", "12345678901234567890123", "5"};
    const char *const dividends[] = {"100", "-100", "9", "-1", "0x7fff", "-0x8000", "0x10001",
                                     "-0x123456789abcdef0123456789", "1", "3", "-77", "8"};
    const size_t count = sizeof divisors / sizeof divisors[0];
    for (const widths &w : cases) {
        SCOPED_TRACE(widths_text(w.A, w.B, w.C));
        direct_model m(w.A, w.B, w.C);
        ASSERT_TRUE(m.model);
        driver_test::mpz_vector divisor(count), dividend(count), fast_q(count), reference_q(count);
        integer value;
        for (size_t i = 0; i < count; ++i) {
            ASSERT_EQ(mpz_set_str(value.v, divisors[i], 0), 0);
            divisor.set(i, value.v);
            ASSERT_EQ(mpz_set_str(value.v, dividends[i], 0), 0);
            dividend.set(i, value.v);
            fast_q.set(i, -31L);
            reference_q.set(i, -31L);
        }
        driver_test::uint_vector fast_flags(count, 9), reference_flags(count, 9);
        divisor->data_size = count - 2; // the last two samples reuse operands
        dividend->data_size = count - 1;
        EXPECT_EQ(divide_high_radix_along(*m.model, high_radix_path::fast_where_possible,
                                          divisor.get(), dividend.get(), fast_q.get(),
                                          fast_flags.get(), static_cast<uint32_t>(count)),
                  0);
        EXPECT_EQ(divide_high_radix_along(*m.model, high_radix_path::reference_only,
                                          divisor.get(), dividend.get(), reference_q.get(),
                                          reference_flags.get(), static_cast<uint32_t>(count)),
                  0);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(fast_q.text(i), reference_q.text(i)) << "sample " << i;
            EXPECT_EQ(fast_flags.at(i), reference_flags.at(i)) << "sample " << i;
        }
        EXPECT_EQ(fast_flags.at(2), 1u);
        EXPECT_EQ(fast_q.text(2), "-31");
    }
}

// Digit strings with digits across the unit's whole range, both divisor
// signs and several rounding pads, gathered and rounded in words and limbs,
// against the GNU MP string and its rounding; the lengths reach each side
// of every rounding tier's bounds.
TEST(HighRadixWordPath, GatheredDigitsRoundAsTheGnuMpString) {
    random_source random(14);
    const uint32_t lengths[] = {1, 2, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 35, 36};
    integer T, want, scratch;
    for (uint32_t digits : lengths) {
        for (unsigned trial = 0; trial < 40; ++trial) {
            std::vector<int32_t> string(digits);
            for (int32_t &digit : string) {
                // Mostly random, sometimes the extremes of a 17-bit signed digit.
                const uint32_t pick = random.below(8);
                digit = pick == 0   ? 65535
                        : pick == 1 ? -65535
                                    : static_cast<int32_t>(random.below(131071)) - 65535;
            }
            const bool negative = trial % 2 == 1;
            const uint32_t pad = 2 + random.below(14);
            SCOPED_TRACE(std::to_string(digits) + " digits, pad " + std::to_string(pad) +
                         (negative ? ", negative" : ""));
            mpz_set_ui(T.v, 0);
            high_radix_digit_string reference(T.v, digits);
            for (int32_t digit : string) reference.append(digit);
            reference.finish();
            round_digit_string(want.v, T.v, negative, pad, pad + 1, scratch.v);

#if defined(__SIZEOF_INT128__)
            integer gathered;
            std::vector<int32_t> led(gathered_digit_lead, 0);
            led.insert(led.end(), string.begin(), string.end());
            round_gathered_digits(gathered.v, led.data() + gathered_digit_lead, digits, negative,
                                  pad, pad + 1);
            EXPECT_EQ(gathered.text(), want.text()) << "gathered digits";
#endif
        }
    }
}

// The word path tests a port's range on the operand's one limb: operands
// just inside and just outside each port, and two-limb ones, unreduced.
TEST(HighRadixWordPath, PortRangeTestAgreesWithTheReferenceAtItsBoundaries) {
    for (int32_t width : {1, 2, 17, 63, 64}) {
        direct_model m(width, width, 20);
        ASSERT_TRUE(m.model) << width;
        high_radix_word_divider fast(*m.model);
        ASSERT_TRUE(fast.usable());
        high_radix_sample_divider reference(*m.model);
        const auto half = static_cast<unsigned long>(width - 1);
        integer D, N, edge;
        // +-2^(w-1) + {-1, 0, 1}, +-2^64 + {-1, 0, 1}, 0 and +-1.
        for (unsigned long power : {half, 64ul}) {
            for (long sign : {1l, -1l}) {
                for (long offset : {-1l, 0l, 1l}) {
                    mpz_set_ui(edge.v, 0);
                    mpz_setbit(edge.v, power);
                    mpz_mul_si(edge.v, edge.v, sign);
                    mpz_add_ui(edge.v, edge.v, 1);
                    mpz_sub_ui(edge.v, edge.v, static_cast<unsigned long>(1 - offset));
                    for (long other : {-1l, 0l, 1l, 3l}) {
                        mpz_set_si(N.v, other);
                        ASSERT_EQ(compare_sample(fast, reference, edge.v, N.v), "") << width;
                        mpz_set_si(D.v, other == 0 ? 5 : other);
                        ASSERT_EQ(compare_sample(fast, reference, D.v, edge.v), "") << width;
                    }
                }
            }
        }
    }
}

// A limb window against the same bits cut by GNU MP: floor(x / 2^p) mod
// 2^64, with x * 2^-p for negative positions, over random values of either
// sign and positions below, inside and above the value.
TEST(HighRadixWordPath, LimbWindowsReadTheTwosComplementBits) {
    random_source random(64);
    integer x, expected, scratch;
    for (unsigned i = 0; i < 400; ++i) {
        random.port_value(x.v, 1 + random.below(500), scratch.v);
        if (mpz_size(x.v) >= padded_limbs::capacity) continue;
        const bool magnitude_only = i % 3 == 0;
        const padded_limbs limbs(x.v, magnitude_only);
        if (magnitude_only) mpz_abs(x.v, x.v);
        for (int64_t position : {-200l, -64l, -63l, -1l, 0l, 1l, 63l, 64l, 100l, 500l, 700l}) {
            if (position >= 0) {
                mpz_fdiv_q_2exp(expected.v, x.v, static_cast<mp_bitcnt_t>(position));
            } else {
                mpz_mul_2exp(expected.v, x.v, static_cast<mp_bitcnt_t>(-position));
            }
            mpz_fdiv_r_2exp(expected.v, expected.v, 64);
            ASSERT_EQ(limbs.window(position), mpz_get_ui(expected.v))
                << "x " << x.text() << " at " << position;
        }
    }
}

// The sign reads taken without branches: slice patterns as two's complement
// at the widths the unit uses, and limb counts and magnitude bits of
// integers of either sign against GNU MP's own.
TEST(HighRadixWordPath, BranchFreeSignReadsAgreeWithTheirDefinitions) {
    struct pattern_case {
        uint32_t pattern;
        unsigned width;
        int32_t value;
    };
    const pattern_case patterns[] = {
        {0, 16, 0},           {1, 16, 1},           {0x7fff, 16, 32767}, {0x8000, 16, -32768},
        {0xffff, 16, -1},     {0xfffe, 17, 65534},  {0x10000, 17, -65536}, {0x1fffe, 17, -2},
        {0x1ffff, 17, -1},    {0, 17, 0}};
    for (const pattern_case &c : patterns) {
        EXPECT_EQ(high_radix_datapath::as_signed(c.pattern, c.width), c.value)
            << c.pattern << " in " << c.width << " bits";
    }
    random_source random(65);
    integer x, scratch;
    for (unsigned i = 0; i < 300; ++i) {
        random.port_value(x.v, 1 + random.below(600), scratch.v);
        if (i % 7 == 0) mpz_set_si(x.v, i % 2 == 0 ? -1 : 0);
        ASSERT_EQ(limb_count(x.v), mpz_size(x.v)) << x.text();
        const uint64_t bits = mpz_sgn(x.v) == 0 ? 0 : mpz_sizeinbase(x.v, 2);
        ASSERT_EQ(magnitude_bits(x.v), bits) << x.text();
    }
}

// The sample loop with every read and write in place (no refused read, no
// dropped write), which divides each sample where it is stored and writes
// its quotient into its element: edge pairs, random operands (one in eight
// outside its port, which the loop loads and reduces), zero divisors, and
// the quotient written over the dividend's own array, against the reference
// loop on separate arrays.
TEST(HighRadixWordPath, InPlaceSampleLoopMatchesTheReferenceLoop) {
    struct widths {
        int32_t A, B, C;
    };
    const widths cases[] = {{1, 1, 0},     {7, 64, 3},    {16, 16, 16},    {33, 20, 41},
                            {64, 64, 64},  {65, 64, 10},  {128, 128, 64},  {300, 200, 40},
                            {20, 12, 900}, {64, 1, 62}};
    random_source random(77);
    for (const widths &w : cases) {
        SCOPED_TRACE(widths_text(w.A, w.B, w.C));
        direct_model m(w.A, w.B, w.C);
        ASSERT_TRUE(m.model);
        const auto a = static_cast<uint32_t>(w.A);
        const auto b = static_cast<uint32_t>(w.B);
        const size_t random_pairs = 300;
        const size_t count = edge_count * edge_count + random_pairs;
        driver_test::mpz_vector divisor(count), dividend(count), fast_q(count), reference_q(count),
            overwritten(count);
        integer value, scratch;
        for (size_t i = 0; i < count; ++i) {
            if (i < edge_count * edge_count) {
                edge_operand(value.v, a, static_cast<unsigned>(i / edge_count), scratch.v);
                divisor.set(i, value.v);
                edge_operand(value.v, b, static_cast<unsigned>(i % edge_count), scratch.v);
                dividend.set(i, value.v);
            } else {
                random.port_value(value.v, a, scratch.v);
                divisor.set(i, value.v);
                random.port_value(value.v, b, scratch.v);
                dividend.set(i, value.v);
            }
            overwritten.set(i, dividend.at(i));
            fast_q.set(i, -31L);
            reference_q.set(i, -31L);
        }
        driver_test::uint_vector fast_flags(count, 9), reference_flags(count, 9),
            overwritten_flags(count, 9);
        const auto n = static_cast<uint32_t>(count);
        EXPECT_EQ(divide_high_radix_along(*m.model, high_radix_path::fast_where_possible,
                                          divisor.get(), dividend.get(), fast_q.get(),
                                          fast_flags.get(), n),
                  0);
        EXPECT_EQ(divide_high_radix_along(*m.model, high_radix_path::reference_only,
                                          divisor.get(), dividend.get(), reference_q.get(),
                                          reference_flags.get(), n),
                  0);
        EXPECT_EQ(divide_high_radix_along(*m.model, high_radix_path::fast_where_possible,
                                          divisor.get(), overwritten.get(), overwritten.get(),
                                          overwritten_flags.get(), n),
                  0);
        size_t zero_divisors = 0;
        for (size_t i = 0; i < count; ++i) {
            ASSERT_EQ(fast_flags.at(i), reference_flags.at(i)) << "sample " << i;
            EXPECT_EQ(fast_q.text(i), reference_q.text(i)) << "sample " << i;
            EXPECT_EQ(overwritten_flags.at(i), reference_flags.at(i)) << "sample " << i;
            // A zero divisor leaves the element as it was: the dividend.
            const std::string kept =
                reference_flags.at(i) == 1 ? dividend.text(i) : reference_q.text(i);
            EXPECT_EQ(overwritten.text(i), kept) << "sample " << i;
            zero_divisors += reference_flags.at(i);
        }
        EXPECT_GE(zero_divisors, edge_count); // the edge divisor 0 with every dividend
    }
}
