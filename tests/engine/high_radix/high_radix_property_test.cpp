// Random legal configurations and operands (fixed seed). Every quotient the
// public entry point writes is within one of the correctly rounded
// N * 2^C / D and agrees with the digit string T through
// Q = floor((2^pad +/- T) / 2^(pad + 1)). Inside the unit, the operand slices
// are the fields of the aligned dividend and of M; every slice sum splits
// into an upper part and a 19-bit residue; the sums represent a partial
// remainder P_n that follows P_n = 2^14 P_(n-1) - 2 M q_(n-1) + 2^17 A1_(n-1)
// from P_0 = R * XH; and the low-part carries add up to R * XL.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/high_radix/reference/sample_divider.h"
#include "engine/high_radix/reference/unit.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "quodra.h"
#include "support/division_properties.h"
#include "support/driver_test_support.h"
#include "support/high_radix_test_support.h"

namespace {

using high_radix_test::integer;
using high_radix_test::random_source;

struct widths {
    int32_t A, B, C;
};

std::unique_ptr<quodra_v5_1> direct_model(const widths &w,
                                          qor_quodra_v5_1_zanlogger::ZanLogger &logger) {
    return high_radix_test::created_model(w.A, w.B, w.C, logger);
}

// The rounding pad, from the widths alone: 14 ceil((B + C + 2) / 14) - (B + C).
uint32_t rounding_pad(const widths &w) {
    const int64_t bits = int64_t{w.B} + w.C;
    return static_cast<uint32_t>(14 * ((bits + 2 + 13) / 14) - bits);
}

// |a| < |b|
bool below_in_magnitude(mpz_srcptr a, mpz_srcptr b) { return mpz_cmpabs(a, b) < 0; }

// Checks one sample against exact arithmetic.
void check_sample(const widths &w, mpz_srcptr D, mpz_srcptr N, mpz_srcptr Q, mpz_srcptr T) {
    integer scaled, num, den, nearest, diff, t_prime;
    mpz_mul_2exp(scaled.v, N, static_cast<mp_bitcnt_t>(w.C)); // N * 2^C

    // Correctly rounded quotient, ties upward: floor((2 num + den) / (2 den)).
    mpz_set(num.v, scaled.v);
    mpz_set(den.v, D);
    if (mpz_sgn(den.v) < 0) {
        mpz_neg(num.v, num.v);
        mpz_neg(den.v, den.v);
    }
    mpz_mul_2exp(nearest.v, num.v, 1);
    mpz_add(nearest.v, nearest.v, den.v);
    mpz_mul_2exp(den.v, den.v, 1);
    mpz_fdiv_q(nearest.v, nearest.v, den.v);
    mpz_sub(diff.v, Q, nearest.v);
    EXPECT_LE(mpz_cmpabs_ui(diff.v, 1), 0) << "more than one from the rounded quotient";

    // |Q - N 2^C / D| < 1, that is |Q D - N 2^C| < |D| (shared with the fuzz targets).
    EXPECT_EQ(high_radix_sample_violation(config_builder::high_radix(w.A, w.B, w.C), D, N, Q), "");

    // Q = floor((2^pad +/- T) / 2^(pad + 1)).
    const uint32_t pad = rounding_pad(w);
    if (mpz_sgn(D) < 0) {
        mpz_neg(t_prime.v, T);
    } else {
        mpz_set(t_prime.v, T);
    }
    mpz_set_ui(diff.v, 0);
    mpz_setbit(diff.v, pad);
    mpz_add(t_prime.v, t_prime.v, diff.v);
    mpz_fdiv_q_2exp(t_prime.v, t_prime.v, pad + 1);
    EXPECT_EQ(mpz_cmp(t_prime.v, Q), 0) << "Q does not follow from T";

    // T carries N 2^C / |D| with pad + 1 extra bits: |T |D| - N 2^(C+pad+1)| < 2^(pad+1) |D|.
    mpz_abs(den.v, D);
    mpz_mul(diff.v, T, den.v);
    mpz_mul_2exp(num.v, scaled.v, pad + 1);
    mpz_sub(diff.v, diff.v, num.v);
    mpz_mul_2exp(den.v, den.v, pad + 1);
    EXPECT_TRUE(below_in_magnitude(diff.v, den.v)) << "T is not the scaled quotient";
}

// Returns false when creation refuses the widths.
bool check_configuration(const widths &w, random_source &random, uint32_t samples) {
    qor_quodra_v5_1_zanlogger::ZanLogger logger(nullptr, nullptr, "property");
    std::unique_ptr<quodra_v5_1> model = direct_model(w, logger);
    if (!model) return false;
    SCOPED_TRACE("A " + std::to_string(w.A) + " B " + std::to_string(w.B) + " C " +
                 std::to_string(w.C));

    driver_test::mpz_vector divisor(samples), dividend(samples), quotient(samples);
    driver_test::uint_vector flags(samples, 9);
    integer operand;
    for (uint32_t i = 0; i < samples; ++i) {
        random.signed_operand(operand.v, static_cast<uint32_t>(w.A));
        divisor.set(i, operand.v);
        random.signed_operand(operand.v, static_cast<uint32_t>(w.B));
        dividend.set(i, operand.v);
        quotient.set(i, -7L);
    }
    EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(), quotient.get(),
                                      nullptr, flags.get(), samples),
              0);

    high_radix_sample_divider divider(*model);
    integer D, N;
    for (uint32_t i = 0; i < samples; ++i) {
        SCOPED_TRACE("N " + dividend.text(i) + " D " + divisor.text(i));
        if (mpz_sgn(divisor.at(i)) == 0) {
            EXPECT_EQ(flags.at(i), 1u);
            EXPECT_EQ(quotient.text(i), "-7");
            continue;
        }
        EXPECT_EQ(flags.at(i), 0u);
        mpz_set(D.v, divisor.at(i));
        mpz_set(N.v, dividend.at(i));
        EXPECT_EQ(divider.divide(D.v, N.v), high_radix_sample_divider::outcome::quotient_ready);
        check_sample(w, divisor.at(i), dividend.at(i), quotient.at(i), divider.digit_string());
    }
    return true;
}

