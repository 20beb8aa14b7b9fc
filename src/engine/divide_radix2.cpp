// Radix-2 fractional divider: a bit-serial non-restoring divider, one
// iteration per quotient bit. Each iteration shifts the partial remainder
// left, brings in the next dividend bit (zeros once the dividend is used up)
// and adds or subtracts the divisor according to the sign the partial
// remainder had before the shift; the quotient bit is 1 when the result is
// not negative. The partial remainder is never corrected at the end. Each
// sample's register comes from the loop's closed form, in one 64- or 128-bit
// division when the written value fits such a word, else in one GNU MP
// division; tests check every form against the loop, which stays here (on
// GNU MP integers with a trace, and in words) as the reference.
#include <cstdint>
#include <gmp.h>

#include "machine_words.h"
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

#if defined(QUODRA_HAVE_UINT128)
using machine_words::uint128;
using machine_words::int128;

template <> struct word_register<uint128> {
    using signed_type = int128;
    static constexpr unsigned bits = 128;
};
#endif

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

template <class Unsigned> bool registers_fit(size_t divisor_bits, uint64_t iterations) {
    return iterations <= word_register<Unsigned>::bits &&
           divisor_bits <= word_register<Unsigned>::bits - 2;
}

template <class Unsigned>
void run_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                  uint64_t iterations) {
    using machine_words::low_bits_of;
    machine_words::set_word(q, run_bit_serial_word(low_bits_of<Unsigned>(d),
                                                   low_bits_of<Unsigned>(n), dividend_bits,
                                                   iterations));
}

// Runs one sample's loop in the narrowest words that hold its registers;
// false, with Q untouched, when none does.
bool try_bit_serial_in_words(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                             uint64_t iterations) {
    if (!machine_words::available || mpz_sgn(d) <= 0) {
        return false;
    }
    const size_t divisor_bits = mpz_sizeinbase(d, 2);
    if (registers_fit<uint64_t>(divisor_bits, iterations)) {
        run_in_words<uint64_t>(q, d, n, dividend_bits, iterations);
        return true;
    }
#if defined(QUODRA_HAVE_UINT128)
    if (registers_fit<uint128>(divisor_bits, iterations)) {
        run_in_words<uint128>(q, d, n, dividend_bits, iterations);
        return true;
    }
#endif
    return false;
}

