// The iterative unit register by register: the two worked examples, negative
// dividends, redundant digits, the long digit-string path and the refusals.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/high_radix/reference/sample_divider.h"
#include "engine/high_radix/reference/unit.h"
#include "model/quodra_v5_1.h"
#include "support/config_builder.h"

namespace {

// A model built directly, as the library's own code sees it.
struct unit_model {
    unit_model(int32_t A, int32_t B, int32_t C, int32_t algorithm = QUODRA_ALGORITHM_HIGH_RADIX)
        : logger(nullptr, nullptr, "unit"),
          model(config_builder(algorithm, QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
                    .widths(A, B, C)
                    .name("unit"),
                &logger) {}
    qor_quodra_v5_1_zanlogger::ZanLogger logger;
    quodra_v5_1 model;
};

struct big {
    explicit big(const char *text = "0") {
        mpz_init(value);
        EXPECT_EQ(mpz_set_str(value, text, 0), 0) << text;
    }
    explicit big(long v) { mpz_init_set_si(value, v); }
    ~big() { mpz_clear(value); }
    big(const big &) = delete;
    big &operator=(const big &) = delete;
    operator mpz_ptr() { return value; }
    bool is(const char *text) const {
        big expected(text);
        return mpz_cmp(value, expected.value) == 0;
    }
    mpz_t value;
};

struct recorder : high_radix_unit_trace {
    void prepared(const high_radix_unit_preparation &p) override { preparation = p; }
    void iterated(const high_radix_iteration &i) override { iterations.push_back(i); }
    std::vector<int32_t> digits() const {
        std::vector<int32_t> d;
        for (const high_radix_iteration &i : iterations) d.push_back(i.digit);
        return d;
    }
    high_radix_unit_preparation preparation{};
    std::vector<high_radix_iteration> iterations;
};

struct two_slice_row {
    int64_t E1, E2;
    int32_t H1, L1, H2, L2, S1, S2, q;
};

TEST(IterativeUnit, WorkedExampleOneThirdTwoSlices) {
    unit_model m(16, 16, 16);
    const high_radix_unit_shape shape = high_radix_unit_shape_of(m.model);
    EXPECT_EQ(shape.slices, 2u);
    EXPECT_EQ(shape.low_digits, 0u);
    EXPECT_EQ(shape.iterations, 3u);
    EXPECT_EQ(shape.aligned_width, 32u);
    EXPECT_EQ(shape.working_width, 31u);

    big T, R(174763), X(16384), M("0x1000020000000");
    recorder trace;
    ASSERT_EQ(high_radix_unit_run(shape, T, R, X, M, &trace), 0);

    const high_radix_unit_preparation &p = trace.preparation;
    EXPECT_EQ(p.dividend_slice[0], 32768u); // s = XH = 32768
    EXPECT_EQ(p.dividend_slice[1], 0u);
    EXPECT_EQ(p.dividend_top, 0);
    EXPECT_EQ(p.divisor_slice[0], 0u);
    EXPECT_EQ(p.divisor_slice[1], 8192u);
    EXPECT_EQ(p.multiplicand[0], 0);
    EXPECT_EQ(p.multiplicand[1], 16384);

    const two_slice_row rows[] = {
        {5726633984, 0, 10922, 360448, 0, 0, 0, 10922, 0},
        {5905580032, 1431568384, 11264, 0, 2730, 262144, 0, 11264, 2730},
        {0, 5726633984, 0, 0, 10922, 360448, 0, 0, 10922},
    };
    ASSERT_EQ(trace.iterations.size(), 3u);
    for (uint32_t n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const high_radix_iteration &it = trace.iterations[n];
        const two_slice_row &row = rows[n];
        EXPECT_EQ(it.n, n);
        EXPECT_EQ(it.slice_sum[0], row.E1);
        EXPECT_EQ(it.slice_sum[1], row.E2);
        EXPECT_EQ(it.slice_upper[0], row.H1);
        EXPECT_EQ(it.slice_residue[0], row.L1);
        EXPECT_EQ(it.slice_upper[1], row.H2);
        EXPECT_EQ(it.slice_residue[1], row.L2);
        EXPECT_EQ(it.slice_carry[0], row.S1);
        EXPECT_EQ(it.slice_carry[1], row.S2);
        EXPECT_EQ(it.digit, row.q);
        EXPECT_EQ(it.low_product, 0); // no low part: b and A1 stay 0
        EXPECT_EQ(it.low_carry, 0);
    }
    EXPECT_TRUE(T.is("44739242"));
}

struct low_part_row {
    uint32_t delta;
    int64_t b;
    int32_t A1;
    int64_t E1;
    int32_t H1, L1, q;
};

TEST(IterativeUnit, WorkedExampleWithALowPart) {
    unit_model m(12, 20, 8);
    const high_radix_unit_shape shape = high_radix_unit_shape_of(m.model);
    EXPECT_EQ(shape.slices, 1u);
    EXPECT_EQ(shape.low_digits, 1u);
    EXPECT_EQ(shape.iterations, 3u);
    EXPECT_EQ(shape.aligned_width, 30u);
    EXPECT_EQ(shape.working_width, 30u);
    EXPECT_EQ(shape.low_width, 14u);

    big T, R(223696), X(400000), M("0xfffff000");
    recorder trace;
    ASSERT_EQ(high_radix_unit_run(shape, T, R, X, M, &trace), 0);

    const high_radix_unit_preparation &p = trace.preparation;
    EXPECT_EQ(p.low_digit[0], 6784u);    // XL
    EXPECT_EQ(p.dividend_slice[0], 24u); // XH
    EXPECT_EQ(p.dividend_top, 24);
    EXPECT_EQ(p.divisor_slice[0], 61440u);
    EXPECT_EQ(p.multiplicand[0], -8192);

    const low_part_row rows[] = {
        {6784, 3035107328, 11578, 5368704, 10, 125824, 10},
        {0, 67108864, 256, 3579133952, 6826, 344064, 6826},
        {0, 0, 0, 5726617600, 10922, 344064, 10922},
    };
    ASSERT_EQ(trace.iterations.size(), 3u);
    for (uint32_t n = 0; n < 3; ++n) {
        SCOPED_TRACE(n);
        const high_radix_iteration &it = trace.iterations[n];
        const low_part_row &row = rows[n];
        EXPECT_EQ(it.low_digit_in, row.delta);
        EXPECT_EQ(it.low_product, row.b);
        EXPECT_EQ(it.low_carry, row.A1);
        EXPECT_EQ(it.slice_sum[0], row.E1);
        EXPECT_EQ(it.slice_upper[0], row.H1);
        EXPECT_EQ(it.slice_residue[0], row.L1);
        EXPECT_EQ(it.slice_carry[0], row.A1); // the low carry enters slice 1 next time
        EXPECT_EQ(it.digit, row.q);
    }
    EXPECT_TRUE(T.is("2796202666"));
}

TEST(IterativeUnit, NegativeDividendGivesNegativeDigitsThroughTheFloor) {
    unit_model m(8, 8, 4);
    big T, R(149797), X(-1600), M("0x100003000");
    recorder trace;
    ASSERT_EQ(high_radix_unit_run(high_radix_unit_shape_of(m.model), T, R, X, M, &trace), 0);
    EXPECT_EQ(trace.preparation.dividend_slice[0], 59136u); // s = XH = w = -6400
    EXPECT_EQ(trace.preparation.dividend_top, -6400);
    ASSERT_EQ(trace.iterations.size(), 1u);
    EXPECT_EQ(trace.iterations[0].slice_sum[0], -958700800);
    EXPECT_EQ(trace.iterations[0].slice_upper[0], -1829);
    EXPECT_EQ(trace.iterations[0].slice_residue[0], 221952);
    EXPECT_TRUE(T.is("-1829"));
}

struct digit_case {
    int32_t A, B, C;
    const char *dividend;
    const char *divisor;
    std::vector<int32_t> digits;
};

// Digits come out of the set-up's R, X and M; they may leave 0 .. 2^14 - 1.
TEST(IterativeUnit, DigitStringsOfExtremeAndRedundantCases) {
    const digit_case cases[] = {
        {16, 16, 16, "-32768", "1", {-16384, 0, 0}},
        {16, 16, 16, "32767", "1", {16383, 8191, 16383}},
        {12, 20, 8, "166389", "512", {9, 18932, 16383}},
        {32, 32, 32, "1000000007", "-12345", {0, 10125, 9125, 8242, 17962}},
    };
    for (const digit_case &c : cases) {
        SCOPED_TRACE(std::string(c.dividend) + " / " + c.divisor);
        unit_model m(c.A, c.B, c.C);
        high_radix_sample_divider divider(m.model);
        big D(c.divisor), N(c.dividend);
        recorder trace;
        ASSERT_EQ(divider.divide(D, N, &trace), high_radix_sample_divider::outcome::quotient_ready);
        EXPECT_EQ(trace.digits(), c.digits);
    }
}

// T = T_in * 2^(14K) + sum of q_n 2^(14 (K - 1 - n)), by plain Horner.
void expected_digit_string(mpz_ptr expected, long initial, const std::vector<int32_t> &digits) {
    mpz_set_si(expected, initial);
    for (int32_t q : digits) {
        mpz_mul_2exp(expected, expected, 14);
        if (q >= 0) {
            mpz_add_ui(expected, expected, static_cast<unsigned long>(q));
        } else {
            mpz_sub_ui(expected, expected, static_cast<unsigned long>(-static_cast<long>(q)));
        }
    }
}

// Short digit strings are built in place, long ones in merged blocks; both
// must give the same number, whatever T held on entry.
TEST(IterativeUnit, LongDigitStringsAssembleExactly) {
    // K = ceil((16 + C + 2) / 14): 3, 256, 257, 512, 513 and 1027 digits.
    const int32_t fractional_widths[] = {16, 3566, 3580, 7150, 7164, 14360};
    const long initial_values[] = {0, 3, -2};
    for (int32_t C : fractional_widths) {
        unit_model m(16, 16, C);
        const high_radix_unit_shape shape = high_radix_unit_shape_of(m.model);
        big R(174763), X(-1073741824), M("0x1000020000000");
        for (long initial : initial_values) {
            SCOPED_TRACE("C " + std::to_string(C) + " T " + std::to_string(initial));
            big T(initial), expected;
            recorder trace;
            ASSERT_EQ(high_radix_unit_run(shape, T, R, X, M, &trace), 0);
            ASSERT_EQ(trace.iterations.size(), shape.iterations);
            expected_digit_string(expected, initial, trace.digits());
            EXPECT_EQ(mpz_cmp(T, expected), 0);
        }
    }
}

// Inputs the datapath cannot hold are refused with status 1, T untouched.
TEST(IterativeUnit, RefusesInputsOutsideItsPorts) {
    unit_model m(16, 16, 16); // working width 31
    struct refusal {
        const char *R, *X, *M;
    };
    const refusal refusals[] = {
        {"131071", "16384", "0x1000020000000"},      // R below 2^17
        {"262144", "16384", "0x1000020000000"},      // R above 2^18 - 1
        {"-174763", "16384", "0x1000020000000"},     // R negative
        {"174763", "1073741824", "0x1000020000000"}, // X = 2^30 needs 32 bits
        {"174763", "-1073741825", "0x1000020000000"},
        {"174763", "0x10000000000000000000", "0x1000020000000"},
        {"174763", "16384", "0"}, // M not positive
        {"174763", "16384", "-5"},
    };
    for (const refusal &r : refusals) {
        SCOPED_TRACE(std::string(r.R) + " " + r.X + " " + r.M);
        big T(77), R(r.R), X(r.X), M(r.M);
        EXPECT_EQ(m.model.iterative_unit(T, R, X, M), 1);
        EXPECT_TRUE(T.is("77"));
    }
    // The edges of the ports are accepted.
    const refusal accepted[] = {
        {"131072", "16384", "0x1000020000000"},
        {"262143", "-1073741824", "0x1000020000000"},
        {"174763", "1073741823", "0x1000020000000"},
    };
    for (const refusal &r : accepted) {
        big T, R(r.R), X(r.X), M(r.M);
        EXPECT_EQ(m.model.iterative_unit(T, R, X, M), 0) << r.R << " " << r.X;
    }
    big T, R("174763"), X("16384"), M("0x1000020000000");
    EXPECT_EQ(m.model.iterative_unit(T, R, X, M), 0); // the worked example, via the member
    EXPECT_TRUE(T.is("44739242"));
}

// Shapes beyond the register files: only reachable for models of another
// algorithm, which creation does not bound.
TEST(IterativeUnit, RefusesShapesBeyondItsRegisterFiles) {
    struct beyond {
        int32_t A, B, C;
    };
    const beyond shapes[] = {
        {304, 8, 4},  // 20 slices
        {400, 8, 4},  // 26 slices
        {16, 400, 0}, // 27 low digits
    };
    for (const beyond &b : shapes) {
        unit_model m(b.A, b.B, b.C, QUODRA_ALGORITHM_RADIX2);
        EXPECT_FALSE(high_radix_unit_shape_in_bounds(high_radix_unit_shape_of(m.model)));
        big T(5), R(174763), X(1), M("0x1000020000000");
        EXPECT_EQ(m.model.iterative_unit(T, R, X, M), 1) << b.A << " " << b.B;
        EXPECT_TRUE(T.is("5"));
    }
    unit_model at_bounds(303, 268, 1000, 1);
    EXPECT_TRUE(high_radix_unit_shape_in_bounds(high_radix_unit_shape_of(at_bounds.model)));
}

} // namespace
