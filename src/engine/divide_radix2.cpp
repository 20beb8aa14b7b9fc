// Radix-2 fractional divider: a bit-serial non-restoring divider, one
// iteration per quotient bit. Each iteration shifts the partial remainder
// left, brings in the next dividend bit (zeros once the dividend is used up)
// and adds or subtracts the divisor according to the sign the partial
// remainder had before the shift; the quotient bit is 1 when the result is
// not negative. The partial remainder is never corrected at the end. The
// loop runs in machine words when its registers fit; otherwise the register
// comes from the loop's closed form, which tests check against the loop.
#include <climits>
#include <cstdint>
#include <gmp.h>

#include "quodra_v5_1.h"
#include "radix2_datapath.h"
#include "remainder_division.h"
#include "working_integer.h"

namespace {

// Keeps a copy of P after the shift so the hook sees both stages at once.
class hook_trace {
public:
    hook_trace(radix2_trace_hook hook, void *context) : hook(hook), context(context) {}
    void shifted(mpz_srcptr p) { mpz_set(after_shift, p); }
    void updated(uint64_t j, bool was_negative, mpz_srcptr p, bool bit_set) {
        if (hook != nullptr) {
            hook(context, j, was_negative, after_shift, p, bit_set);
        }
    }

private:
    radix2_trace_hook hook;
    void *context;
    working_integer after_shift;
};

// Runs the n iterations for one sample: Q receives the quotient register,
// P ends holding the uncorrected partial remainder. Dividend bits enter
// from bit W - 1 down to bit 0; bits of N at or above W are never looked at.
template <class Trace>
void run_bit_serial(mpz_ptr q, mpz_ptr p, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                    uint64_t iterations, Trace &trace) {
    mpz_set_ui(p, 0);
    mpz_set_ui(q, 0);
    for (uint64_t j = 0; j < iterations; ++j) {
        const bool was_negative = mpz_sgn(p) < 0;
        mpz_mul_2exp(p, p, 1);
        if (j < dividend_bits && mpz_tstbit(n, dividend_bits - 1 - j) != 0) {
            mpz_add_ui(p, p, 1);
        }
        trace.shifted(p);
        if (was_negative) {
            mpz_add(p, p, d);
        } else {
            mpz_sub(p, p, d);
        }
        const bool bit_set = mpz_sgn(p) >= 0;
        if (bit_set) {
            mpz_setbit(q, iterations - 1 - j);
        }
        trace.updated(j, was_negative, p, bit_set);
    }
}

// Machine-word registers. The loop below is the one above with P and Q in
// words instead of GNU MP integers; it is taken only when they fit. With a
// divisor D in (0, 2^(b-2)) the partial remainder stays in [-D, D) after
// every add or subtract and in [-2D, 2D) after the shift, so it fits a
// signed b-bit word; at most b iterations keep Q within an unsigned one.
template <class Unsigned> struct word_register;

template <> struct word_register<uint64_t> {
    using signed_type = int64_t;
    static constexpr unsigned bits = 64;
};

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 uint128_register;
__extension__ typedef __int128 int128_register;

template <> struct word_register<uint128_register> {
    using signed_type = int128_register;
    static constexpr unsigned bits = 128;
};
#endif

// Words need GNU MP limbs and unsigned longs of exactly 64 bits.
constexpr bool word_registers_available =
    GMP_NUMB_BITS == 64 && GMP_NAIL_BITS == 0 && ULONG_MAX == UINT64_MAX;

// One iteration; Q collects its bits from the top down by shifting them in.
template <class Signed, class Unsigned>
inline void word_iteration(Signed &p, Unsigned &q, Signed divisor, Signed dividend_bit) {
    const bool was_negative = p < 0;
    p = p * 2 + dividend_bit;
    p += was_negative ? divisor : -divisor;
    q = (q << 1) | Unsigned{p >= 0 ? 1u : 0u};
}

// `dividend` holds the low bits of N in two's complement.
template <class Unsigned>
Unsigned run_bit_serial_word(Unsigned d, Unsigned dividend, uint64_t dividend_bits,
                             uint64_t iterations) {
    using Signed = typename word_register<Unsigned>::signed_type;
    const auto divisor = static_cast<Signed>(d);
    Signed p = 0;
    Unsigned q = 0;
    uint64_t j = 0;
    for (; j < dividend_bits; ++j) {
        const auto bit = static_cast<Signed>((dividend >> (dividend_bits - 1 - j)) & 1u);
        word_iteration(p, q, divisor, bit);
    }
    for (; j < iterations; ++j) {
        word_iteration(p, q, divisor, Signed{0});
    }
    return q;
}

// The low bits of an integer as a two's-complement word.
template <class Unsigned> Unsigned low_bits_of(mpz_srcptr value) {
    Unsigned magnitude = 0;
    for (unsigned limb = 0; limb * 64 < word_register<Unsigned>::bits; ++limb) {
        magnitude |= static_cast<Unsigned>(mpz_getlimbn(value, limb)) << (64 * limb);
    }
    return mpz_sgn(value) < 0 ? Unsigned{0} - magnitude : magnitude;
}

template <class Unsigned> void set_from_word(mpz_ptr target, Unsigned value) {
    if constexpr (word_register<Unsigned>::bits > 64) {
        mpz_set_ui(target, static_cast<unsigned long>(value >> 64));
        mpz_mul_2exp(target, target, 64);
        mpz_add_ui(target, target, static_cast<unsigned long>(value & ~uint64_t{0}));
    } else {
        mpz_set_ui(target, static_cast<unsigned long>(value));
    }
}

template <class Unsigned> bool registers_fit(size_t divisor_bits, uint64_t iterations) {
    return iterations <= word_register<Unsigned>::bits &&
           divisor_bits <= word_register<Unsigned>::bits - 2;
}

template <class Unsigned>
void run_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                  uint64_t iterations) {
    set_from_word(q, run_bit_serial_word(low_bits_of<Unsigned>(d), low_bits_of<Unsigned>(n),
                                         dividend_bits, iterations));
}

