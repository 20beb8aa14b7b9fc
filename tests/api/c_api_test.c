/* A simulation program's view of the library: C90, public header only. */
#include <stdio.h>
#include <string.h>

#include "quodra.h"

static int failures = 0;

#define CHECK(cond)                                                   \
    do {                                                              \
        if (!(cond)) {                                                \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__,    \
                    __LINE__, #cond);                                 \
            ++failures;                                               \
        }                                                             \
    } while (0)

struct messages {
    int count;
    int last_error;
    char last[256];
};

static void record_message(void *handle, int32_t error, const char *message) {
    struct messages *seen = (struct messages *)handle;
    seen->count++;
    seen->last_error = (int)error;
    strncpy(seen->last, message, sizeof seen->last - 1);
    seen->last[sizeof seen->last - 1] = '\0';
}

static void test_lifecycle(void) {
    qor_quodra_v5_1_config config;
    qor_quodra_v5_1_config back;
    struct messages seen;
    quodra_v5_1 *model;

    memset(&seen, 0, sizeof seen);
    config.aux_param_2 = 3;
    CHECK(qor_quodra_v5_1_default_config(&config) == 0);
    CHECK(strcmp(config.name, "Default configuration") == 0);
    CHECK(config.aux_param_2 == 3);
    CHECK(strcmp(qor_quodra_v5_1_get_version(), "5.1") == 0);

    model = qor_quodra_v5_1_create(&config, record_message, &seen);
    CHECK(model != NULL);
    CHECK(seen.count == 0);
    CHECK(qor_quodra_v5_1_get_config(model, &back) == 0);
    CHECK(strcmp(back.name, "Default configuration") == 0);
    CHECK(back.divisor_width == 16 && back.aux_param_2 == 3);
    CHECK(qor_quodra_v5_1_destroy(model) == 0);

    config.algorithm_type = QUODRA_ALGORITHM_HIGH_RADIX;
    config.operand_sign = QUODRA_OPERAND_UNSIGNED;
    CHECK(qor_quodra_v5_1_create(&config, record_message, &seen) == NULL);
    CHECK(seen.count == 1 && seen.last_error == 1);
    CHECK(strcmp(seen.last, "Operand sign must be Signed for the High Radix algorithm") == 0);
}

static void test_arrays(void) {
    qor_array_mpz *values = qor_quodra_v5_1_qor_array_mpz_alloc(3);
    qor_array_uint *flags = qor_quodra_v5_1_qor_array_uint_alloc(3);
    mpz_t v;
    uint32_t flag = 0;

    CHECK(values != NULL && flags != NULL);
    if (values == NULL || flags == NULL) {
        return;
    }
    CHECK(values->dim_size == 1 && values->dim[0] == 3 && values->data_size == 3);
    mpz_init_set_si(v, -12345);
    CHECK(qor_quodra_v5_1_qor_array_mpz_set_data(values, v, 2) == 0);
    CHECK(qor_quodra_v5_1_qor_array_mpz_set_data(values, v, 3) == 1);
    mpz_set_ui(v, 0);
    CHECK(qor_quodra_v5_1_qor_array_mpz_get_data(values, v, 2) == 0);
    CHECK(mpz_cmp_si(v, -12345) == 0);
    CHECK(qor_quodra_v5_1_qor_array_uint_set_data(flags, 2u, 1) == 0);
    CHECK(qor_quodra_v5_1_qor_array_uint_get_data(flags, &flag, 1) == 0 && flag == 2u);
    mpz_clear(v);
    CHECK(qor_quodra_v5_1_qor_array_mpz_destroy(values) == NULL);
    CHECK(qor_quodra_v5_1_qor_array_uint_destroy(flags) == NULL);
}

/* Signed 8-bit remainder mode: -7 / 2 comes back as the patterns 253 and 255. */
static void test_division(void) {
    qor_quodra_v5_1_config config;
    quodra_v5_1 *model;
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(1);
    mpz_t v;
    uint32_t flag = 7;

    qor_quodra_v5_1_default_config(&config);
    config.divisor_width = 8;
    config.dividend_width = 8;
    model = qor_quodra_v5_1_create(&config, NULL, NULL);
    CHECK(model != NULL);
    mpz_init_set_si(v, 2);
    qor_quodra_v5_1_qor_array_mpz_set_data(divisor, v, 0);
    mpz_set_si(v, -7);
    qor_quodra_v5_1_qor_array_mpz_set_data(dividend, v, 0);
    CHECK(qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder, div_by_zero, 1) == 0);
    qor_quodra_v5_1_qor_array_mpz_get_data(quotient, v, 0);
    CHECK(mpz_cmp_ui(v, 253) == 0);
    qor_quodra_v5_1_qor_array_mpz_get_data(remainder, v, 0);
    CHECK(mpz_cmp_ui(v, 255) == 0);
    qor_quodra_v5_1_qor_array_uint_get_data(div_by_zero, &flag, 0);
    CHECK(flag == 0);
    CHECK(qor_quodra_v5_1_data_do(NULL, divisor, dividend, quotient, remainder, div_by_zero, 1) == 1);

    mpz_clear(v);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    CHECK(qor_quodra_v5_1_destroy(model) == 0);
}

int main(void) {
    test_lifecycle();
    test_arrays();
    test_division();
    if (failures != 0) {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("c_api_test: all checks passed\n");
    return 0;
}
