// The word batch: each algorithm's sample loop over 64-bit operands, on the
// word cores data_do's fast paths run after reading GNU MP samples. A
// configuration is in reach only where data_do accepts it (its own width
// guards are asked) and every written value fits a 64-bit word.
#include "engine/driver/word_batch.h"

#include <cstdint>
#include <limits>

#include "engine/driver/width_checks.h"
#include "engine/high_radix/fast_path/word_divider.h"
#include "engine/radix2/word_core.h"
#include "engine/remainder/word_core.h"

namespace quodra_internal {
namespace {

using remainder_words::signed_word;

signed_word<uint64_t> sign_and_magnitude(int64_t value) {
    const bool negative = value < 0;
    const auto bits = static_cast<uint64_t>(value);
    return {negative ? uint64_t{0} - bits : bits, negative}; // |-2^63| = 2^63
}
signed_word<uint64_t> sign_and_magnitude(uint64_t value) { return {value, false}; }

// Stores the value +/- magnitude (zero is never negative) if the output's
// reading holds it; false, with the word untouched, if not.
bool store(const result_words &out, std::size_t i, signed_word<uint64_t> value) {
    const bool negative = value.negative && value.magnitude != 0;
    if (out.as_uint64 != nullptr) {
        if (negative) return false;
        out.as_uint64[i] = value.magnitude;
        return true;
    }
    constexpr uint64_t largest = std::numeric_limits<int64_t>::max();
    if (value.magnitude > largest + (negative ? 1 : 0)) return false;
    out.as_int64[i] = static_cast<int64_t>(negative ? uint64_t{0} - value.magnitude : value.magnitude);
    return true;
}

// data_do's guard for the configuration, asked without letting it raise.
bool data_do_accepts(void (*guard)(const quodra_v5_1 &), const quodra_v5_1 &model) {
    try {
        guard(model);
        return true;
    } catch (...) {
        return false;
    }
}

template <class Operand>
word_batch_status remainder_batch(const quodra_v5_1 &model, const Operand *divisor,
                                  const Operand *dividend, std::size_t count,
                                  const word_results &out) {
    const qor_quodra_v5_1_config &config = model.config;
    const bool signed_operands = config.operand_sign == QUODRA_OPERAND_SIGNED;
    if (!data_do_accepts(require_remainder_widths, model) ||
        !data_do_accepts(require_remainder_register_limit, model)) {
        return word_batch_status::not_in_reach;
    }
    // Only read in signed mode, where the guard has made them >= 0.
    const remainder_words::result_fields fields{signed_operands,
                                                static_cast<uint64_t>(config.dividend_width),
                                                static_cast<uint64_t>(config.divisor_width)};
    if (!fields.fit(64)) {
        return word_batch_status::not_in_reach;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const signed_word<uint64_t> d = sign_and_magnitude(divisor[i]);
        const signed_word<uint64_t> n = sign_and_magnitude(dividend[i]);
        const bool zero_divisor = d.magnitude == 0;
        remainder_words::quotient_and_remainder<uint64_t> result{{0, false}, {0, false}};
        if (!zero_divisor) {
            result = remainder_words::divide_in_word(d, n, fields);
        }
        out.div_by_zero[i] = zero_divisor ? 1u : 0u;
        if (!store(out.quotient, i, result.quotient) || !store(out.remainder, i, result.remainder)) {
            return word_batch_status::not_in_reach;
        }
    }
    return word_batch_status::divided;
}

// The bits of N the loop enters: N's two's-complement bits (unsigned loop)
// or |N|'s bits (signed loop); the core keeps the low W of them.
uint64_t entered_bits(int64_t value, bool signed_operands) {
    return signed_operands ? sign_and_magnitude(value).magnitude : static_cast<uint64_t>(value);
}
uint64_t entered_bits(uint64_t value, bool /*signed_operands*/) { return value; }

template <class Operand>
word_batch_status radix2_batch(const quodra_v5_1 &model, const Operand *divisor,
                               const Operand *dividend, std::size_t count,
                               const word_results &out) {
    if (!data_do_accepts(require_radix2_widths, model) ||
        !data_do_accepts(require_radix2_register_limit, model)) {
        return word_batch_status::not_in_reach;
    }
    const radix2::radix2_shape shape = radix2::shape_of(model.config);
    if (shape.written_bits() > 64) {
        return word_batch_status::not_in_reach;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const signed_word<uint64_t> d = sign_and_magnitude(divisor[i]);
        const signed_word<uint64_t> n = sign_and_magnitude(dividend[i]);
        // The signed loop divides by |D|. A 64-bit divisor always fits the
        // word; one at or past 2^n gives 0 as the GNU MP route's clipped
        // divisor does.
        const bool positive = d.magnitude != 0 && (shape.signed_operands || !d.negative);
        const radix2::divisor_word<uint64_t> kept{positive, true, d.magnitude};
        const bool negative = shape.signed_operands && d.negative != n.negative;
        const uint64_t value = radix2::written_word<uint64_t>(
            kept, entered_bits(dividend[i], shape.signed_operands), shape, negative);
        out.div_by_zero[i] = d.magnitude == 0 ? 1u : 0u;
        if (!store(out.quotient, i, {value, false})) {
            return word_batch_status::not_in_reach;
        }
    }
    return word_batch_status::divided;
}

#if defined(__SIZEOF_INT128__)
// The value a two's-complement port of 0 .. 64 bits holds for an operand:
// its bits modulo 2^width read as signed, as reduce_to_port_width reduces.
int64_t port_word(uint64_t bits, uint32_t width) {
    if (width == 0) {
        return 0;
    }
    const uint32_t above = 64 - width;
    return static_cast<int64_t>(bits << above) >> above; // arithmetic: the sign repeats
}

// The High Radix quotient bound. The unit's digit string T is held with its
// sign in 14 K + 2 bits, -2^(14K+1) <= T < 2^(14K+1), and the quotient is
// Q = floor((2^pad +/- T) / 2^(pad+1)) with pad = 14 K - (B + C). So
//   floor(1/2 - 2^(B+C)) <= Q <= floor(1/2 + 2^(B+C)),  i.e. |Q| <= 2^(B+C),
// whatever the divisor width A: A only shapes T's digits, not its register.
// B + C <= 62 gives |Q| <= 2^62, inside a signed 64-bit word. K is then
// ceil((B + C + 2) / 14) <= 5, within the one-word rounding (K <= 8),
// which forms Q exactly in 128 bits; the word is checked against the
// output's reading all the same, so a T outside its register would send
// the call back to data_do rather than write a wrong word.
constexpr int64_t max_word_quotient_bits = 62;

bool high_radix_in_reach(const quodra_v5_1 &model, const high_radix_word_divider &divider) {
    const qor_quodra_v5_1_config &config = model.config;
    return data_do_accepts(require_high_radix_widths, model) &&
           data_do_accepts(require_high_radix_register_limit, model) &&
           config.divisor_width >= 1 && config.divisor_width <= 64 && config.dividend_width <= 64 &&
           int64_t{config.dividend_width} + config.fractional_width <= max_word_quotient_bits &&
           divider.usable() && divider.quotient_in_words();
}

bool store(const result_words &out, std::size_t i, rounded_word value) {
    const bool negative = value < 0;
    const auto magnitude = static_cast<machine_words::uint128>(negative ? -value : value);
    if (magnitude >> 64 != 0) {
        return false;
    }
    return store(out, i, {static_cast<uint64_t>(magnitude), negative});
}

template <class Operand>
word_batch_status high_radix_batch(const quodra_v5_1 &model, const Operand *divisor,
                                   const Operand *dividend, std::size_t count,
                                   const word_results &out) {
    high_radix_word_divider divider(model);
    if (!high_radix_in_reach(model, divider)) {
        return word_batch_status::not_in_reach;
    }
    const auto divisor_width = static_cast<uint32_t>(model.config.divisor_width);
    const auto dividend_width = static_cast<uint32_t>(model.config.dividend_width);
    for (std::size_t i = 0; i < count; ++i) {
        const int64_t d = port_word(static_cast<uint64_t>(divisor[i]), divisor_width);
        if (d == 0) {
            out.div_by_zero[i] = 1; // the quotient word keeps what it held
            continue;
        }
        const int64_t n = port_word(static_cast<uint64_t>(dividend[i]), dividend_width);
        out.div_by_zero[i] = 0;
        if (!store(out.quotient, i, divider.divide_port_words(d, n))) {
            return word_batch_status::not_in_reach;
        }
    }
    return word_batch_status::divided;
}
#endif

template <class Operand>
word_batch_status divide_batch(const quodra_v5_1 &model, const Operand *divisor,
                               const Operand *dividend, std::size_t count,
                               const word_results &out) {
    if (model.config.remainder_type == QUODRA_OUTPUT_REMAINDER) {
        return remainder_batch(model, divisor, dividend, count, out);
    }
    switch (model.config.algorithm_type) {
    case QUODRA_ALGORITHM_RADIX2:
        return radix2_batch(model, divisor, dividend, count, out);
#if defined(__SIZEOF_INT128__)
    case QUODRA_ALGORITHM_HIGH_RADIX:
        return high_radix_batch(model, divisor, dividend, count, out);
#endif
    default:
        return word_batch_status::not_in_reach; // data_do refuses or divides
    }
}

template <class Operand>
word_batch_status guarded_batch(const quodra_v5_1 &model, const Operand *divisor,
                                const Operand *dividend, std::size_t count,
                                const word_results &out) noexcept {
    try {
        return divide_batch(model, divisor, dividend, count, out);
    } catch (...) {
        return word_batch_status::not_in_reach;
    }
}

} // namespace

word_batch_status divide_word_batch(const quodra_v5_1 &model, const int64_t *divisor,
                                    const int64_t *dividend, std::size_t count,
                                    const word_results &results) noexcept {
    return guarded_batch(model, divisor, dividend, count, results);
}

word_batch_status divide_word_batch(const quodra_v5_1 &model, const uint64_t *divisor,
                                    const uint64_t *dividend, std::size_t count,
                                    const word_results &results) noexcept {
    return guarded_batch(model, divisor, dividend, count, results);
}

} // namespace quodra_internal
