// The High Radix divider: its table of worked samples (every intermediate
// through the per-sample divider, the quotient through the public entry
// point), zero divisors, operands reduced to their port widths, the failure
// routes, and the derived parameters at the bounds of the unit.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/driver_test_support.h"
#include "engine/high_radix/reference/sample_divider.h"
#include "engine/high_radix/reference/setup.h"
#include "support/high_radix_test_support.h"
#include "quodra.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"

namespace {

struct direct_model {
    direct_model(int32_t A, int32_t B, int32_t C)
        : logger(nullptr, nullptr, "divider"), model(config_builder::high_radix(A, B, C), &logger) {
    }
    qor_quodra_v5_1_zanlogger::ZanLogger logger;
    quodra_v5_1 model;
};

// A model made through the public interface.
struct public_model {
    public_model(int32_t A, int32_t B, int32_t C) {
        const qor_quodra_v5_1_config config = config_builder::high_radix(A, B, C);
        model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    }
    ~public_model() { qor_quodra_v5_1_destroy(model); }
    public_model(const public_model &) = delete;
    public_model &operator=(const public_model &) = delete;
    recording_handler handler;
    quodra_v5_1 *model = nullptr;
};

struct number {
    explicit number(const char *text) {
        mpz_init(value);
        EXPECT_EQ(mpz_set_str(value, text, 0), 0) << text;
    }
    ~number() { mpz_clear(value); }
    number(const number &) = delete;
    number &operator=(const number &) = delete;
    operator mpz_ptr() { return value; }
    mpz_t value;
};

::testing::AssertionResult same(mpz_srcptr actual, const char *expected) {
    number e(expected);
    if (mpz_cmp(actual, e.value) == 0) return ::testing::AssertionSuccess();
    char *text = mpz_get_str(nullptr, 10, actual);
    std::string got(text);
    void (*release)(void *, size_t);
    mp_get_memory_functions(nullptr, nullptr, &release);
    release(text, got.size() + 1);
    return ::testing::AssertionFailure() << "got " << got << ", expected " << expected;
}

struct table_row {
    int32_t A, B, C;
    const char *N, *D;
    uint32_t j;
    const char *Dn;
    uint32_t idx;
    int32_t r;
    uint32_t R;
    const char *X, *T, *Q, *M;
};

const table_row table_rows[] = {
    {8, 8, 4, "100", "7", 5, "224", 384, -65536, 149797, "1600", "1828", "229", "0x100003000"},
    {8, 8, 4, "-100", "7", 5, "224", 384, -65536, 149797, "-1600", "-1829", "-229", "0x100003000"},
    {8, 8, 4, "100", "-7", 5, "224", 384, -65536, 149797, "1600", "1828", "-228", "0x100003000"},
    {8, 8, 4, "-100", "-7", 5, "224", 384, -65536, 149797, "-1600", "-1829", "229", "0x100003000"},
    {8, 8, 4, "-128", "-1", 7, "128", 0, -65536, 262143, "-8192", "-16384", "2048", "0xffffc000"},
    {8, 8, 4, "127", "-128", 0, "128", 0, -65536, 262143, "63", "125", "-16", "0xffffc000"},
    {8, 8, 4, "7", "2", 6, "128", 0, -65536, 262143, "224", "447", "56", "0xffffc000"},
    {8, 8, 4, "0", "5", 5, "160", 128, -65536, 209715, "0", "0", "0", "0xfffff000"},
    {16, 16, 16, "1", "3", 14, "49152", 256, -65536, 174763, "16384", "44739242", "21845",
     "0x1000020000000"},
    {16, 16, 16, "-32768", "-1", 15, "32768", 0, -65536, 262143, "-1073741824", "-4398046511104",
     "2147483648", "0xffffc0000000"},
    {16, 16, 0, "-23186", "15826", 2, "63304", 477, -49152, 135693, "-12", "-12722", "-2",
     "0xffffcf540000"},
    {12, 20, 8, "166389", "512", 2, "2048", 0, -65536, 262143, "332778", "2726117375", "83194",
     "0xffffc000"},
    {12, 20, 8, "100000", "300", 3, "2400", 88, -65536, 223696, "400000", "2796202666", "85333",
     "0xfffff000"},
    {32, 32, 32, "1000000007", "-12345", 18, "3236167680", 259, 8192, 173956, "262144001835008",
     "44532670533518890", "-347911488543116", "0x1000018c800000000"},
};

std::string row_name(const table_row &row) {
    return std::to_string(row.A) + "," + std::to_string(row.B) + "," + std::to_string(row.C) +
           ": " + row.N + " / " + row.D;
}

TEST(HighRadixDivider, TableIntermediatesSampleBySample) {
    for (const table_row &row : table_rows) {
        SCOPED_TRACE(row_name(row));
        direct_model m(row.A, row.B, row.C);
        high_radix_sample_divider divider(m.model);
        number D(row.D), N(row.N);
        ASSERT_EQ(divider.divide(D, N), high_radix_sample_divider::outcome::quotient_ready);
        EXPECT_EQ(divider.normalisation(), row.j);
        EXPECT_TRUE(same(divider.normalised_divisor(), row.Dn));
        EXPECT_EQ(divider.table_position().index, row.idx);
        EXPECT_EQ(divider.table_position().offset, row.r);
        EXPECT_EQ(divider.reciprocal_estimate(), row.R);
        EXPECT_TRUE(same(divider.scaled_divisor(), row.M));
        EXPECT_TRUE(same(divider.aligned_dividend(), row.X));
        EXPECT_TRUE(same(divider.digit_string(), row.T));
        EXPECT_TRUE(same(divider.quotient(), row.Q));
        EXPECT_EQ(divider.divisor_negative(), row.D[0] == '-');
    }
}

TEST(HighRadixDivider, TableQuotientsThroughThePublicEntryPoint) {
    for (const table_row &row : table_rows) {
        SCOPED_TRACE(row_name(row));
        public_model m(row.A, row.B, row.C);
        ASSERT_NE(m.model, nullptr);
        driver_test::mpz_vector divisor(1), dividend(1), quotient(1);
        driver_test::uint_vector flags(1, 7);
        number D(row.D), N(row.N);
        divisor.set(0, D.value);
        dividend.set(0, N.value);
        ASSERT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                          nullptr, flags.get(), 1),
                  0);
        EXPECT_TRUE(same(quotient.at(0), row.Q));
        EXPECT_EQ(flags.at(0), 0u);
        EXPECT_TRUE(m.handler.calls.empty());
    }
}

