// Samples per second of qor_quodra_v5_1_data_do for each path, on batches of
// random in-range operands, as a test bench would call it.
//
// Run: build/release/bench/quodra_bench
#include <benchmark/benchmark.h>

#include <gmp.h>

#include <cstdint>
#include <vector>

#include "quodra.h"

namespace {

struct batch {
    qor_array_mpz *divisor = nullptr;
    qor_array_mpz *dividend = nullptr;
    qor_array_mpz *quotient = nullptr;
    qor_array_mpz *remainder = nullptr;
    qor_array_uint *div_by_zero = nullptr;

    batch(std::size_t n, int divisor_width, int dividend_width, bool is_signed) {
        divisor = qor_quodra_v5_1_qor_array_mpz_alloc(n);
        dividend = qor_quodra_v5_1_qor_array_mpz_alloc(n);
        quotient = qor_quodra_v5_1_qor_array_mpz_alloc(n);
        remainder = qor_quodra_v5_1_qor_array_mpz_alloc(n);
        div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(n);
        gmp_randstate_t random;
        gmp_randinit_default(random);
        gmp_randseed_ui(random, 12345);
        mpz_t value;
        mpz_init(value);
        for (std::size_t i = 0; i < n; ++i) {
            fill(value, random, divisor_width, is_signed);
            if (mpz_sgn(value) == 0) {
                mpz_set_ui(value, 1);
            }
            qor_quodra_v5_1_qor_array_mpz_set_data(divisor, value, i);
            fill(value, random, dividend_width, is_signed);
            qor_quodra_v5_1_qor_array_mpz_set_data(dividend, value, i);
        }
        mpz_clear(value);
        gmp_randclear(random);
    }

    ~batch() {
        qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
        qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
        qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
        qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
        qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    }

    // A uniformly random value of the field: signed fields span
    // [-2^(w-1), 2^(w-1)), unsigned ones [0, 2^w).
    static void fill(mpz_t value, gmp_randstate_t random, int width, bool is_signed) {
        mpz_urandomb(value, random, static_cast<mp_bitcnt_t>(width));
        if (is_signed && mpz_tstbit(value, static_cast<mp_bitcnt_t>(width - 1))) {
            mpz_t wrap;
            mpz_init(wrap);
            mpz_setbit(wrap, static_cast<mp_bitcnt_t>(width));
            mpz_sub(value, value, wrap);
            mpz_clear(wrap);
        }
    }
};

void run_path(benchmark::State &state, int algorithm, int remainder_type, int sign) {
    const int width = static_cast<int>(state.range(0));
    qor_quodra_v5_1_config config;
    qor_quodra_v5_1_default_config(&config);
    config.algorithm_type = algorithm;
    config.remainder_type = remainder_type;
    config.operand_sign = sign;
    config.divisor_width = width;
    config.dividend_width = width;
    config.fractional_width = width;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    if (model == nullptr) {
        state.SkipWithError("configuration refused");
        return;
    }
    const std::size_t samples = 4096;
    batch data(samples, width, width, sign == QUODRA_OPERAND_SIGNED);
    for (auto _ : state) {
        const int32_t status =
            qor_quodra_v5_1_data_do(model, data.divisor, data.dividend, data.quotient,
                                    data.remainder, data.div_by_zero, samples);
        benchmark::DoNotOptimize(status);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * samples);
    qor_quodra_v5_1_destroy(model);
}

void remainder_signed(benchmark::State &state) {
    run_path(state, QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_REMAINDER, QUODRA_OPERAND_SIGNED);
}
void remainder_unsigned(benchmark::State &state) {
    run_path(state, QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_REMAINDER, QUODRA_OPERAND_UNSIGNED);
}
void radix2_signed(benchmark::State &state) {
    run_path(state, QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_FRACTIONAL, QUODRA_OPERAND_SIGNED);
}
void radix2_unsigned(benchmark::State &state) {
    run_path(state, QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_FRACTIONAL, QUODRA_OPERAND_UNSIGNED);
}
void high_radix(benchmark::State &state) {
    run_path(state, QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OUTPUT_FRACTIONAL, QUODRA_OPERAND_SIGNED);
}

} // namespace

BENCHMARK(remainder_signed)->Arg(16)->Arg(64)->Arg(256);
BENCHMARK(remainder_unsigned)->Arg(16)->Arg(64);
BENCHMARK(radix2_signed)->Arg(16)->Arg(64);
BENCHMARK(radix2_unsigned)->Arg(16)->Arg(64);
BENCHMARK(high_radix)->Arg(16)->Arg(64)->Arg(256);
