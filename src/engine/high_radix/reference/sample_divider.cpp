#include "engine/high_radix/reference/sample_divider.h"

high_radix_sample_divider::high_radix_sample_divider(const quodra_v5_1 &model) : model(model) {}

high_radix_sample_divider::outcome
high_radix_sample_divider::divide(mpz_ptr divisor, mpz_ptr dividend, high_radix_unit_trace *trace) {
    const qor_quodra_v5_1_config &config = model.config;
    reduce_to_port_width(divisor, config.divisor_width, scratch);
    if (mpz_sgn(divisor) == 0) return outcome::divide_by_zero;
    reduce_to_port_width(dividend, config.dividend_width, scratch);

    // A non-zero divisor fits its port only when the port is at least one
    // bit wide, and |D| <= 2^(width - 1) puts its leading one inside it.
    const uint32_t width = static_cast<uint32_t>(config.divisor_width);
    negative = mpz_sgn(divisor) < 0;
    mpz_abs(normalised, divisor);
    shift = normalisation_shift(normalised, width);
    mpz_mul_2exp(normalised, normalised, shift);

    divisor_fraction_bits = divisor_fraction(normalised, width, scratch);
    position = locate_in_reciprocal_table(divisor_fraction_bits);
    reciprocal = interpolated_reciprocal(position);

    scale_divisor(scaled, reciprocal, normalised, model.hr_divisor_pad);
    align_dividend(aligned, dividend, shift, model.hr_product_width - model.hr_working_width);

    mpz_set_ui(digits, 0);
    if (run_unit(trace) != 0) return outcome::unit_failed;

    // The shift equals hr_quotient_pad + 1: T carries that many bits below
    // the quotient's last fraction bit.
    const uint32_t drop = model.hr_quotient_digits_width -
                          static_cast<uint32_t>(config.fractional_width) -
                          static_cast<uint32_t>(config.dividend_width) - 1;
    round_digit_string(result, digits, negative, model.hr_quotient_pad, drop, scratch);
    return outcome::quotient_ready;
}

int high_radix_sample_divider::run_unit(high_radix_unit_trace *trace) {
    mpz_set_ui(reciprocal_value, reciprocal);
    if (trace == nullptr) {
        return model.iterative_unit(digits, reciprocal_value, aligned, scaled);
    }
    return high_radix_unit_run(high_radix_unit_shape_of(model), digits, reciprocal_value, aligned,
                               scaled, trace);
}