// Runs one sample's loop in the narrowest words that hold its registers;
// false, with Q untouched, when none does.
bool try_bit_serial_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                             uint64_t iterations) {
    if (!word_registers_available || mpz_sgn(d) <= 0) {
        return false;
    }
    const size_t divisor_bits = mpz_sizeinbase(d, 2);
    if (registers_fit<uint64_t>(divisor_bits, iterations)) {
        run_in_words<uint64_t>(q, d, n, dividend_bits, iterations);
        return true;
    }
#if defined(__SIZEOF_INT128__)
    if (registers_fit<uint128_register>(divisor_bits, iterations)) {
        run_in_words<uint128_register>(q, d, n, dividend_bits, iterations);
        return true;
    }
#endif
    return false;
}

// Beyond machine words the register comes from the loop's closed form. The
// loop is a non-restoring divider of the n-bit value X = (N mod 2^W) * 2^(n-W):
// with D > 0 its partial remainder is the restoring remainder of the bits
// entered so far, minus D exactly when the quotient bit is 0, so the register
// is floor(X / D). With D <= 0 the partial remainder never goes negative and
// every bit is set. One division replaces n additions of a possibly wide
// divisor, so the cost no longer grows with the divisor's width times n.
void closed_form_register(mpz_ptr q, mpz_ptr scratch, mpz_srcptr d, mpz_srcptr n,
                          uint64_t dividend_bits, uint64_t iterations) {
    if (mpz_sgn(d) <= 0) {
        mpz_set_ui(q, 0);
        mpz_setbit(q, iterations);
        mpz_sub_ui(q, q, 1);
        return;
    }
    // Bits of N at or above W never enter; a negative N enters as its
    // two's-complement bits, which floor reduction gives.
    mpz_fdiv_r_2exp(scratch, n, dividend_bits);
    mpz_mul_2exp(scratch, scratch, iterations - dividend_bits);
    mpz_fdiv_q(q, scratch, d);
}