// Several samples in one call: results land at their own indices and a zero
// divisor leaves its quotient element as it was.
TEST(HighRadixDivider, ZeroDivisorFlagsAndLeavesTheQuotientUntouched) {
    public_model m(8, 8, 4);
    driver_test::mpz_vector divisor{7, 0, -7, 0, 2};
    driver_test::mpz_vector dividend{100, 100, 100, -128, 7};
    driver_test::mpz_vector quotient{11, 22, 33, 44, 55};
    driver_test::uint_vector flags(5, 9);
    ASSERT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), 5),
              0);
    const char *expected_quotients[] = {"229", "22", "-228", "44", "56"};
    const unsigned expected_flags[] = {0, 1, 0, 1, 0};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(same(quotient.at(i), expected_quotients[i])) << i;
        EXPECT_EQ(flags.at(i), expected_flags[i]) << i;
    }
}

struct reduction {
    const char *input;
    int64_t width;
    const char *expected;
};

TEST(HighRadixDivider, ReductionToPortWidth) {
    const reduction cases[] = {
        {"3", 3, "3"},
        {"4", 3, "-4"},
        {"5", 3, "-3"},
        {"8", 3, "0"},
        {"-4", 3, "-4"},
        {"-5", 3, "3"},
        {"1", 1, "-1"},
        {"-1", 1, "-1"},
        {"2", 1, "0"},
        {"1", 0, "0"},
        {"-1", 0, "0"},
        {"7", -5, "0"},
        {"0", 0, "0"},
        {"0x400000000000000005", 64, "5"},
        {"0x8000000000000000", 64, "-0x8000000000000000"},
        {"-0x8000000000000000", 64, "-0x8000000000000000"},
        {"-0x8000000000000001", 64, "0x7fffffffffffffff"},
        {"-0x100000000000000000000000000000007", 128, "-7"},
    };
    for (const reduction &c : cases) {
        SCOPED_TRACE(std::string(c.input) + " in " + std::to_string(c.width) + " bits");
        number x(c.input), scratch("0");
        reduce_to_port_width(x, c.width, scratch);
        EXPECT_TRUE(same(x.value, c.expected));
    }
}