// True when 0 <= value < 2^bits is certain from the limb count alone, or
// else from the bit count.
bool within_bits(mpz_srcptr value, uint64_t bits) {
    return uint64_t{mpz_size(value)} * GMP_NUMB_BITS <= bits || mpz_sizeinbase(value, 2) <= bits;
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
    // two's-complement bits, which floor reduction gives. A dividend already
    // within [0, 2^W) is shifted as it is, saving a copy.
    const uint64_t shift = iterations - dividend_bits;
    if (mpz_sgn(n) >= 0 && within_bits(n, dividend_bits)) {
        mpz_mul_2exp(scratch, n, shift);
    } else {
        mpz_fdiv_r_2exp(scratch, n, dividend_bits);
        mpz_mul_2exp(scratch, scratch, shift);
    }
    mpz_tdiv_q(q, scratch, d); // both positive: truncation is floor
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

// The same layout when the fraction field is at most one word: G comes from
// the register's low limb, I 2^F is the register less its low F bits, and a
// negative I 2^F wraps as -(I 2^F) mod 2^(W+F) = (2^W - I) 2^F, since I < 2^W.
// Four GNU MP calls instead of nine.
void recombine_signed_word_fraction(mpz_ptr q, bool negative, uint64_t dividend_width,
                                    uint64_t fractional_width) {
    using machine_words::low_bits;
    const uint64_t low = low_bits<uint64_t>(mpz_getlimbn(q, 0), fractional_width);
    uint64_t fraction = low >> 1;
    mpz_sub_ui(q, q, low);
    if (negative) {
        mpz_neg(q, q);
        mpz_fdiv_r_2exp(q, q, dividend_width + fractional_width);
        fraction = low_bits<uint64_t>(uint64_t{0} - fraction, fractional_width);
    }
    mpz_add_ui(q, q, fraction);
}

// What one call divides: the widths as the loop uses them.
struct radix2_shape {
    bool signed_operands;
    uint64_t dividend_bits;
    uint64_t fraction_bits; // F where the signed layout or the fraction uses it, else 0
    uint64_t iterations;
    // Bits of the value written: the register, or the signed layout of W + F bits.
    uint64_t written_bits() const {
        return signed_operands ? dividend_bits + fraction_bits : iterations;
    }
};

// The closed form in one machine-word division: the register of a sample
// whose written value fits the word. D <= 0 sets all n bits; a divisor
// wider than the word exceeds X < 2^n, so every bit is 0.
template <class Word>
Word closed_form_word(mpz_srcptr d, mpz_srcptr n, const radix2_shape &shape) {
    using namespace machine_words;
    if (mpz_sgn(d) <= 0) {
        return low_bits(~Word{0}, shape.iterations);
    }
    if (!magnitude_fits<Word>(d) || shape.dividend_bits == 0) {
        return 0;
    }
    const Word entered = low_bits(low_bits_of<Word>(n), shape.dividend_bits);
    return (entered << (shape.iterations - shape.dividend_bits)) / magnitude_of<Word>(d);
}

// -value as a width-bit two's-complement field, for 0 <= value < 2^width:
// zero stays zero, anything else becomes 2^width - value.
template <class Word> Word negated_in_field(Word value, uint64_t width) {
    return machine_words::low_bits(Word{0} - value, width);
}

// recombine_signed in one word.
template <class Word>
Word signed_layout_word(Word u, bool negative, const radix2_shape &shape) {
    using namespace machine_words;
    Word integer = shifted_right(u, shape.fraction_bits);
    Word fraction = low_bits(u, shape.fraction_bits) >> 1;
    if (negative) {
        integer = negated_in_field(integer, shape.dividend_bits);
        fraction = negated_in_field(fraction, shape.fraction_bits);
    }
    return shifted_left(integer, shape.fraction_bits) + fraction;
}

template <class Word>
void divide_in_word(mpz_ptr q, mpz_srcptr d, mpz_srcptr n, const radix2_shape &shape,
                    bool negative) {
    Word value = closed_form_word<Word>(d, n, shape);
    if (shape.signed_operands) {
        value = signed_layout_word(value, negative, shape);
    }
    machine_words::set_word(q, value);
}

// The word one call's samples are divided in, chosen once per call.
enum class sample_word { none, bits_64, bits_128 };

sample_word word_for(const radix2_shape &shape) {
    if (!machine_words::available) {
        return sample_word::none;
    }
    if (shape.written_bits() <= 64) {
        return sample_word::bits_64;
    }
#if defined(QUODRA_HAVE_UINT128)
    if (shape.written_bits() <= 128) {
        return sample_word::bits_128;
    }
#endif
    return sample_word::none;
}

// The working values of one call.
struct radix2_registers {
    working_integer divisor;
    working_integer dividend;
    working_integer quotient;
    working_integer fraction;
    working_integer scratch;
};

// One sample's written value from the closed form, in a word when it fits
// one, else on GNU MP integers; every form gives the GNU MP loop's register
// bit for bit, and the same signed layout.
void divide_sample(radix2_registers &r, const radix2_shape &shape, sample_word word,
                   bool negative) {
    switch (word) {
    case sample_word::bits_64:
        divide_in_word<uint64_t>(r.quotient, r.divisor, r.dividend, shape, negative);
        return;
#if defined(QUODRA_HAVE_UINT128)
    case sample_word::bits_128:
        divide_in_word<machine_words::uint128>(r.quotient, r.divisor, r.dividend, shape, negative);
        return;
#endif
    default:
        break;
    }
    closed_form_register(r.quotient, r.scratch, r.divisor, r.dividend, shape.dividend_bits,
                         shape.iterations);
    if (!shape.signed_operands) {
        return;
    }
    if (machine_words::available && shape.fraction_bits <= 64) {
        recombine_signed_word_fraction(r.quotient, negative, shape.dividend_bits,
                                       shape.fraction_bits);
    } else {
        recombine_signed(r.quotient, r.fraction, r.scratch, negative, shape.dividend_bits,
                         shape.fraction_bits);
    }
}

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

    const radix2_shape shape{signed_operands, dividend_bits, fraction_bits, iterations};
    const sample_word word = word_for(shape);
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
        divide_sample(r, shape, word, negative);
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, r.quotient, i);
    }
    return 0;
}
