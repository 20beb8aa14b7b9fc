#include "high_radix_unit.h"

#include "high_radix_bit_fields.h"
#include "high_radix_digit_string.h"

namespace {

constexpr unsigned digit_bits = 14;    // radix 2^14: bits per quotient digit
constexpr unsigned slice_bits = 16;    // width of a remainder / divisor slice
constexpr unsigned residue_bits = 19;  // residue kept by each slice
constexpr unsigned carry_weight = 17;  // weight of a delayed carry in a slice sum
constexpr unsigned low_keep_bits = 18; // bits of b kept from one iteration to the next
constexpr int64_t residue_modulus = int64_t{1} << residue_bits;

// A width-bit pattern read as a two's complement number.
int32_t as_signed(uint32_t pattern, unsigned width) {
    const int64_t value = pattern;
    return static_cast<int32_t>(pattern >> (width - 1) ? value - (int64_t{1} << width) : value);
}

bool reciprocal_fits_port(mpz_srcptr R) {
    return mpz_cmp_ui(R, 1ul << 17) >= 0 && mpz_cmp_ui(R, (1ul << 18) - 1) <= 0;
}

// Splits the operands into the unit's registers. The aligned dividend is
// s = X * 2^(aligned - working); its high part XH (16-bit slices) sits above
// the low part XL (14-bit digits). Fields are read from X directly.
void prepare(const high_radix_unit_shape &shape, mpz_srcptr X, mpz_srcptr M,
             high_radix_unit_preparation &prep) {
    const twos_complement_fields dividend(X);
    const twos_complement_fields divisor(M);
    const int64_t lift = static_cast<int64_t>(shape.aligned_width) - shape.working_width;

    for (uint32_t t = 0; t < shape.low_digits; ++t) {
        prep.low_digit[t] = dividend.field(int64_t{digit_bits} * t - lift, digit_bits);
    }
    for (uint32_t k = 0; k < shape.slices; ++k) {
        const int64_t position = int64_t{shape.low_width} + int64_t{slice_bits} * k - lift;
        prep.dividend_slice[k] = dividend.field(position, slice_bits);
        prep.divisor_slice[k] = divisor.field(int64_t{slice_bits} * k, slice_bits);
        prep.multiplicand[k] = static_cast<int32_t>(2 * prep.divisor_slice[k]);
    }
    const uint32_t top = shape.slices - 1;
    // X fits its working width, so XH fits its slices and its top is the
    // top slice read as signed.
    prep.dividend_top = as_signed(prep.dividend_slice[top], slice_bits);
    prep.dividend_top_multiplicand = as_signed(2 * prep.dividend_slice[top], slice_bits + 1);
    // The top multiplicand is 17-bit two's complement: M sits just above or
    // just below 2^(16 (Ns + 1)), and the unit works with M minus that power.
    prep.multiplicand[top] = as_signed(2 * prep.divisor_slice[top], slice_bits + 1);
}

// The low-part product: b = 2^14 * (b mod 2^18) + 2 R delta, formed from the
// 17-bit upper part of R and its lowest bit. A1 carries into slice 1.
void step_low_part(high_radix_iteration &reg, const high_radix_unit_preparation &prep,
                   const high_radix_unit_shape &shape, uint32_t r_upper, uint32_t r_lowest) {
    const uint32_t n = reg.n;
    reg.low_digit_in = n < shape.low_digits ? prep.low_digit[shape.low_digits - 1 - n] : 0;
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
        reg.slice_sum[k] = (int64_t{reg.slice_residue[k]} << digit_bits) +
                           int64_t{reg.slice_carry[k]} * (int64_t{1} << carry_weight) -
                           q * prep.multiplicand[k];
    }
}

// Splits each sum into upper part and residue, passes carries one slice up
// for the next iteration and takes the top slice's upper part as the digit.
// With every register 32 bits, |E| < 2^50, so each upper part fits 32 bits.
void settle_slices(high_radix_iteration &reg, uint32_t slices) {
    for (uint32_t k = 0; k < slices; ++k) {
        const int64_t upper = floor_shift(reg.slice_sum[k], residue_bits);
        reg.slice_upper[k] = static_cast<int32_t>(upper);
        reg.slice_residue[k] = static_cast<int32_t>(reg.slice_sum[k] - upper * residue_modulus);
    }
    reg.slice_carry[0] = reg.low_carry;
    for (uint32_t k = 1; k < slices; ++k) reg.slice_carry[k] = reg.slice_upper[k - 1];
    reg.digit = reg.slice_upper[slices - 1];
}

} // namespace

high_radix_unit_shape high_radix_unit_shape_of(const quodra_v5_1 &model) {
    return {model.hr_divisor_digits, model.hr_low_digits,    model.hr_iterations,
            model.hr_low_width,      model.hr_aligned_width, model.hr_working_width};
}

bool high_radix_unit_shape_in_bounds(const high_radix_unit_shape &shape) {
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

    // The 18-bit multiplicand R is applied as floor(R / 2) and its lowest bit.
    const uint32_t r = static_cast<uint32_t>(mpz_get_ui(R));
    const uint32_t r_upper = r >> 1;
    const uint32_t r_lowest = r & 1;

    high_radix_digit_string digits(T, shape.iterations);
    reg.low_digit_in = 0;
    reg.low_product = 0; // b = 0 and A1 = 0 before iteration 0
    reg.low_carry = 0;
    for (uint32_t n = 0; n < shape.iterations; ++n) {
        reg.n = n;
        if (shape.low_digits >= 1) step_low_part(reg, prep, shape, r_upper, r_lowest);
        if (n == 0) {
            first_slice_sums(reg, prep, shape.slices, r_upper, r_lowest);
        } else {
            next_slice_sums(reg, prep, shape.slices);
        }
        settle_slices(reg, shape.slices);
        digits.append(reg.digit);
        if (trace != nullptr) trace->iterated(reg);
    }
    digits.finish();
    return 0;
}
