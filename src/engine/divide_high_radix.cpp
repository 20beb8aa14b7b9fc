// The High Radix divider's sample loop: reads each divisor and dividend,
// flags zero divisors, and writes the signed quotient of the others.
#include "high_radix_sample.h"
#include "quodra_exception.h"
#include "quodra_v5_1.h"
#include "working_integer.h"

int quodra_v5_1::divide_high_radix(qor_array_mpz *divisor, qor_array_mpz *dividend,
                                   qor_array_mpz *quotient, qor_array_mpz * /*remainder*/,
                                   qor_array_uint *div_by_zero, uint32_t count) const {
    high_radix_sample_divider sample(*this);
    // A refused read leaves the previous sample's operand in place.
    working_integer divisor_value;
    working_integer dividend_value;
    for (uint32_t k = 0; k < count; ++k) {
        qor_quodra_v5_1_qor_array_mpz_get_data(divisor, divisor_value, k);
        qor_quodra_v5_1_qor_array_mpz_get_data(dividend, dividend_value, k);
        const high_radix_sample_divider::outcome outcome =
            sample.divide(divisor_value, dividend_value);
        if (outcome == high_radix_sample_divider::outcome::divide_by_zero) {
            // The quotient element keeps whatever it held.
            qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, 1, k);
            continue;
        }
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, 0, k);
        if (outcome == high_radix_sample_divider::outcome::unit_failed) {
            throw QUODRAException("Iterative unit returned error");
        }
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, sample.quotient(), k);
    }
    return 0;
}
