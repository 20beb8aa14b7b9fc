// Cost of each division path against the cost of moving its samples.
//
// For every path and width the same run measures, on 4096 samples drawn
// uniformly from the full signed (or unsigned) range with non-zero divisors:
//   model_ns  qor_quodra_v5_1_data_do, ns per sample
//   floor_ns  the element accesses any implementation must make per sample
//             through the public interface on the same arrays and values:
//             two mpz_get_data, one or two mpz_set_data, one uint_set_data
//   ratio     model_ns / floor_ns
// The two are timed alternately, best of all iterations each, so both see
// the same machine load. After the console rows a Markdown table repeats
// the numbers (the medians when --benchmark_repetitions is given).
//
// Run: build/release/bench/quodra_ratio_bench
#include <benchmark/benchmark.h>

#include <gmp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "quodra.h"

namespace {

constexpr std::size_t samples = 4096;

struct path_case {
    const char *path;
    int32_t algorithm;
    int32_t remainder_type;
    int32_t sign;
    int32_t divisor_width;
    int32_t dividend_width;
    int32_t fractional_width;
};

// The arrays of one measurement, released together.
struct sample_arrays {
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(samples);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(samples);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(samples);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(samples);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(samples);
    // What the model wrote, so that the floor writes the same values.
    qor_array_mpz *written_quotient = qor_quodra_v5_1_qor_array_mpz_alloc(samples);
    qor_array_mpz *written_remainder = qor_quodra_v5_1_qor_array_mpz_alloc(samples);

    sample_arrays() = default;
    sample_arrays(const sample_arrays &) = delete;
    sample_arrays &operator=(const sample_arrays &) = delete;
    ~sample_arrays() {
        for (qor_array_mpz *a : {divisor, dividend, quotient, remainder, written_quotient,
                                 written_remainder}) {
            qor_quodra_v5_1_qor_array_mpz_destroy(a);
        }
        qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    }
};

// A uniformly random value of the field: signed fields span
// [-2^(w-1), 2^(w-1)), unsigned ones [0, 2^w).
void random_field_value(mpz_ptr value, gmp_randstate_t random, int32_t width, bool is_signed) {
    mpz_urandomb(value, random, static_cast<mp_bitcnt_t>(width));
    if (is_signed && width > 0) {
        mpz_t half;
        mpz_init(half);
        mpz_setbit(half, static_cast<mp_bitcnt_t>(width - 1));
        mpz_sub(value, value, half);
        mpz_clear(half);
    }
}

void fill_operands(sample_arrays &a, const path_case &c) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 12345);
    const bool is_signed = c.sign == QUODRA_OPERAND_SIGNED;
    for (std::size_t i = 0; i < samples; ++i) {
        do {
            random_field_value(a.divisor->data[i], random, c.divisor_width, is_signed);
        } while (mpz_sgn(a.divisor->data[i]) == 0);
        random_field_value(a.dividend->data[i], random, c.dividend_width, is_signed);
    }
    gmp_randclear(random);
}

// The public element accesses of one call, in the order the model makes them.
void move_samples(sample_arrays &a, bool with_remainder, mpz_ptr divisor, mpz_ptr dividend) {
    for (std::size_t i = 0; i < samples; ++i) {
        qor_quodra_v5_1_qor_array_mpz_get_data(a.divisor, divisor, i);
        qor_quodra_v5_1_qor_array_mpz_get_data(a.dividend, dividend, i);
        qor_quodra_v5_1_qor_array_mpz_set_data(a.quotient, a.written_quotient->data[i], i);
        if (with_remainder) {
            qor_quodra_v5_1_qor_array_mpz_set_data(a.remainder, a.written_remainder->data[i], i);
        }
        qor_quodra_v5_1_qor_array_uint_set_data(a.div_by_zero, a.div_by_zero->data[i], i);
    }
}