struct recorder : high_radix_unit_trace {
    void prepared(const high_radix_unit_preparation &p) override { preparation = p; }
    void iterated(const high_radix_iteration &i) override { iterations.push_back(i); }
    high_radix_unit_preparation preparation{};
    std::vector<high_radix_iteration> iterations;
};

// floor(x / 2^position) mod 2^length, in exact arithmetic.
unsigned long field_of(mpz_srcptr x, unsigned long position, unsigned long length) {
    integer f;
    mpz_fdiv_q_2exp(f.v, x, position);
    mpz_fdiv_r_2exp(f.v, f.v, length);
    return mpz_get_ui(f.v);
}

void add_scaled(mpz_ptr sum, int64_t value, unsigned long shift) {
    integer term;
    mpz_set_si(term.v, static_cast<long>(value));
    mpz_mul_2exp(term.v, term.v, shift);
    mpz_add(sum, sum, term.v);
}

void check_preparation(const high_radix_unit_shape &shape, const high_radix_unit_preparation &p,
                       mpz_srcptr X, mpz_srcptr M, mpz_ptr XH, mpz_ptr XL) {
    integer s, w;
    mpz_mul_2exp(s.v, X, shape.aligned_width - shape.working_width);
    mpz_fdiv_q_2exp(XH, s.v, shape.low_width);
    mpz_fdiv_r_2exp(XL, s.v, shape.low_width);
    for (uint32_t t = 0; t < shape.low_digits; ++t) {
        EXPECT_EQ(p.low_digit[t], field_of(XL, 14 * t, 14)) << "e_" << t;
    }
    for (uint32_t k = 0; k < shape.slices; ++k) {
        EXPECT_EQ(p.dividend_slice[k], field_of(XH, 16 * k, 16)) << "v_" << k + 1;
        EXPECT_EQ(p.divisor_slice[k], field_of(M, 16 * k, 16)) << "u_" << k + 1;
    }
    mpz_fdiv_q_2exp(w.v, XH, 16 * (shape.slices - 1));
    EXPECT_EQ(mpz_cmp_si(w.v, p.dividend_top), 0) << "w";
    // Together the multiplicands weigh 2 (M - 2^(16 (Ns + 1))).
    integer weighed, expected;
    for (uint32_t k = 0; k < shape.slices; ++k) add_scaled(weighed.v, p.multiplicand[k], 16 * k);
    mpz_set_ui(expected.v, 0);
    mpz_setbit(expected.v, 16 * (shape.slices + 1));
    mpz_sub(expected.v, M, expected.v);
    mpz_mul_2exp(expected.v, expected.v, 1);
    EXPECT_EQ(mpz_cmp(weighed.v, expected.v), 0) << "a_k";
}

void check_registers(const high_radix_unit_shape &shape, const high_radix_iteration &it) {
    const uint32_t top = shape.slices - 1;
    for (uint32_t k = 0; k < shape.slices; ++k) {
        EXPECT_EQ(it.slice_sum[k], int64_t{it.slice_upper[k]} * 524288 + it.slice_residue[k]);
        EXPECT_GE(it.slice_residue[k], 0);
        EXPECT_LT(it.slice_residue[k], 524288);
        EXPECT_LT(it.slice_sum[k] < 0 ? -it.slice_sum[k] : it.slice_sum[k], int64_t{1} << 35);
        EXPECT_EQ(it.slice_carry[k], k == 0 ? it.low_carry : it.slice_upper[k - 1]);
    }
    EXPECT_EQ(it.digit, it.slice_upper[top]);
    EXPECT_LT(it.low_carry, 49152);
}

