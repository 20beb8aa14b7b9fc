// The iterative unit's iterations as the High Radix fast path runs them:
// the same datapath as the reference run (reference/unit.cpp), computing the
// digits alone with the registers in local variables. The registers are
// prepared as the reference prepares them (reference/unit_registers.h).
// Two kernels: iterate_digits for any slice count, and fixed_slice_unit,
// compiled per slice count with its passes unrolled.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_DIGIT_KERNELS_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_DIGIT_KERNELS_H

#include <cstdint>
#include <utility>

#include "engine/high_radix/reference/unit.h"
#include "engine/high_radix/reference/unit_registers.h"

namespace high_radix_datapath {

// The digits alone, without a trace, with the registers in local variables,
// for any slice count (strings too long to gather take this loop; the usual
// ones take fixed_slice_unit below). A slice's residue and its
// delayed carry enter the next sum only as (L + 8 S) * 2^14, so they are
// kept together as one number W = L + 8 S.
// Each iteration walks the slices from the top down; a slice's residue waits
// in a register until the slice below has produced the carry that joins it.
//
// A slice's upper part reaches the slice above one iteration later, so slice
// k (from 0) of iteration n can reach the top slice, and a digit, only at
// iteration n + (Ns - 1 - k); the slices for which that lies past the last
// iteration K - 1 are skipped: iteration n works on slices
// max(0, Ns - K + n) .. Ns - 1, and every register such a slice reads was
// computed in the iteration before.
template <class Sink>
void iterate_digits(const high_radix_unit_shape &shape, const high_radix_unit_preparation &prep,
                    uint32_t r, Sink &sink) {
    const uint32_t slices = shape.slices;
    const uint32_t top = slices - 1;
    const int64_t r_upper = r >> 1;
    const int64_t r_lowest = r & 1;
    const uint32_t low_digits = shape.low_digits;
    const int64_t unreached = int64_t{slices} - shape.iterations;
    constexpr int64_t carry_scale = int64_t{1} << (carry_weight - digit_bits);

    int64_t held[high_radix_max_slices]; // W = L + 8 S of each slice
    int64_t multiplicand[high_radix_max_slices];
    int64_t low_product = 0;
    // One iteration's low-part product; returns A1.
    auto low_part_carry = [&](uint32_t n) -> int64_t {
        if (low_digits == 0) return 0;
        const int64_t delta = n < low_digits ? prep.low_digit[low_digits - 1 - n] : 0;
        const int64_t kept = low_product & ((int64_t{1} << low_keep_bits) - 1);
        low_product = (kept << digit_bits) + r_upper * 4 * delta + r_lowest * 2 * delta;
        return low_product >> low_keep_bits;
    };

    // Iteration 0 multiplies the dividend's high part by R.
    int64_t E = r_upper * prep.dividend_top_multiplicand + r_lowest * prep.dividend_top;
    int64_t digit = E >> residue_bits; // arithmetic: floor
    int64_t waiting = E & residue_mask;
    multiplicand[top] = prep.multiplicand[top];
    for (uint32_t i = top; i-- > 0;) {
        const int64_t v = prep.dividend_slice[i];
        E = r_upper * 2 * v + r_lowest * v;
        held[i + 1] = waiting + carry_scale * (E >> residue_bits);
        waiting = E & residue_mask;
        multiplicand[i] = prep.multiplicand[i];
    }
    held[0] = waiting + carry_scale * low_part_carry(0);
    sink.append(static_cast<int32_t>(digit));

    for (uint32_t n = 1; n < shape.iterations; ++n) {
        const int64_t low_carry = low_part_carry(n);
        const int64_t lowest = unreached + n;
        const uint32_t first = lowest > 0 ? static_cast<uint32_t>(lowest) : 0;
        E = held[top] * (int64_t{1} << digit_bits) - digit * multiplicand[top];
        const int64_t next_digit = E >> residue_bits;
        waiting = E & residue_mask;
        auto step = [&](uint32_t i) {
            E = held[i] * (int64_t{1} << digit_bits) - digit * multiplicand[i];
            held[i + 1] = waiting + carry_scale * (E >> residue_bits);
            waiting = E & residue_mask;
        };
        uint32_t i = top;
        // Two slices a round: the loop's own bookkeeping is a large part of a
        // step this short.
        for (; i >= first + 2; i -= 2) {
            step(i - 1);
            step(i - 2);
        }
        for (; i > first; --i) step(i - 1);
        // Slice `first` takes A1 when it is slice 0; otherwise no slice below
        // it runs again, and neither does it.
        held[first] = waiting + (first == 0 ? carry_scale * low_carry : 0);
        digit = next_digit;
        sink.append(static_cast<int32_t>(digit));
    }
}

// The digits of a unit whose slice count Ns is known at compile time, written
// to digits[0 .. K-1]. The same datapath as iterate_digits(), walked from
// the bottom slice up: slice k's sum is formed from its own register, then
// its upper part is kept as the carry that the slice above folds into its
// register, so one pass updates every register in place.
//
// Iterations 1 .. K - Ns run every slice; in the later ones only the top
// K - n slices can still reach a digit, and only those run. Units of up to
// `unrolled_slices` slices unroll every pass completely (each tail iteration
// for its own count), so that their registers live in machine registers;
// wider ones keep them in arrays and loop.
template <uint32_t Ns> class fixed_slice_unit {
public:
    static constexpr uint32_t unrolled_slices = 19;
    static constexpr bool unrolled = Ns <= unrolled_slices;

    fixed_slice_unit(const high_radix_unit_shape &shape, const high_radix_unit_preparation &prep,
                     uint32_t r, int32_t *digits)
        : prep(prep), r(r), r_upper(r >> 1), r_lowest(r & 1), low_digits(shape.low_digits),
          iterations(shape.iterations), out(digits) {
#pragma GCC unroll 19
        for (uint32_t k = 0; k < Ns; ++k) multiplicand[k] = prep.multiplicand[k];
    }

    void run() {
        first_iteration();
        const uint32_t full_until = iterations > Ns ? iterations - Ns : 0;
        uint32_t n = 1;
        for (; n <= full_until; ++n) {
            const int64_t delta = n < low_digits ? prep.low_digit[low_digits - 1 - n] : 0;
            later_iteration<0>(low_part_carry(delta));
            out[n] = static_cast<int32_t>(digit);
        }
        if constexpr (unrolled) {
            tail<Ns - 1>(iterations - n);
        } else {
            for (; n < iterations; ++n) {
                later_iteration_from(Ns - (iterations - n), 0);
                out[n] = static_cast<int32_t>(digit);
            }
        }
    }

private:
    static constexpr uint32_t top = Ns - 1;
    static constexpr int64_t carry_scale = int64_t{1} << (carry_weight - digit_bits);

    // The low-part product of an iteration whose low digit is delta (0
    // once they are used up, and for a unit without low digits, whose
    // product then stays 0); returns A1.
    int64_t low_part_carry(int64_t delta) {
        const int64_t kept = low_product & ((int64_t{1} << low_keep_bits) - 1);
        // floor(R / 2) * 4 delta + (R mod 2) * 2 delta is 2 R delta.
        low_product = (kept << digit_bits) + 2 * r * delta;
        return low_product >> low_keep_bits;
    }

    // One slice's sum E settled: its register becomes W = L + 8 * (the
    // carry from below); returns its upper part H, the carry for above.
    int64_t settle(uint32_t k, int64_t E, int64_t carry_below) {
        held[k] = (E & residue_mask) + carry_scale * carry_below;
        return E >> residue_bits; // arithmetic: floor
    }

    // Iteration 0 multiplies the dividend's high part by R.
    void first_iteration() {
        int64_t carry = low_part_carry(low_digits >= 1 ? prep.low_digit[low_digits - 1] : 0);
#pragma GCC unroll 19
        for (uint32_t k = 0; k < top; ++k) {
            // floor(R / 2) * 2 v + (R mod 2) * v is R v.
            carry = settle(k, r * int64_t{prep.dividend_slice[k]}, carry);
        }
        const int64_t E = r_upper * prep.dividend_top_multiplicand + r_lowest * prep.dividend_top;
        digit = settle(top, E, carry);
        out[0] = static_cast<int32_t>(digit);
    }

    int64_t slice_sum(uint32_t k) const {
        return held[k] * (int64_t{1} << digit_bits) - digit * multiplicand[k];
    }

    // Slices `from` .. Ns-1 of a later iteration, slice `from` taking
    // `carry` from below.
    template <uint32_t From> void later_iteration(int64_t carry) {
        if constexpr (unrolled) {
#pragma GCC unroll 19
            for (uint32_t k = From; k < Ns; ++k) carry = settle(k, slice_sum(k), carry);
            digit = carry;
        } else {
            later_iteration_from(From, carry);
        }
    }

    void later_iteration_from(uint32_t from, int64_t carry) {
        for (uint32_t k = from; k < Ns; ++k) carry = settle(k, slice_sum(k), carry);
        digit = carry;
    }

    // Iterations whose top M slices still reach a digit, for M = `remaining`
    // down to 1; the bottom one's register is not read again.
    template <uint32_t M> void tail(uint32_t remaining) {
        if constexpr (M > 0) {
            if (M <= remaining) {
                later_iteration<Ns - M>(0);
                out[iterations - M] = static_cast<int32_t>(digit);
            }
            tail<M - 1>(remaining);
        }
    }

    const high_radix_unit_preparation &prep;
    const int64_t r;
    const int64_t r_upper;
    const int64_t r_lowest;
    const uint32_t low_digits;
    const uint32_t iterations;
    int32_t *out;
    int64_t low_product = 0;
    int64_t digit = 0;
    int64_t held[Ns];         // W = L + 8 S of each slice
    int64_t multiplicand[Ns]; // a_k
};

// The K digits of a shape within the register files into digits[0 .. K-1].
// The fast path's sample steps are compiled per slice count and call
// gather_digits<Ns> directly; digit_kernel_for picks the kernel of a slice
// count known only at run time.
using digit_kernel = void (*)(const high_radix_unit_shape &, const high_radix_unit_preparation &,
                              uint32_t, int32_t *);

template <uint32_t Ns>
void gather_digits(const high_radix_unit_shape &shape, const high_radix_unit_preparation &prep,
                   uint32_t r, int32_t *digits) {
    fixed_slice_unit<Ns>(shape, prep, r, digits).run();
}

template <uint32_t... Ns>
digit_kernel digit_kernel_among(uint32_t slices, std::integer_sequence<uint32_t, Ns...>) {
    constexpr digit_kernel kernels[] = {&gather_digits<Ns + 1>...};
    return slices >= 1 && slices <= sizeof...(Ns) ? kernels[slices - 1] : nullptr;
}

// Null for a slice count outside 1 .. high_radix_max_slices.
inline digit_kernel digit_kernel_for(uint32_t slices) {
    return digit_kernel_among(slices, std::make_integer_sequence<uint32_t, high_radix_max_slices>{});
}

} // namespace high_radix_datapath

#endif