struct sample {
    const char *dividend, *divisor;
    const char *quotient; // nullptr: division by zero, element untouched
};

void expect_samples(int32_t A, int32_t B, int32_t C, const sample *samples, size_t n) {
    public_model m(A, B, C);
    ASSERT_NE(m.model, nullptr);
    driver_test::mpz_vector divisor(n), dividend(n), quotient(n);
    driver_test::uint_vector flags(n, 9);
    for (size_t i = 0; i < n; ++i) {
        number d(samples[i].divisor), nn(samples[i].dividend);
        divisor.set(i, d.value);
        dividend.set(i, nn.value);
        quotient.set(i, 424242L);
    }
    ASSERT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), static_cast<uint32_t>(n)),
              0);
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(std::string(samples[i].dividend) + " / " + samples[i].divisor);
        const bool by_zero = samples[i].quotient == nullptr;
        EXPECT_EQ(flags.at(i), by_zero ? 1u : 0u);
        EXPECT_TRUE(same(quotient.at(i), by_zero ? "424242" : samples[i].quotient));
    }
}

// 8-bit ports: a divisor pattern 249 is -7, 128 is -128; 256 and any
// multiple of it hold 0. Dividends wrap the same way.
TEST(HighRadixDivider, OutOfRangeOperandsDivideAsTheirPortPatterns) {
    const sample samples[] = {
        {"100", "249", "-228"},  // 249 -> -7
        {"127", "128", "-16"},   // 128 -> -128
        {"100", "256", nullptr}, // 256 -> 0
        {"100", "-256", nullptr},
        {"100", "0x10000000000000000000000000", nullptr},
        {"100", "0x10000000000000000000000007", "229"},
        {"356", "7", "229"},  // 356 -> 100
        {"-156", "7", "229"}, // -156 -> 100
        {"0x100000000000000000000000000000064", "7", "229"},
        {"128", "-1", "2048"},   // 128 -> -128
        {"-129", "-128", "-16"}, // -129 -> 127
    };
    expect_samples(8, 8, 4, samples, sizeof samples / sizeof samples[0]);
}

// A zero-bit divisor port holds only 0; a one-bit port holds 0 and -1.
TEST(HighRadixDivider, NarrowestDivisorPorts) {
    const sample zero_width[] = {
        {"100", "1", nullptr}, {"100", "-1", nullptr}, {"5", "12345", nullptr}};
    expect_samples(0, 8, 4, zero_width, 3);
    const sample one_bit[] = {
        {"100", "1", "-1600"}, {"100", "-1", "-1600"}, {"-7", "-1", "112"}, {"100", "2", nullptr}};
    expect_samples(1, 8, 4, one_bit, 4);
}

// A refused read leaves the previous sample's operands in place, as read and
// reduced: the second divisor below is the first one again.
TEST(HighRadixDivider, RefusedReadReusesThePreviousOperand) {
    public_model m(8, 8, 4);
    driver_test::mpz_vector divisor{249, 3}, dividend{100, -100}, quotient{0, 0};
    driver_test::uint_vector flags(2, 9);
    divisor->data_size = 1; // element 1 is out of reach
    ASSERT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), 2),
              0);
    divisor->data_size = 2;
    EXPECT_EQ(quotient.text(0), "-228"); // 100 / -7
    EXPECT_EQ(quotient.text(1), "229");  // -100 / -7
}