void check_unit_sample(const quodra_v5_1 &model, high_radix_sample_divider &divider, mpz_ptr D,
                       mpz_ptr N) {
    recorder trace;
    ASSERT_EQ(divider.divide(D, N, &trace), high_radix_sample_divider::outcome::quotient_ready);
    const high_radix_unit_shape shape = high_radix_unit_shape_of(model);
    const uint32_t K = shape.iterations;
    ASSERT_EQ(trace.iterations.size(), K);
    mpz_srcptr M = divider.scaled_divisor();
    const unsigned long R = divider.reciprocal_estimate();

    integer XH, XL;
    check_preparation(shape, trace.preparation, divider.aligned_dividend(), M, XH.v, XL.v);

    integer P, expected, twice_M, carries, digits;
    mpz_mul_2exp(twice_M.v, M, 1);
    mpz_mul_ui(expected.v, XH.v, R); // P_0 = R XH
    for (uint32_t n = 0; n < K; ++n) {
        SCOPED_TRACE("iteration " + std::to_string(n));
        const high_radix_iteration &it = trace.iterations[n];
        check_registers(shape, it);
        mpz_set_ui(P.v, 0);
        for (uint32_t k = 0; k < shape.slices; ++k) add_scaled(P.v, it.slice_sum[k], 16 * k);
        ASSERT_EQ(mpz_cmp(P.v, expected.v), 0) << "partial remainder";
        // The next partial remainder, from this one.
        mpz_mul_2exp(expected.v, P.v, 14);
        integer step;
        mpz_mul_si(step.v, twice_M.v, it.digit);
        mpz_sub(expected.v, expected.v, step.v);
        add_scaled(expected.v, it.low_carry, 17);

        mpz_mul_2exp(carries.v, carries.v, 14);
        mpz_add_ui(carries.v, carries.v, static_cast<unsigned long>(it.low_carry));
        mpz_mul_2exp(digits.v, digits.v, 14);
        add_scaled(digits.v, it.digit, 0);
    }
    // The carries: 2^18 sum A1_n 2^(14 (K-1-n)) = 2 R XL 2^(14 (K-h)) less
    // what stays in b, which is below 2^18.
    integer low;
    mpz_mul_ui(low.v, XL.v, 2 * R);
    mpz_mul_2exp(low.v, low.v, 14 * (K - shape.low_digits));
    mpz_fdiv_q_2exp(low.v, low.v, 18);
    EXPECT_EQ(mpz_cmp(carries.v, low.v), 0) << "low-part carries";
    EXPECT_EQ(mpz_cmp(digits.v, divider.digit_string()), 0) << "digit string";
}

// The unit's registers against the arithmetic they implement.
TEST(HighRadixProperty, UnitFollowsTheRemainderRecurrence) {
    random_source random(31337);
    int with_low_part = 0;
    for (int round = 0; round < 150; ++round) {
        const widths w{static_cast<int32_t>(1 + random.below(303)),
                       static_cast<int32_t>(1 + random.below(300)),
                       static_cast<int32_t>(random.below(300))};
        qor_quodra_v5_1_zanlogger::ZanLogger logger(nullptr, nullptr, "recurrence");
        std::unique_ptr<quodra_v5_1> model = direct_model(w, logger);
        if (!model) continue;
        with_low_part += model->hr_low_digits > 0 ? 1 : 0;
        SCOPED_TRACE("A " + std::to_string(w.A) + " B " + std::to_string(w.B) + " C " +
                     std::to_string(w.C));
        high_radix_sample_divider divider(*model);
        integer D, N;
        for (int i = 0; i < 6; ++i) {
            do {
                random.signed_operand(D.v, static_cast<uint32_t>(w.A));
            } while (mpz_sgn(D.v) == 0);
            random.signed_operand(N.v, static_cast<uint32_t>(w.B));
            check_unit_sample(*model, divider, D.v, N.v);
        }
    }
    EXPECT_GT(with_low_part, 20);
}

TEST(HighRadixProperty, RandomConfigurationsUpToTheBounds) {
    random_source random(20240611);
    int checked = 0;
    for (int round = 0; round < 400; ++round) {
        const widths w{static_cast<int32_t>(1 + random.below(303)),
                       static_cast<int32_t>(1 + random.below(300)),
                       static_cast<int32_t>(random.below(300))};
        checked += check_configuration(w, random, 12) ? 1 : 0;
    }
    EXPECT_GT(checked, 300); // most random widths fit the unit
}

TEST(HighRadixProperty, NarrowAndSmallConfigurations) {
    random_source random(7);
    for (int32_t A = 1; A <= 20; ++A) {
        for (int32_t B = 1; B <= 20; B += 3) {
            check_configuration({A, B, static_cast<int32_t>(random.below(20))}, random, 16);
        }
    }
}

// Long digit strings: K in the hundreds and thousands.
TEST(HighRadixProperty, LongFractions) {
    random_source random(99);
    const widths cases[] = {{16, 16, 3600}, {303, 200, 5000}, {5, 64, 14400}, {40, 3, 9000}};
    for (const widths &w : cases) check_configuration(w, random, 6);
}

} // namespace