template <class Work> double seconds_of(Work &&work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measure_ratio(benchmark::State &state, const path_case &c) {
    qor_quodra_v5_1_config config;
    qor_quodra_v5_1_default_config(&config);
    config.algorithm_type = c.algorithm;
    config.remainder_type = c.remainder_type;
    config.operand_sign = c.sign;
    config.divisor_width = c.divisor_width;
    config.dividend_width = c.dividend_width;
    config.fractional_width = c.fractional_width;
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    if (model == nullptr) {
        state.SkipWithError("configuration refused");
        return;
    }
    sample_arrays a;
    fill_operands(a, c);
    const bool with_remainder = c.remainder_type == QUODRA_OUTPUT_REMAINDER;
    const auto divide = [&] {
        benchmark::DoNotOptimize(qor_quodra_v5_1_data_do(model, a.divisor, a.dividend,
                                                         a.quotient, a.remainder, a.div_by_zero,
                                                         samples));
    };
    divide(); // sizes every output element and records the values written
    for (std::size_t i = 0; i < samples; ++i) {
        mpz_set(a.written_quotient->data[i], a.quotient->data[i]);
        mpz_set(a.written_remainder->data[i], a.remainder->data[i]);
    }
    mpz_t divisor, dividend;
    mpz_init(divisor);
    mpz_init(dividend);
    const auto move = [&] { move_samples(a, with_remainder, divisor, dividend); };
    move();

    double model_best = std::numeric_limits<double>::infinity();
    double floor_best = model_best;
    for (auto _ : state) {
        model_best = std::min(model_best, seconds_of(divide));
        floor_best = std::min(floor_best, seconds_of(move));
    }
    const double to_ns_per_sample = 1e9 / static_cast<double>(samples);
    state.counters["model_ns"] = model_best * to_ns_per_sample;
    state.counters["floor_ns"] = floor_best * to_ns_per_sample;
    state.counters["ratio"] = model_best / floor_best;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
    mpz_clear(divisor);
    mpz_clear(dividend);
    qor_quodra_v5_1_destroy(model);
}

std::string case_name(const path_case &c) {
    std::string name = std::string(c.path) + "/" + std::to_string(c.divisor_width) + "/" +
                       std::to_string(c.dividend_width);
    if (c.remainder_type == QUODRA_OUTPUT_FRACTIONAL) {
        name += (c.algorithm == QUODRA_ALGORITHM_HIGH_RADIX ? "/C" : "/F") +
                std::to_string(c.fractional_width);
    }
    return name;
}

// Widths 16 to 256 for every path, fractional widths capped at 64, and the
// High Radix case of the table at 300/200, C 40.
std::vector<path_case> every_case() {
    const path_case paths[] = {
        {"remainder_signed", QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_REMAINDER,
         QUODRA_OPERAND_SIGNED, 0, 0, 0},
        {"remainder_unsigned", QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_REMAINDER,
         QUODRA_OPERAND_UNSIGNED, 0, 0, 0},
        {"radix2_signed", QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_FRACTIONAL,
         QUODRA_OPERAND_SIGNED, 0, 0, 0},
        {"radix2_unsigned", QUODRA_ALGORITHM_RADIX2, QUODRA_OUTPUT_FRACTIONAL,
         QUODRA_OPERAND_UNSIGNED, 0, 0, 0},
        {"high_radix", QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OUTPUT_FRACTIONAL,
         QUODRA_OPERAND_SIGNED, 0, 0, 0},
    };
    std::vector<path_case> cases;
    for (const path_case &p : paths) {
        for (int32_t width : {16, 32, 64, 128, 256}) {
            path_case c = p;
            c.divisor_width = width;
            c.dividend_width = width;
            c.fractional_width = std::min(width, 64);
            cases.push_back(c);
        }
    }
    path_case wide_high_radix = paths[4];
    wide_high_radix.divisor_width = 300;
    wide_high_radix.dividend_width = 200;
    wide_high_radix.fractional_width = 40;
    cases.push_back(wide_high_radix);
    return cases;
}

// The console output, then one Markdown row per case.
class table_reporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !median)) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            if (rows.count(name) == 0) {
                order.push_back(name);
            } else if (!median) {
                continue;
            }
            rows[name] = {run.counters.at("model_ns").value, run.counters.at("floor_ns").value,
                          run.counters.at("ratio").value};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n| path | widths (divisor/dividend, F or C) | model ns/sample | "
                    "I/O floor ns/sample | model / floor |\n|---|---|---|---|---|\n");
        for (const std::string &name : order) {
            const row &r = rows[name];
            const std::size_t slash = name.find('/');
            std::printf("| %s | %s | %.0f | %.0f | %.1f |\n", name.substr(0, slash).c_str(),
                        name.substr(slash + 1).c_str(), r.model_ns, r.floor_ns, r.ratio);
        }
    }

private:
    struct row {
        double model_ns;
        double floor_ns;
        double ratio;
    };
    std::map<std::string, row> rows;
    std::vector<std::string> order;
};

} // namespace

int main(int argc, char **argv) {
    for (const path_case &c : every_case()) {
        benchmark::RegisterBenchmark(case_name(c).c_str(), measure_ratio, c)
            ->MinTime(0.3)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    table_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
