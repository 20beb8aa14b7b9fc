// One sample a call through the SystemC kit's field divider, the work a
// divider_module does at each start and a divider_target at each
// transaction: on the engine's word batch, on GNU MP integers, and the
// floor of reading the sc_bigint ports, dividing with C's / and % and
// writing sc_bigint results. All rows divide the same operands.
#include <benchmark/benchmark.h>

#include <systemc>

#include <cstdint>
#include <random>
#include <vector>

#include "quodra_sc_fields.hpp"

namespace {

using layout = quodra::sc::field_layout<QUODRA_ALGORITHM_RADIX2, 32, 32, 0, true, false>;
using quodra::sc::division_route;
using quodra::sc::field_divider;

constexpr std::size_t samples = 4096;

struct operands {
    std::vector<layout::dividend_type> dividends;
    std::vector<layout::divisor_type> divisors;
    operands() {
        std::mt19937_64 rng(7);
        for (std::size_t i = 0; i < samples; ++i) {
            dividends.emplace_back(static_cast<int32_t>(rng()));
            divisors.emplace_back(static_cast<int32_t>(rng() >> (rng() % 32)) | 1);
        }
    }
};

const operands &shared_operands() {
    static const operands o;
    return o;
}

quodra::config signed_32x32() {
    quodra::config c;
    c.name = "bench";
    c.algorithm_type = QUODRA_ALGORITHM_RADIX2;
    c.divisor_width = 32;
    c.dividend_width = 32;
    c.operand_sign = QUODRA_OPERAND_SIGNED;
    c.remainder_type = QUODRA_OUTPUT_REMAINDER;
    return c;
}

void floor_c_division(benchmark::State &state) {
    const operands &o = shared_operands();
    std::size_t i = 0;
    for (auto _ : state) {
        const int64_t n = o.dividends[i].to_int64();
        const int64_t d = o.divisors[i].to_int64();
        layout::quotient_type q = n / d;
        layout::remainder_type r = n % d;
        benchmark::DoNotOptimize(q);
        benchmark::DoNotOptimize(r);
        i = (i + 1) % samples;
    }
}

void divide_one(benchmark::State &state, division_route route) {
    const operands &o = shared_operands();
    field_divider<layout> divider(signed_32x32(), route);
    if (divider.on_words() != (route == division_route::fastest)) {
        state.SkipWithError("the route is not the one this row measures");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        auto result = divider.divide(o.dividends[i], o.divisors[i]);
        benchmark::DoNotOptimize(result);
        i = (i + 1) % samples;
    }
}

void word_batch(benchmark::State &state) { divide_one(state, division_route::fastest); }
void gnu_mp(benchmark::State &state) { divide_one(state, division_route::gnu_mp_only); }

BENCHMARK(floor_c_division);
BENCHMARK(word_batch);
BENCHMARK(gnu_mp);

} // namespace

int sc_main(int argc, char *argv[]) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
