/* An outside C program: divides a few signed 8-bit samples through the
 * installed library and checks them against C's own division. */
#include <stdio.h>
#include <string.h>
#include "quodra.h"

#define SAMPLES 4

/* The two's-complement pattern of v in an 8-bit field. */
static long pattern8(long v) { return (v + 256) % 256; }

int main(void) {
    static const long dividends[SAMPLES] = {100, -7, 7, -128};
    static const long divisors[SAMPLES] = {7, 2, -2, 3};
    qor_quodra_v5_1_config config;
    quodra_v5_1 *model;
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(SAMPLES);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(SAMPLES);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(SAMPLES);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(SAMPLES);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(SAMPLES);
    mpz_t v;
    int i, failures = 0;

    if (strcmp(qor_quodra_v5_1_get_version(), QUODRA_VERSION_STRING) != 0) {
        fprintf(stderr, "header %s but library %s\n", QUODRA_VERSION_STRING,
                qor_quodra_v5_1_get_version());
        return 1;
    }
    qor_quodra_v5_1_default_config(&config);
    config.algorithm_type = QUODRA_ALGORITHM_RADIX2;
    config.operand_sign = QUODRA_OPERAND_SIGNED;
    config.remainder_type = QUODRA_OUTPUT_REMAINDER;
    config.divisor_width = 8;
    config.dividend_width = 8;
    model = qor_quodra_v5_1_create(&config, NULL, NULL);
    if (model == NULL) return 1;

    mpz_init(v);
    for (i = 0; i < SAMPLES; ++i) {
        mpz_set_si(v, divisors[i]);
        qor_quodra_v5_1_qor_array_mpz_set_data(divisor, v, (size_t)i);
        mpz_set_si(v, dividends[i]);
        qor_quodra_v5_1_qor_array_mpz_set_data(dividend, v, (size_t)i);
    }
    if (qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder,
                                div_by_zero, SAMPLES) != 0) {
        failures = 1;
    }
    for (i = 0; i < SAMPLES && !failures; ++i) {
        long q, r;
        qor_quodra_v5_1_qor_array_mpz_get_data(quotient, v, (size_t)i);
        q = mpz_get_si(v);
        qor_quodra_v5_1_qor_array_mpz_get_data(remainder, v, (size_t)i);
        r = mpz_get_si(v);
        if (q != pattern8(dividends[i] / divisors[i]) || r != pattern8(dividends[i] % divisors[i])) {
            fprintf(stderr, "%ld / %ld gave %ld r %ld\n", dividends[i], divisors[i], q, r);
            ++failures;
        }
    }
    mpz_clear(v);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    qor_quodra_v5_1_destroy(model);
    if (failures == 0) printf("consumer C: %d samples agree\n", SAMPLES);
    return failures == 0 ? 0 : 1;
}