// Widths the constructor accepts but the datapath cannot use are refused at
// the data call, before any sample is written.
// Creates the model, makes one data call that must be refused with status
// 1, flag 1 messages and nothing written, and returns the messages.
std::vector<std::string> refused_data_call(int32_t A, int32_t B, int32_t C) {
    public_model m(A, B, C);
    EXPECT_NE(m.model, nullptr);
    driver_test::mpz_vector divisor{7}, dividend{100}, quotient{31};
    driver_test::uint_vector flags(1, 9);
    EXPECT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), 1),
              1);
    EXPECT_EQ(quotient.text(0), "31");
    EXPECT_EQ(flags.at(0), 9u);
    for (const handler_call &call : m.handler.calls) {
        EXPECT_EQ(call.error, 1);
    }
    return driver_test::messages(m.handler.calls);
}

TEST(HighRadixDivider, UnusableWidthsFailTheDataCallCleanly) {
    struct widths {
        int32_t A, B, C;
    };
    const widths cases[] = {{8, -1, 4}, {8, 8, -8}, {8, 100, INT32_MAX - 50}};
    for (const widths &w : cases) {
        SCOPED_TRACE(std::to_string(w.B) + "," + std::to_string(w.C));
        EXPECT_EQ(refused_data_call(w.A, w.B, w.C).size(), 1u);
    }
}

// A unit that cannot hold the configuration reports failure; the divider
// raises after writing the flag of the failing sample, not its quotient.
TEST(HighRadixDivider, UnitFailureRaisesAfterTheFlag) {
    // Radix-2 is not bounded at creation.
    const qor_quodra_v5_1_config config =
        config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
            .widths(400, 8, 4);
    qor_quodra_v5_1_zanlogger::ZanLogger logger(nullptr, nullptr, "wide");
    const quodra_v5_1 m(config, &logger);

    driver_test::mpz_vector divisor{0, 3, 5}, dividend{1, 1, 1}, quotient{11, 22, 33};
    driver_test::uint_vector flags(3, 9);
    try {
        m.divide_high_radix(divisor.get(), dividend.get(), quotient.get(), nullptr, flags.get(), 3);
        FAIL() << "expected the unit's failure";
    } catch (const QUODRAException &failure) {
        EXPECT_STREQ(failure.what(), "Iterative unit returned error");
    }
    EXPECT_EQ(flags.at(0), 1u);
    EXPECT_EQ(flags.at(1), 0u);
    EXPECT_EQ(flags.at(2), 9u);
    EXPECT_EQ(quotient.text(0), "11");
    EXPECT_EQ(quotient.text(1), "22");
    EXPECT_EQ(quotient.text(2), "33");
}

struct derived {
    int32_t A, B, C;
    uint32_t width_p1, divisor_pad, product_width, working_width, divisor_digits, low_digits,
        low_width, aligned_width, iterations, quotient_pad, quotient_digits_width;
};

// Expected values worked out from the closed forms by hand.
const derived accepted[] = {
    {303, 16, 16, 304, 0, 318, 34, 19, 0, 0, 304, 3, 10, 44},
    {303, 268, 1000, 304, 0, 570, 570, 19, 19, 266, 570, 91, 6, 1276},
    {303, 268, 1 << 30, 304, 0, 570, 570, 19, 19, 266, 570, 76695864, 4, 1073742098},
    {16, 16, 100000, 17, 15, 31, 31, 2, 0, 0, 32, 7145, 14, 100032},
    {1, 282, 0, 2, 14, 282, 282, 1, 19, 266, 282, 21, 12, 296},
    {0, 8, 4, 1, 15, 7, 7, 1, 0, 0, 16, 1, 2, 16},
    {288, 40, 20, 289, 15, 327, 62, 19, 0, 0, 304, 5, 10, 72},
};

