// The iterative unit's reference run: every register of every iteration
// formed as the datapath forms it, observable through a trace, with the
// digits assembled on GNU MP integers. It is also the model's own
// iterative_unit operation.
#include "engine/high_radix/reference/unit.h"

#include "engine/common/twos_complement_fields.h"
#include "engine/high_radix/reference/digit_string.h"
#include "engine/high_radix/reference/unit_registers.h"

namespace {

using namespace high_radix_datapath;

// The low-part product: b = 2^14 * (b mod 2^18) + 2 R delta, formed from the
// 17-bit upper part of R and its lowest bit. A1 carries into slice 1.
void step_low_part(high_radix_iteration &reg, const high_radix_unit_preparation &prep,
                   uint32_t low_digits, uint32_t r_upper, uint32_t r_lowest) {
    const uint32_t n = reg.n;
    reg.low_digit_in = n < low_digits ? prep.low_digit[low_digits - 1 - n] : 0;
    const int64_t kept = reg.low_product & ((int64_t{1} << low_keep_bits) - 1);
    const int64_t delta = reg.low_digit_in;
    reg.low_product =
        (kept << digit_bits) + int64_t{r_upper} * 4 * delta + int64_t{r_lowest} * 2 * delta;
    reg.low_carry = static_cast<int32_t>(reg.low_product >> low_keep_bits);
}

// Iteration 0 multiplies the dividend's high part by R, slice by slice.
void first_slice_sums(high_radix_iteration &reg, const high_radix_unit_preparation &prep,
                      uint32_t slices, uint32_t r_upper, uint32_t r_lowest) {
    const uint32_t top = slices - 1;
    for (uint32_t k = 0; k < top; ++k) {
        const int64_t v = prep.dividend_slice[k];
        reg.slice_sum[k] = int64_t{r_upper} * 2 * v + int64_t{r_lowest} * v;
    }
    reg.slice_sum[top] =
        int64_t{r_upper} * prep.dividend_top_multiplicand + int64_t{r_lowest} * prep.dividend_top;
}

// Later iterations: residue shifted up a digit, plus the delayed carry, minus
// the previous digit times the slice's multiplicand.
void next_slice_sums(high_radix_iteration &reg, const high_radix_unit_preparation &prep,
                     uint32_t slices) {
    const int64_t q = reg.digit;
    for (uint32_t k = 0; k < slices; ++k) {
        reg.slice_sum[k] = int64_t{reg.slice_residue[k]} * (int64_t{1} << digit_bits) +
                           int64_t{reg.slice_carry[k]} * (int64_t{1} << carry_weight) -
                           q * prep.multiplicand[k];
    }
}

// Splits each sum into upper part (floor(E / 2^19), an arithmetic shift)
// and residue (E mod 2^19), passes
// carries one slice up for the next iteration and takes the top slice's upper
// part as the digit. With every register 32 bits, |E| < 2^50, so each upper
// part fits 32 bits.
void settle_slices(high_radix_iteration &reg, uint32_t slices) {
    const uint32_t top = slices - 1;
    for (uint32_t k = 0; k < top; ++k) {
        const int32_t upper = static_cast<int32_t>(reg.slice_sum[k] >> residue_bits);
        reg.slice_upper[k] = upper;
        reg.slice_residue[k] = static_cast<int32_t>(reg.slice_sum[k] & residue_mask);
        reg.slice_carry[k + 1] = upper;
    }
    reg.slice_upper[top] = static_cast<int32_t>(reg.slice_sum[top] >> residue_bits);
    reg.slice_residue[top] = static_cast<int32_t>(reg.slice_sum[top] & residue_mask);
    reg.slice_carry[0] = reg.low_carry;
    reg.digit = reg.slice_upper[top];
}

// The K iterations, register by register; each digit goes to the string.
void iterate(const high_radix_unit_shape &shape, const high_radix_unit_preparation &prep,
             uint32_t r, high_radix_iteration &reg, high_radix_digit_string &digits,
             high_radix_unit_trace *trace) {
    const uint32_t slices = shape.slices;
    // The 18-bit multiplicand R is applied as floor(R / 2) and its lowest bit.
    const uint32_t r_upper = r >> 1;
    const uint32_t r_lowest = r & 1;
    reg.low_digit_in = 0;
    reg.low_product = 0; // b = 0 and A1 = 0 before iteration 0
    reg.low_carry = 0;
    for (uint32_t n = 0; n < shape.iterations; ++n) {
        reg.n = n;
        if (shape.low_digits >= 1) step_low_part(reg, prep, shape.low_digits, r_upper, r_lowest);
        if (n == 0) {
            first_slice_sums(reg, prep, slices, r_upper, r_lowest);
        } else {
            next_slice_sums(reg, prep, slices);
        }
        settle_slices(reg, slices);
        digits.append(reg.digit);
        if (trace != nullptr) trace->iterated(reg);
    }
}

bool reciprocal_fits_port(mpz_srcptr R) {
    return mpz_cmp_ui(R, 1ul << 17) >= 0 && mpz_cmp_ui(R, (1ul << 18) - 1) <= 0;
}

// The unit's registers from X and M, read from their limbs.
void prepare(const high_radix_unit_shape &shape, mpz_srcptr X, mpz_srcptr M,
             high_radix_unit_preparation &prep) {
    high_radix_datapath::prepare_dividend(shape, twos_complement_fields(X), prep);
    const twos_complement_fields divisor(M);
    for (uint32_t k = 0; k < shape.slices; ++k) {
        prep.divisor_slice[k] =
            divisor.field(int64_t{high_radix_datapath::slice_bits} * k, high_radix_datapath::slice_bits);
    }
    high_radix_datapath::prepare_multiplicands(shape.slices, prep);
}

} // namespace

high_radix_unit_shape high_radix_unit_shape_of(const quodra_v5_1 &model) {
    return {model.hr_divisor_digits, model.hr_low_digits,    model.hr_iterations,
            model.hr_low_width,      model.hr_aligned_width, model.hr_working_width};
}

bool high_radix_unit_shape_in_bounds(const high_radix_unit_shape &shape) {
    using high_radix_datapath::digit_bits;
    using high_radix_datapath::slice_bits;
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
    iterate(shape, prep, static_cast<uint32_t>(mpz_get_ui(R)), reg, digits, trace);
    digits.finish();
    return 0;
}

// The model's iterative unit: one sample of the radix-2^14 slice datapath.
int quodra_v5_1::iterative_unit(mpz_t T, const mpz_t R, const mpz_t X, const mpz_t M) const {
    return high_radix_unit_run(high_radix_unit_shape_of(*this), T, R, X, M, nullptr);
}