// Signed layout: the integer part I (upper bits) as a W-bit two's-complement
// field, shifted up by F, plus the fraction field G' = F-bit two's complement
// of a signed fraction with F - 1 fraction bits. Both take the result's sign.
void recombine_signed(mpz_ptr q, mpz_ptr g, mpz_ptr scratch, bool negative,
                      mp_bitcnt_t dividend_width, mp_bitcnt_t fractional_width) {
    mpz_tdiv_r_2exp(g, q, fractional_width);
    mpz_tdiv_q_2exp(q, q, fractional_width);
    apply_sign_in_field(q, negative, dividend_width, scratch);
    mpz_mul_2exp(q, q, fractional_width);
    mpz_tdiv_q_2exp(g, g, 1);
    apply_sign_in_field(g, negative, fractional_width, scratch);
    mpz_add(q, q, g);
}

// The working values of one call.
struct radix2_registers {
    working_integer divisor;
    working_integer dividend;
    working_integer quotient;
    working_integer fraction;
    working_integer scratch;
};


} // namespace

// The bit-serial loop of one sample with every iteration reported to `hook`.
void radix2_bit_serial_traced(mpz_ptr q, mpz_ptr p, mpz_srcptr d, mpz_srcptr n,
                              uint64_t dividend_bits, uint64_t iterations, radix2_trace_hook hook,
                              void *context) {
    hook_trace trace(hook, context);
    run_bit_serial(q, p, d, n, dividend_bits, iterations, trace);
}

void radix2_closed_form(mpz_ptr q, mpz_ptr scratch, mpz_srcptr d, mpz_srcptr n,
                        uint64_t dividend_bits, uint64_t iterations) {
    closed_form_register(q, scratch, d, n, dividend_bits, iterations);
}

// The word form of the loop, for checking it against the GNU MP form.
bool radix2_bit_serial_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                                uint64_t iterations) {
    return try_bit_serial_in_words(q, d, n, dividend_bits, iterations);
}

int quodra_v5_1::divide_radix2(qor_array_mpz *divisor, qor_array_mpz *dividend,
                               qor_array_mpz *quotient, qor_array_mpz * /*remainder*/,
                               qor_array_uint *div_by_zero, uint32_t count) const {
    // require_radix2_widths has made every width used here non-negative and
    // W + F representable.
    const bool signed_operands = config.operand_sign == QUODRA_OPERAND_SIGNED;
    const auto dividend_bits = static_cast<uint64_t>(config.dividend_width);
    const bool fractional_output = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL;
    const auto fraction_bits =
        (fractional_output || signed_operands) ? static_cast<uint64_t>(config.fractional_width) : 0;
    const uint64_t iterations = fractional_output ? dividend_bits + fraction_bits : dividend_bits;

    radix2_registers r;
    for (uint32_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_get_data(divisor, r.divisor, i);
        qor_quodra_v5_1_qor_array_mpz_get_data(dividend, r.dividend, i);
        // A zero divisor is flagged but still runs: P never goes negative,
        // so every quotient bit comes out set.
        const bool zero_divisor = mpz_sgn(r.divisor.get()) == 0;
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, zero_divisor ? 1u : 0u, i);

        const bool negative = signed_operands &&
                              take_operand_magnitudes(r.divisor, r.dividend).quotient_negative();
        // Machine words where the registers fit, else the closed form; both
        // give the GNU MP loop's register bit for bit.
        if (!try_bit_serial_in_words(r.quotient, r.divisor, r.dividend, dividend_bits,
                                     iterations)) {
            closed_form_register(r.quotient, r.scratch, r.divisor, r.dividend, dividend_bits,
                                 iterations);
        }
        if (signed_operands) {
            recombine_signed(r.quotient, r.fraction, r.scratch, negative, dividend_bits,
                             fraction_bits);
        }
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
    }
    return 0;
}