TEST(HighRadixDivider, DerivedAtTheBoundsOfTheUnit) {
    for (const derived &d : accepted) {
        SCOPED_TRACE(std::to_string(d.A) + "," + std::to_string(d.B) + "," + std::to_string(d.C));
        qor_quodra_v5_1_zanlogger::ZanLogger logger(nullptr, nullptr, "bounds");
        const quodra_v5_1 m(config_builder::high_radix(d.A, d.B, d.C), &logger);
        EXPECT_EQ(m.hr_divisor_width_p1, d.width_p1);
        EXPECT_EQ(m.hr_divisor_pad, d.divisor_pad);
        EXPECT_EQ(m.hr_product_width, d.product_width);
        EXPECT_EQ(m.hr_working_width, d.working_width);
        EXPECT_EQ(m.hr_divisor_digits, d.divisor_digits);
        EXPECT_EQ(m.hr_low_digits, d.low_digits);
        EXPECT_EQ(m.hr_low_width, d.low_width);
        EXPECT_EQ(m.hr_aligned_width, d.aligned_width);
        EXPECT_EQ(m.hr_iterations, d.iterations);
        EXPECT_EQ(m.hr_quotient_pad, d.quotient_pad);
        EXPECT_EQ(m.hr_quotient_digits_width, d.quotient_digits_width);
        // The relations the datapath relies on.
        EXPECT_LE(m.hr_low_digits + 1, m.hr_iterations);
        EXPECT_GE(m.hr_aligned_width, m.hr_working_width);
        EXPECT_GE(m.hr_quotient_pad, 2u);
        EXPECT_LE(m.hr_quotient_pad, 15u);
    }
}

// One slice or one low digit too many: no model, one bare error message.
TEST(HighRadixDivider, CreationRefusesShapesBeyondTheUnit) {
    struct widths {
        int32_t A, B, C;
    };
    const widths refused[] = {
        {304, 16, 16}, {319, 8, 4}, {303, 269, 1000}, {1, 283, 0}, {-1, 8, 4}};
    for (const widths &w : refused) {
        SCOPED_TRACE(std::to_string(w.A) + "," + std::to_string(w.B) + "," + std::to_string(w.C));
        recording_handler handler;
        const qor_quodra_v5_1_config config = config_builder::high_radix(w.A, w.B, w.C);
        quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
        EXPECT_EQ(model, nullptr);
        ASSERT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(handler.calls[0].error, 1);
        EXPECT_FALSE(handler.calls[0].message.empty());
        qor_quodra_v5_1_destroy(model);
    }
}

// The bound applies to the High Radix algorithm only.
TEST(HighRadixDivider, OtherAlgorithmsAreNotBounded) {
    qor_quodra_v5_1_config config = config_builder::high_radix(400, 16, 16);
    config.algorithm_type = QUODRA_ALGORITHM_RADIX2;
    recording_handler handler;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    EXPECT_NE(model, nullptr);
    EXPECT_TRUE(handler.calls.empty());
    qor_quodra_v5_1_destroy(model);
}

// |Q D - N 2^C| <= |D|: the quotient is within one of N 2^C / D. Holds for
// samples whose dividend loses no bits to the working width.
::testing::AssertionResult within_one(mpz_srcptr q, long n, long d, int32_t C) {
    mpz_t product, scaled;
    mpz_inits(product, scaled, nullptr);
    mpz_mul_si(product, q, d);
    mpz_set_si(scaled, n);
    mpz_mul_2exp(scaled, scaled, static_cast<mp_bitcnt_t>(C));
    mpz_sub(product, product, scaled);
    const bool near = mpz_cmpabs_ui(product, static_cast<unsigned long>(d < 0 ? -d : d)) <= 0;
    mpz_clears(product, scaled, nullptr);
    if (near) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << n << " / " << d << " is more than one off";
}

