/*
 * Divides samples at given widths with full-width operands and prints what
 * the library says: the message of a refusal, or the size of what it wrote.
 * bench/resource_bounds.sh runs it at and just past each limit, under
 * /usr/bin/time, to measure what one call costs at the edge.
 *
 * Usage:
 *   quodra_resource_bounds [--samples N] [--dpi] ALGORITHM SIGN OUTPUT
 *                          DIVISOR_WIDTH DIVIDEND_WIDTH FRACTIONAL_WIDTH
 *     ALGORITHM  radix2, high_radix, lutmult or the library's number
 *     SIGN       signed or unsigned
 *     OUTPUT     remainder or fractional
 *     --samples  samples in the one data call (default 1), all alike
 *     --dpi      go through the SystemVerilog kit's C side instead
 *                (one sample of QUODRA_DPI_MAX_WIDTH-bit vectors)
 *
 * Full-width operands: signed, the dividend is -2^(B-1) and the divisor
 * 2^(A-1) - 1 (-1 for a 1-bit divisor); unsigned, both are all ones.
 * Unsigned remainder output checks no width, so its widths only size the
 * operands, which is how the operand limit is reached.
 *
 * Exit status: 0 divided, 1 refused, 2 usage error.
 */
#include <gmp.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quodra.h"

#ifdef QUODRA_RESOURCE_BOUNDS_DPI
#include "quodra_dpi.h"
#endif

typedef struct run_request {
    int32_t algorithm;
    int32_t operand_sign;
    int32_t remainder_type;
    int32_t divisor_width;
    int32_t dividend_width;
    int32_t fractional_width;
    uint32_t samples;
    int through_dpi;
} run_request;

static int usage(const char *problem) {
    fprintf(stderr,
            "quodra_resource_bounds: %s\n"
            "usage: quodra_resource_bounds [--samples N] [--dpi] ALGORITHM SIGN OUTPUT "
            "DIVISOR_WIDTH DIVIDEND_WIDTH FRACTIONAL_WIDTH\n",
            problem);
    return 2;
}

/* A decimal number within [lowest, highest]; 0 when the text is not one. */
static int parse_number(const char *text, long long lowest, long long highest, long long *value) {
    char *end = NULL;
    const long long parsed = strtoll(text, &end, 10);
    if (end == text || *end != '\0' || parsed < lowest || parsed > highest) {
        return 0;
    }
    *value = parsed;
    return 1;
}

static int parse_algorithm(const char *text, int32_t *algorithm) {
    long long number = 0;
    if (strcmp(text, "radix2") == 0) {
        *algorithm = QUODRA_ALGORITHM_RADIX2;
    } else if (strcmp(text, "high_radix") == 0) {
        *algorithm = QUODRA_ALGORITHM_HIGH_RADIX;
    } else if (strcmp(text, "lutmult") == 0) {
        *algorithm = QUODRA_ALGORITHM_LUTMULT;
    } else if (parse_number(text, INT32_MIN, INT32_MAX, &number)) {
        *algorithm = (int32_t)number;
    } else {
        return 0;
    }
    return 1;
}

static int parse_choice(const char *text, const char *zero, const char *one, int32_t *choice) {
    if (strcmp(text, zero) == 0) {
        *choice = 0;
    } else if (strcmp(text, one) == 0) {
        *choice = 1;
    } else {
        return 0;
    }
    return 1;
}

/* Widths of at least 1 bit, so that every operand has a full-width value. */
static int parse_width(const char *text, int32_t lowest, int32_t *width) {
    long long value = 0;
    if (!parse_number(text, lowest, INT32_MAX, &value)) {
        return 0;
    }
    *width = (int32_t)value;
    return 1;
}

static int parse_request(int argc, char **argv, run_request *request) {
    int i = 1;
    long long samples = 1;
    request->through_dpi = 0;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        if (strcmp(argv[i], "--dpi") == 0) {
            request->through_dpi = 1;
        } else if (strcmp(argv[i], "--samples") == 0 && i + 1 < argc &&
                   parse_number(argv[i + 1], 1, UINT32_MAX, &samples)) {
            ++i;
        } else {
            return 0;
        }
    }
    request->samples = (uint32_t)samples;
    return argc - i == 6 && parse_algorithm(argv[i], &request->algorithm) &&
           parse_choice(argv[i + 1], "unsigned", "signed", &request->operand_sign) &&
           parse_choice(argv[i + 2], "remainder", "fractional", &request->remainder_type) &&
           parse_width(argv[i + 3], 1, &request->divisor_width) &&
           parse_width(argv[i + 4], 1, &request->dividend_width) &&
           parse_width(argv[i + 5], 0, &request->fractional_width);
}

/* Signed: the most negative value; unsigned: all ones. */
static void full_width_dividend(mpz_t value, int32_t width, int is_signed) {
    if (is_signed) {
        mpz_set_ui(value, 0);
        mpz_setbit(value, (mp_bitcnt_t)width - 1);
        mpz_neg(value, value);
    } else {
        mpz_set_ui(value, 0);
        mpz_setbit(value, (mp_bitcnt_t)width);
        mpz_sub_ui(value, value, 1);
    }
}

/* Signed: the largest positive value (-1 in one bit); unsigned: all ones. */
static void full_width_divisor(mpz_t value, int32_t width, int is_signed) {
    if (is_signed && width == 1) {
        mpz_set_si(value, -1);
        return;
    }
    mpz_set_ui(value, 0);
    mpz_setbit(value, (mp_bitcnt_t)(is_signed ? width - 1 : width));
    mpz_sub_ui(value, value, 1);
}

