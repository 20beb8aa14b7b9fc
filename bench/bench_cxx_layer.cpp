// What the C++ layer costs over qor_quodra_v5_1_data_do. Signed remainder
// mode is the cheapest path per sample, so any overhead shows most there.
//   direct_data_do       the C call on arrays of 4096 samples
//   divider_on_arrays    quodra::divider's call on the very same arrays
//   divider_int64_batch  the same samples as int64_t in, results out
//   divider_mpz_batch    the same samples as mpz_class in, results out
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "quodra.hpp"

namespace {

constexpr std::size_t samples = 4096;

quodra::config signed_remainder(int width) {
    quodra::config c;
    c.divisor_width = width;
    c.dividend_width = width;
    c.operand_sign = QUODRA_OPERAND_SIGNED;
    c.remainder_type = QUODRA_OUTPUT_REMAINDER;
    return c;
}

// Uniform in-range operands of a signed field, divisors never zero.
struct operands {
    std::vector<int64_t> divisors;
    std::vector<int64_t> dividends;

    explicit operands(int width) {
        std::mt19937_64 random(12345);
        std::uniform_int_distribution<int64_t> field(-(int64_t{1} << (width - 1)), (int64_t{1} << (width - 1)) - 1);
        for (std::size_t i = 0; i < samples; ++i) {
            const int64_t divisor = field(random);
            divisors.push_back(divisor == 0 ? 1 : divisor);
            dividends.push_back(field(random));
        }
    }
};

struct arrays {
    quodra::mpz_array divisor{samples};
    quodra::mpz_array dividend{samples};
    quodra::mpz_array quotient{samples};
    quodra::mpz_array remainder{samples};
    quodra::uint_array div_by_zero{samples};

    explicit arrays(const operands &o) {
        for (std::size_t i = 0; i < samples; ++i) {
            divisor.set_sample(i, mpz_class(static_cast<long>(o.divisors[i])));
            dividend.set_sample(i, mpz_class(static_cast<long>(o.dividends[i])));
        }
    }
};

void direct_data_do(benchmark::State &state) {
    const quodra::config c = signed_remainder(static_cast<int>(state.range(0)));
    const qor_quodra_v5_1_config record = c.to_c();
    quodra_v5_1 *model = qor_quodra_v5_1_create(&record, nullptr, nullptr);
    arrays a{operands(c.dividend_width)};
    for (auto _ : state) {
        const int32_t status = qor_quodra_v5_1_data_do(model, a.divisor.get(), a.dividend.get(), a.quotient.get(),
                                                       a.remainder.get(), a.div_by_zero.get(), samples);
        benchmark::DoNotOptimize(status);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
    qor_quodra_v5_1_destroy(model);
}

void divider_on_arrays(benchmark::State &state) {
    const quodra::divider d(signed_remainder(static_cast<int>(state.range(0))));
    arrays a{operands(d.configuration().dividend_width)};
    for (auto _ : state) {
        d.divide(a.divisor, a.dividend, a.quotient, a.remainder, a.div_by_zero, samples);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
}

template <class T>
void divider_batch(benchmark::State &state) {
    quodra::divider d(signed_remainder(static_cast<int>(state.range(0))));
    const operands o(d.configuration().dividend_width);
    const std::vector<T> divisors(o.divisors.begin(), o.divisors.end());
    const std::vector<T> dividends(o.dividends.begin(), o.dividends.end());
    std::vector<quodra::result<T>> out;
    for (auto _ : state) {
        d.divide(divisors, dividends, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
}

void divider_int64_batch(benchmark::State &state) { divider_batch<int64_t>(state); }
void divider_mpz_batch(benchmark::State &state) { divider_batch<mpz_class>(state); }

} // namespace

BENCHMARK(direct_data_do)->Arg(16)->Arg(48);
BENCHMARK(divider_on_arrays)->Arg(16)->Arg(48);
BENCHMARK(divider_int64_batch)->Arg(16)->Arg(48);
BENCHMARK(divider_mpz_batch)->Arg(16)->Arg(48);
