// The C++ layer's side of bench/resource_bounds.sh: one sample at given
// widths with full-width operands through quodra::divider, printing what it
// throws, or a batch of 2^32 samples, one past what a call holds.
//
// Usage:
//   quodra_resource_bounds_cxx ALGORITHM SIGN OUTPUT DIVISOR_WIDTH DIVIDEND_WIDTH FRACTIONAL_WIDTH
//   quodra_resource_bounds_cxx --batch-past-limit
// ALGORITHM is the library's number (1 Radix-2, 3 High Radix, 4 LutMult),
// SIGN signed or unsigned, OUTPUT remainder or fractional. Operands are those
// of bench/resource_bounds.c. Exit status: 0 divided, 1 refused, 2 usage.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "quodra.hpp"

namespace {

mpz_class power_of_two(int32_t exponent) {
    mpz_class value;
    mpz_setbit(value.get_mpz_t(), static_cast<mp_bitcnt_t>(exponent));
    return value;
}

mpz_class full_width_dividend(int32_t width, bool is_signed) {
    return is_signed ? mpz_class(-power_of_two(width - 1)) : mpz_class(power_of_two(width) - 1);
}

mpz_class full_width_divisor(int32_t width, bool is_signed) {
    if (is_signed && width == 1) {
        return -1;
    }
    return power_of_two(is_signed ? width - 1 : width) - 1;
}

int divide_one_sample(const quodra::config &configuration) {
    const bool is_signed = configuration.operand_sign == QUODRA_OPERAND_SIGNED;
    try {
        quodra::divider divider(configuration);
        const quodra::result<mpz_class> result =
            divider.divide(full_width_divisor(configuration.divisor_width, is_signed),
                           full_width_dividend(configuration.dividend_width, is_signed));
        const std::size_t bits = result.quotient ? mpz_sizeinbase(result.quotient->get_mpz_t(), 2) : 0;
        std::printf("divided 1 sample(s): quotient %zu bits\n", bits);
        return 0;
    } catch (const std::exception &e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
}

// 2^32 zero samples in pages that are mapped but never touched: the layer
// refuses the batch by its size before it reads a sample.
int divide_batch_past_limit() {
    const std::size_t count = std::size_t{1} << 32;
    const std::size_t bytes = count * sizeof(int64_t);
    void *pages = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (pages == MAP_FAILED) {
        std::printf("could not map %zu bytes\n", bytes);
        return 2;
    }
    const quodra::sample_view<int64_t> samples(static_cast<const int64_t *>(pages), count);
    int status = 0;
    try {
        quodra::divider divider;
        divider.divide(samples, samples);
        std::printf("divided %zu samples\n", count);
    } catch (const std::exception &e) {
        std::printf("error: %s\n", e.what());
        status = 1;
    }
    munmap(pages, bytes);
    return status;
}

bool parse_width(const char *text, int32_t lowest, int32_t &width) {
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || value < lowest || value > INT32_MAX) {
        return false;
    }
    width = static_cast<int32_t>(value);
    return true;
}

bool parse_configuration(char **words, quodra::config &configuration) {
    const std::string sign = words[1];
    const std::string output = words[2];
    configuration.name = "resource bounds";
    configuration.operand_sign = sign == "signed" ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
    configuration.remainder_type = output == "fractional" ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER;
    return (sign == "signed" || sign == "unsigned") && (output == "remainder" || output == "fractional") &&
           parse_width(words[0], INT32_MIN, configuration.algorithm_type) &&
           parse_width(words[3], 1, configuration.divisor_width) &&
           parse_width(words[4], 1, configuration.dividend_width) &&
           parse_width(words[5], 0, configuration.fractional_width);
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::string(argv[1]) == "--batch-past-limit") {
        return divide_batch_past_limit();
    }
    quodra::config configuration;
    if (argc != 7 || !parse_configuration(argv + 1, configuration)) {
        std::fprintf(stderr, "usage: quodra_resource_bounds_cxx ALGORITHM SIGN OUTPUT DIVISOR_WIDTH "
                             "DIVIDEND_WIDTH FRACTIONAL_WIDTH | --batch-past-limit\n");
        return 2;
    }
    return divide_one_sample(configuration);
}
