// The iterative unit's register formation: the datapath's constants and the
// operand slices, multiplicands and dividend top that the unit forms once per
// sample before its first iteration. The reference run (unit.cpp) and the
// fast path's kernels both start from these registers.
#ifndef QUODRA_ENGINE_HIGH_RADIX_REFERENCE_UNIT_REGISTERS_H
#define QUODRA_ENGINE_HIGH_RADIX_REFERENCE_UNIT_REGISTERS_H

#include <cstdint>

#include "engine/high_radix/reference/unit.h"

namespace high_radix_datapath {

constexpr unsigned digit_bits = 14;    // radix 2^14: bits per quotient digit
constexpr unsigned slice_bits = 16;    // width of a remainder / divisor slice
constexpr unsigned residue_bits = 19;  // residue kept by each slice
constexpr unsigned carry_weight = 17;  // weight of a delayed carry in a slice sum
constexpr unsigned low_keep_bits = 18; // bits of b kept from one iteration to the next
constexpr int64_t residue_mask = (int64_t{1} << residue_bits) - 1;

// A width-bit pattern read as a two's complement number. The sign bit is
// subtracted as a 0/1 flag rather than tested: the top slices of random
// operands take either sign, and a mispredicted branch costs more than the
// arithmetic.
inline int32_t as_signed(uint32_t pattern, unsigned width) {
    const int64_t sign_set = (pattern >> (width - 1)) != 0;
    return static_cast<int32_t>(int64_t{pattern} - (sign_set << width));
}

// w and the top multiplicand from the dividend slices already in prep.
inline void prepare_dividend_top(const high_radix_unit_shape &shape,
                                 high_radix_unit_preparation &prep) {
    const uint32_t top = shape.slices - 1;
    // X fits its working width, so XH fits its slices and its top is the
    // top slice read as signed.
    prep.dividend_top = as_signed(prep.dividend_slice[top], slice_bits);
    prep.dividend_top_multiplicand = as_signed(2 * prep.dividend_slice[top], slice_bits + 1);
}

// Splits the aligned dividend s = X * 2^(aligned - working) into the unit's
// registers: its high part XH (16-bit slices) sits above the low part XL
// (14-bit digits). `s` reads two's complement fields of s
// (Fields::field(position, length)).
template <class Fields>
void prepare_aligned_dividend(const high_radix_unit_shape &shape, const Fields &s,
                              high_radix_unit_preparation &prep) {
    for (uint32_t t = 0; t < shape.low_digits; ++t) {
        prep.low_digit[t] = s.field(int64_t{digit_bits} * t, digit_bits);
    }
    for (uint32_t k = 0; k < shape.slices; ++k) {
        prep.dividend_slice[k] =
            s.field(int64_t{shape.low_width} + int64_t{slice_bits} * k, slice_bits);
    }
    prepare_dividend_top(shape, prep);
}

// Fields of X * 2^lift read through fields of X that give zeros below bit 0.
template <class Fields> class lifted_fields {
public:
    lifted_fields(const Fields &X, int64_t lift) : X(X), lift(lift) {}
    uint32_t field(int64_t position, uint32_t length) const {
        return X.field(position - lift, length);
    }

private:
    const Fields &X;
    int64_t lift;
};

// The same from X itself (Fields::field takes negative positions, reading
// zeros below bit 0).
template <class Fields>
void prepare_dividend(const high_radix_unit_shape &shape, const Fields &X,
                      high_radix_unit_preparation &prep) {
    const int64_t lift = static_cast<int64_t>(shape.aligned_width) - shape.working_width;
    prepare_aligned_dividend(shape, lifted_fields<Fields>(X, lift), prep);
}

// The multiplicands from the divisor slices u_k already in prep. The top one
// is 17-bit two's complement: M sits just above or just below
// 2^(16 (Ns + 1)), and the unit works with M minus that power.
inline void prepare_multiplicands(uint32_t slices, high_radix_unit_preparation &prep) {
    for (uint32_t k = 0; k < slices; ++k) {
        prep.multiplicand[k] = static_cast<int32_t>(2 * prep.divisor_slice[k]);
    }
    const uint32_t top = slices - 1;
    prep.multiplicand[top] = as_signed(2 * prep.divisor_slice[top], slice_bits + 1);
}

} // namespace high_radix_datapath

#endif
