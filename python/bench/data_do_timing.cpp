// Times qor_quodra_v5_1_data_do on the samples bench_divide_many.py wrote,
// so that the Python batch path can be compared with a direct C call on the
// same configuration and the same samples.
//
// Usage: data_do_timing SAMPLES_FILE ALGORITHM DIVISOR_WIDTH DIVIDEND_WIDTH
//                       SIGNED REMAINDER_TYPE FRACTIONAL_WIDTH REPEATS
// SAMPLES_FILE holds n int64 dividends, then n int64 divisors (native
// byte order). Prints the best time of one call in seconds.
#include <gmp.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "quodra.h"

namespace {

std::vector<int64_t> read_samples(const char *path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamsize bytes = file.tellg();
    std::vector<int64_t> values(static_cast<std::size_t>(bytes) / sizeof(int64_t));
    file.seekg(0);
    file.read(reinterpret_cast<char *>(values.data()), bytes);
    return values;
}

void fill(qor_array_mpz *array, const int64_t *values, std::size_t count) {
    mpz_t value;
    mpz_init(value);
    for (std::size_t i = 0; i < count; ++i) {
        mpz_set_si(value, static_cast<long>(values[i]));
        qor_quodra_v5_1_qor_array_mpz_set_data(array, value, i);
    }
    mpz_clear(value);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 9) {
        std::fprintf(stderr, "usage: %s SAMPLES ALGORITHM DIVISOR_WIDTH DIVIDEND_WIDTH SIGNED "
                             "REMAINDER_TYPE FRACTIONAL_WIDTH REPEATS\n", argv[0]);
        return 2;
    }
    const std::vector<int64_t> samples = read_samples(argv[1]);
    const std::size_t count = samples.size() / 2;
    qor_quodra_v5_1_config config;
    qor_quodra_v5_1_default_config(&config);
    config.algorithm_type = std::atoi(argv[2]);
    config.divisor_width = std::atoi(argv[3]);
    config.dividend_width = std::atoi(argv[4]);
    config.operand_sign = std::atoi(argv[5]);
    config.remainder_type = std::atoi(argv[6]);
    config.fractional_width = std::atoi(argv[7]);
    const int repeats = std::atoi(argv[8]);
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, nullptr, nullptr);
    if (model == nullptr) {
        std::fprintf(stderr, "configuration refused\n");
        return 1;
    }
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(count);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(count);
    fill(dividend, samples.data(), count);
    fill(divisor, samples.data() + count, count);

    double best = 1e30;
    for (int r = 0; r < repeats; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const int32_t status = qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder,
                                                       div_by_zero, static_cast<uint32_t>(count));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (status != 0) {
            std::fprintf(stderr, "data_do failed\n");
            return 1;
        }
        best = elapsed.count() < best ? elapsed.count() : best;
    }
    std::printf("%.6f\n", best);

    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    qor_quodra_v5_1_destroy(model);
    return 0;
}
