/* Lifecycle of a model: configure, create, divide one sample, read it back,
   release everything. Built as quodra_example. */
#include <stdio.h>
#include "quodra.h"

static void on_message(void *handle, int32_t error, const char *message) {
    (void)handle;
    fprintf(stderr, "%s: %s\n", error ? "error" : "warning", message);
}

int main(void) {
    qor_quodra_v5_1_config config;
    quodra_v5_1 *model;
    qor_array_mpz *divisor = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *dividend = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *quotient = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_mpz *remainder = qor_quodra_v5_1_qor_array_mpz_alloc(1);
    qor_array_uint *div_by_zero = qor_quodra_v5_1_qor_array_uint_alloc(1);
    mpz_t v;

    qor_quodra_v5_1_default_config(&config);       /* Radix-2, 16/16 */
    config.operand_sign = QUODRA_OPERAND_SIGNED;
    config.remainder_type = QUODRA_OUTPUT_REMAINDER; /* quotient and remainder */
    config.dividend_width = 8;
    config.divisor_width = 8;
    model = qor_quodra_v5_1_create(&config, on_message, NULL);
    if (model == NULL) return 1;

    mpz_init_set_si(v, 2);
    qor_quodra_v5_1_qor_array_mpz_set_data(divisor, v, 0);   /* divisor first */
    mpz_set_si(v, -7);
    qor_quodra_v5_1_qor_array_mpz_set_data(dividend, v, 0);
    if (qor_quodra_v5_1_data_do(model, divisor, dividend, quotient, remainder,
                                div_by_zero, 1) == 0) {
        qor_quodra_v5_1_qor_array_mpz_get_data(quotient, v, 0);
        gmp_printf("quotient pattern %Zd\n", v);            /* 253 = -3 in 8 bits */
    }

    mpz_clear(v);
    qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
    qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    qor_quodra_v5_1_qor_array_mpz_destroy(quotient);
    qor_quodra_v5_1_qor_array_mpz_destroy(remainder);
    qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero);
    qor_quodra_v5_1_destroy(model);
    return 0;
}
