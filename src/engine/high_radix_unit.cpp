#include "high_radix_unit.h"

#include "high_radix_bit_fields.h"
#include "high_radix_digit_string.h"
#include "high_radix_unit_core.h"

namespace {

bool reciprocal_fits_port(mpz_srcptr R) {
    return mpz_cmp_ui(R, 1ul << 17) >= 0 && mpz_cmp_ui(R, (1ul << 18) - 1) <= 0;
}

// The unit's registers from X and M, read from their limbs.
void prepare(const high_radix_unit_shape &shape, mpz_srcptr X, mpz_srcptr M,
             high_radix_unit_preparation &prep) {
    high_radix_core::prepare_dividend(shape, twos_complement_fields(X), prep);
    const twos_complement_fields divisor(M);
    for (uint32_t k = 0; k < shape.slices; ++k) {
        prep.divisor_slice[k] =
            divisor.field(int64_t{high_radix_core::slice_bits} * k, high_radix_core::slice_bits);
    }
    high_radix_core::prepare_multiplicands(shape.slices, prep);
}

} // namespace

high_radix_unit_shape high_radix_unit_shape_of(const quodra_v5_1 &model) {
    return {model.hr_divisor_digits, model.hr_low_digits,    model.hr_iterations,
            model.hr_low_width,      model.hr_aligned_width, model.hr_working_width};
}

bool high_radix_unit_shape_in_bounds(const high_radix_unit_shape &shape) {
    using high_radix_core::digit_bits;
    using high_radix_core::slice_bits;
    return shape.slices >= 1 && shape.slices <= high_radix_max_slices &&
           shape.low_digits <= high_radix_max_low_digits &&
           shape.low_width == digit_bits * shape.low_digits &&
           shape.aligned_width == shape.low_width + slice_bits * shape.slices &&
           shape.aligned_width >= shape.working_width;
}

int high_radix_unit_run(const high_radix_unit_shape &shape, mpz_ptr T, mpz_srcptr R, mpz_srcptr X,
                        mpz_srcptr M, high_radix_unit_trace *trace) {
    if (!high_radix_unit_shape_in_bounds(shape) || !reciprocal_fits_port(R) ||
        !fits_twos_complement(X, shape.working_width) || mpz_sgn(M) <= 0) {
        return 1;
    }
    // Only the registers of the shape are written; a traced run clears the
    // rest first so the observer sees whole records.
    high_radix_unit_preparation prep;
    high_radix_iteration reg;
    if (trace != nullptr) {
        prep = high_radix_unit_preparation{};
        reg = high_radix_iteration{};
    }
    prepare(shape, X, M, prep);
    if (trace != nullptr) trace->prepared(prep);

    high_radix_digit_string digits(T, shape.iterations);
    high_radix_core::iterate_any(shape, prep, static_cast<uint32_t>(mpz_get_ui(R)), reg, digits,
                                 trace);
    digits.finish();
    return 0;
}