static void print_message(void *handle, int32_t error, const char *message) {
    (void)handle;
    printf("%s: %s\n", error ? "error" : "message", message);
}

static int fill_samples(qor_array_mpz *array, const mpz_t value, uint32_t samples) {
    uint32_t i;
    for (i = 0; i < samples; ++i) {
        if (qor_quodra_v5_1_qor_array_mpz_set_data(array, value, i) != 0) {
            return 0;
        }
    }
    return 1;
}

static void print_division(const qor_array_mpz *quotient, const qor_array_uint *div_by_zero,
                           uint32_t samples) {
    mpz_t first;
    uint32_t flag = 0;
    mpz_init(first);
    qor_quodra_v5_1_qor_array_mpz_get_data(quotient, first, 0);
    qor_quodra_v5_1_qor_array_uint_get_data(div_by_zero, &flag, 0);
    printf("divided %lu sample(s): first quotient %lu bits, div_by_zero %lu\n",
           (unsigned long)samples, (unsigned long)mpz_sizeinbase(first, 2), (unsigned long)flag);
    mpz_clear(first);
}

/* Status 0 divided, 1 refused (the library has printed why). */
static int divide_with_library(const quodra_v5_1 *model, const run_request *request) {
    const uint32_t n = request->samples;
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(n);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(n);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(n);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(n);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(n);
    mpz_t value;
    int status = 1;
    mpz_init(value);
    if (divisor == NULL || dividend == NULL || quotient == NULL || remainder == NULL ||
        div_by_zero == NULL) {
        printf("could not allocate arrays of %lu samples\n", (unsigned long)n);
    } else {
        full_width_divisor(value, request->divisor_width, request->operand_sign);
        const int divisors_set = fill_samples(divisor, value, n);
        full_width_dividend(value, request->dividend_width, request->operand_sign);
        if (!divisors_set || !fill_samples(dividend, value, n)) {
            printf("could not store the operands\n");
        } else if (qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder,
                                           div_by_zero, n) == 0) {
            print_division(quotient, div_by_zero, n);
            status = 0;
        }
    }
    mpz_clear(value);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    return status;
}

static int run_library(const run_request *request) {
    qor_quodra_v5_1_config config;
    quodra_v5_1 *model;
    int status;
    qor_quodra_v5_1_default_config(&config);
    config.name = "resource bounds";
    config.algorithm_type = request->algorithm;
    config.operand_sign = request->operand_sign;
    config.remainder_type = request->remainder_type;
    config.divisor_width = request->divisor_width;
    config.dividend_width = request->dividend_width;
    config.fractional_width = request->fractional_width;
    model = qor_quodra_v5_1_create(&config, print_message, NULL);
    if (model == NULL) {
        return 1;
    }
    status = divide_with_library(model, request);
    qor_quodra_v5_1_destroy(model);
    return status;
}

#ifdef QUODRA_RESOURCE_BOUNDS_DPI
/* The vector form of the full-width operands above. */
static void full_width_vector(svBitVecVal *vec, int32_t width, int is_signed, int is_dividend) {
    mpz_t value;
    mpz_init(value);
    if (is_dividend) {
        full_width_dividend(value, width, is_signed);
    } else {
        full_width_divisor(value, width, is_signed);
    }
    quodra_dpi_mpz_to_vec(vec, value, width);
    mpz_clear(value);
}

static int run_dpi(const run_request *request) {
    svBitVecVal dividend[QUODRA_DPI_VEC_WORDS];
    svBitVecVal divisor[QUODRA_DPI_VEC_WORDS];
    svBitVecVal quotient[QUODRA_DPI_VEC_WORDS];
    svBitVecVal remainder[QUODRA_DPI_VEC_WORDS];
    svBit div_by_zero = 0;
    svBit quotient_known = 0;
    void *model = quodra_dpi_create(request->algorithm, request->divisor_width,
                                    request->dividend_width, request->operand_sign,
                                    request->remainder_type, request->fractional_width,
                                    "resource bounds");
    if (model == NULL) {
        printf("error: %s\n", quodra_dpi_last_error());
        return 1;
    }
    /* The kit reads only the low bits of each vector, so the pattern of the
     * widest field fills what a port of that width holds. */
    full_width_vector(dividend, request->dividend_width, request->operand_sign, 1);
    full_width_vector(divisor, request->divisor_width, request->operand_sign, 0);
    if (quodra_dpi_divide(model, dividend, divisor, quotient, remainder, &div_by_zero,
                          &quotient_known) != 0) {
        printf("error: %s\n", quodra_dpi_last_error());
        quodra_dpi_free(model);
        return 1;
    }
    printf("divided 1 sample(s) of %d-bit vectors: quotient field %d bits, div_by_zero %d\n",
           quodra_dpi_max_width(), quodra_dpi_quotient_width(model), (int)div_by_zero);
    quodra_dpi_free(model);
    return 0;
}
#else
static int run_dpi(const run_request *request) {
    (void)request;
    printf("error: built without the SystemVerilog kit's C side (no svdpi.h found)\n");
    return 2;
}
#endif

int main(int argc, char **argv) {
    run_request request;
    if (!parse_request(argc, argv, &request)) {
        return usage("expected ALGORITHM SIGN OUTPUT and three widths");
    }
    return request.through_dpi ? run_dpi(&request) : run_library(&request);
}
