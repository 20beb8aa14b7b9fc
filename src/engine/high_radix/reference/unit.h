// The High Radix iterative unit: a radix-2^14 digit recurrence on prescaled
// operands, modelled as its datapath of multiply-add slices. The partial
// remainder lives in 16-bit slices, each keeping a 19-bit residue and handing
// its upper part to the slice above one iteration later; the dividend's low
// part enters 14 bits per iteration through a separate product with R.
#ifndef QUODRA_ENGINE_HIGH_RADIX_UNIT_H
#define QUODRA_ENGINE_HIGH_RADIX_UNIT_H

#include <gmp.h>

#include <cstdint>

#include "model/quodra_v5_1.h"

constexpr uint32_t high_radix_max_slices = quodra_v5_1::hr_max_divisor_digits;
constexpr uint32_t high_radix_max_low_digits = quodra_v5_1::hr_max_low_digits;

// The unit's dimensions, taken from the model's derived parameters.
struct high_radix_unit_shape {
    uint32_t slices;        // Ns: 16-bit slices of the partial remainder
    uint32_t low_digits;    // h: 14-bit digits of the dividend's low part
    uint32_t iterations;    // K: iterations, one quotient digit each
    uint32_t low_width;     // 14 * h
    uint32_t aligned_width; // 14 * h + 16 * Ns
    uint32_t working_width; // width of the aligned dividend X
};

high_radix_unit_shape high_radix_unit_shape_of(const quodra_v5_1 &model);

// True when the shape fits the unit's fixed register files and is
// self-consistent; the unit refuses any other shape with status 1.
bool high_radix_unit_shape_in_bounds(const high_radix_unit_shape &shape);

// Operand slices formed once per call. Index k - 1 holds slice k.
struct high_radix_unit_preparation {
    uint32_t low_digit[high_radix_max_low_digits];  // e_t, t = 0 .. h-1
    uint32_t dividend_slice[high_radix_max_slices]; // v_k of the high part XH
    int32_t dividend_top;                           // w, the signed top of XH
    int32_t dividend_top_multiplicand;              // 2 v_Ns as 17-bit two's complement
    uint32_t divisor_slice[high_radix_max_slices];  // u_k of M
    int32_t multiplicand[high_radix_max_slices];    // a_k
};

// Register values at the end of one iteration.
struct high_radix_iteration {
    uint32_t n;
    uint32_t low_digit_in;                        // delta, the low digit entering
    int64_t low_product;                          // b
    int32_t low_carry;                            // A1 = floor(b / 2^18)
    int64_t slice_sum[high_radix_max_slices];     // E_k
    int32_t slice_upper[high_radix_max_slices];   // H_k = floor(E_k / 2^19)
    int32_t slice_residue[high_radix_max_slices]; // L_k = E_k mod 2^19
    int32_t slice_carry[high_radix_max_slices];   // S_k handed to iteration n + 1
    int32_t digit;                                // q_n = H_Ns
};

// Observer of the unit's registers, for tests and diagnostics.
class high_radix_unit_trace {
public:
    virtual ~high_radix_unit_trace() = default;
    virtual void prepared(const high_radix_unit_preparation &) {}
    virtual void iterated(const high_radix_iteration &) {}
};

// Runs the unit: T = T * 2^(14K) + the K signed digits. Returns 0, or 1
// without touching T when the shape exceeds the register files or an input
// does not fit its port (R outside [2^17, 2^18), X wider than the working
// width, M not positive). trace may be null.
int high_radix_unit_run(const high_radix_unit_shape &shape, mpz_ptr T, mpz_srcptr R, mpz_srcptr X,
                        mpz_srcptr M, high_radix_unit_trace *trace);

#endif