struct wide_sample {
    long N, D;
};

// Divides the samples through the public call and checks each quotient is
// within one of the exact value; `exact` samples must match it exactly.
void expect_near_quotients(int32_t A, int32_t B, int32_t C, const std::vector<wide_sample> &near,
                           const std::vector<wide_sample> &exact) {
    public_model m(A, B, C);
    ASSERT_NE(m.model, nullptr);
    const size_t count = near.size() + exact.size();
    driver_test::mpz_vector divisor(count), dividend(count), quotient(count);
    driver_test::uint_vector flags(count, 9);
    std::vector<wide_sample> all(near);
    all.insert(all.end(), exact.begin(), exact.end());
    for (size_t k = 0; k < count; ++k) {
        divisor.set(k, all[k].D);
        dividend.set(k, all[k].N);
    }
    ASSERT_EQ(qor_quodra_v5_1_data_do(m.model, divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), static_cast<uint32_t>(count)),
              0);
    EXPECT_TRUE(m.handler.calls.empty());
    mpz_t expected;
    mpz_init(expected);
    for (size_t k = 0; k < count; ++k) {
        EXPECT_EQ(flags.at(k), 0u);
        EXPECT_TRUE(within_one(quotient.at(k), all[k].N, all[k].D, C));
        if (k >= near.size()) {
            mpz_set_si(expected, all[k].N);
            mpz_mul_2exp(expected, expected, static_cast<mp_bitcnt_t>(C));
            mpz_divexact(expected, expected, divisor.at(k));
            EXPECT_EQ(mpz_cmp(quotient.at(k), expected), 0) << all[k].N << " / " << all[k].D;
        }
    }
    mpz_clear(expected);
}

// Divisor 32, dividend 32, fraction 14: the working width 48 equals the
// three 16-bit divisor slices, so the unit runs with no low digits.
// Divisors below 2^17 are shifted up by at least 15 bits, the bits the
// working width drops, so nothing of the dividend is lost.
TEST(HighRadixDivider, WorkingWidthEqualToThePaddedDivisorWidth) {
    direct_model d(32, 32, 14);
    EXPECT_EQ(d.model.hr_working_width, 48u);
    EXPECT_EQ(16 * d.model.hr_divisor_digits, 48u);
    EXPECT_EQ(d.model.hr_low_digits, 0u);
    expect_near_quotients(32, 32, 14,
                          {{100, 7}, {-1000, 3}, {2147483647, 65535}, {-2147483647, 99991}},
                          {{-2147483647 - 1, -1}, {12345, -1}, {-96, 3}});
}

// Digit strings of more than 256 digits are assembled in merged blocks:
// dividend 16 and fraction 4000 take 287 digits.
TEST(HighRadixDivider, LongDigitStringsDivideCorrectly) {
    direct_model d(16, 16, 4000);
    EXPECT_GT(d.model.hr_iterations, 256u);
    expect_near_quotients(16, 16, 4000, {{1, 3}, {-100, 7}, {32767, -32767}, {-12345, 11}},
                          {{-32768, -1}, {32767, 1}, {-24, 8}});
}

// The width-sum guard at the data call: B + C + 2 one past the signed
// 32-bit range is refused by it; one less passes it and meets the register
// limit instead. Creation accepts both (the working width is A + B - 1).
TEST(HighRadixDivider, WidthSumGuardAtTheDataCall) {
    const struct {
        int32_t C;
        const char *message;
    } cases[] = {
        {INT32_MAX - 101, "Dividend width plus fractional width is too large for the High Radix "
                          "algorithm"},
        {INT32_MAX - 102, "The High Radix quotient digit string exceeds the limit of 1048576 bits"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(refused_data_call(8, 100, c.C),
                  std::vector<std::string>{std::string("Default configuration ERROR: ") +
                                           c.message});
    }
}

} // namespace
