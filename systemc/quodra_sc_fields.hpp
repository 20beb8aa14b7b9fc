// quodra_sc_fields.hpp - the core's output fields as SystemC integers, and
// the one-sample divider that fills them, shared by the clocked module
// (quodra_sc_divider.hpp) and the TLM target (quodra_sc_target.hpp).
//
// The template parameters are those of the SystemVerilog class
// quodra_divider: ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED,
// FRACTIONAL. The fields, as the core drives them:
//   remainder mode  quotient DIVIDEND_W bits, remainder DIVISOR_W bits, two's
//                   complement when signed (any algorithm);
//   Radix-2         one register of DIVIDEND_W + F bits, the integer part
//                   (DIVIDEND_W bits) above the F-bit fraction field;
//   High Radix      the signed Q = quotient x 2^F: the integer part
//                   floor(Q / 2^F) in DIVIDEND_W + 1 bits (-2^(B-1) / -1 =
//                   +2^(B-1) needs the extra bit), the fraction Q mod 2^F.
// The fraction field is unsigned (its bits weigh positively); F = 0 still
// gets a one-bit port, always 0, as the SystemVerilog class has it.
//
// Speed: when every field fits 64 bits and the program is built with
// QUODRA_SYSTEMC_WORDS and linked with libquodra_systemc (both come with the
// CMake target quodra::systemc and the pkg-config module quodra-systemc), a
// sample is divided on the engine's word batch (quodra_sc_words.h);
// otherwise, and for any sample out of the word batch's reach, through
// quodra::divider on GNU MP integers. Results and messages are the same
// either way: the configuration is always checked by libquodra's model.
#ifndef QUODRA_SC_FIELDS_HPP
#define QUODRA_SC_FIELDS_HPP

#include <systemc>

#include <cstdint>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "quodra.hpp"

#ifdef QUODRA_SYSTEMC_WORDS
#include "quodra_sc_words.h"
#endif

namespace quodra {
namespace sc {

template <int ALGORITHM, int DIVISOR_W, int DIVIDEND_W, int FRACTION_W = 0, bool SIGNED = true,
          bool FRACTIONAL = false>
struct field_layout {
    static_assert(DIVISOR_W >= 1 && DIVIDEND_W >= 1, "a port has at least one bit");
    static_assert(FRACTION_W >= 0, "the fraction field has no negative width");

    static constexpr int algorithm = ALGORITHM;
    static constexpr int divisor_width = DIVISOR_W;
    static constexpr int dividend_width = DIVIDEND_W;
    static constexpr int fraction_width = FRACTIONAL ? FRACTION_W : 0;
    static constexpr bool is_signed = SIGNED;
    static constexpr bool fractional = FRACTIONAL;
    // Only the High Radix fractional quotient is a signed value Q; every
    // other result is a bit pattern of its field.
    static constexpr bool signed_quotient_value = FRACTIONAL && ALGORITHM == QUODRA_ALGORITHM_HIGH_RADIX;
    static constexpr int quotient_width = signed_quotient_value ? DIVIDEND_W + 1 : DIVIDEND_W;
    static constexpr int remainder_width = !FRACTIONAL ? DIVISOR_W : FRACTION_W > 0 ? FRACTION_W : 1;
    // Bits of the value the library returns as its quotient.
    static constexpr int register_width =
        !FRACTIONAL ? DIVIDEND_W : DIVIDEND_W + FRACTION_W + (signed_quotient_value ? 1 : 0);
    static constexpr bool fits_words =
        DIVISOR_W <= 64 && DIVIDEND_W <= 64 && register_width <= 64 && remainder_width <= 64;

    template <int W, bool S>
    using field = std::conditional_t<S, sc_dt::sc_bigint<W>, sc_dt::sc_biguint<W>>;
    using dividend_type = field<DIVIDEND_W, SIGNED>;
    using divisor_type = field<DIVISOR_W, SIGNED>;
    using quotient_type = field<quotient_width, SIGNED || signed_quotient_value>;
    using remainder_type = field<remainder_width, SIGNED && !FRACTIONAL>;
};

// One sample's outputs. quotient_known is false only for the High Radix
// quotient of a zero divisor, which the core leaves undefined; quotient is
// then 0.
template <class Layout>
struct field_result {
    typename Layout::quotient_type quotient = 0;
    typename Layout::remainder_type remainder = 0;
    bool div_by_zero = false;
    bool quotient_known = true;
};

namespace detail {

// The bit pattern of a field as a non-negative integer.
template <class Field>
mpz_class pattern_of(const Field &field, int width) {
    mpz_class value = 0;
    for (int top = width; top > 0; top -= 32) {
        const int low = top > 32 ? top - 32 : 0;
        value <<= top - low;
        value += static_cast<unsigned long>(field.range(top - 1, low).to_uint());
    }
    return value;
}

// The value a port holds: its pattern, read as two's complement when signed.
template <class Field>
mpz_class value_of(const Field &field, int width, bool is_signed) {
    mpz_class value = pattern_of(field, width);
    if (is_signed && mpz_tstbit(value.get_mpz_t(), static_cast<mp_bitcnt_t>(width - 1)) != 0) {
        mpz_class modulus;
        mpz_setbit(modulus.get_mpz_t(), static_cast<mp_bitcnt_t>(width));
        value -= modulus;
    }
    return value;
}

// The low `width` bits of any integer, two's complement for negative ones,
// as a field of that width.
template <class Field, int W>
Field field_of(const mpz_class &value) {
    mpz_class bits;
    mpz_fdiv_r_2exp(bits.get_mpz_t(), value.get_mpz_t(), static_cast<mp_bitcnt_t>(W));
    sc_dt::sc_biguint<W> pattern = 0;
    for (int low = 0; low < W; low += 32) {
        const int top = low + 32 < W ? low + 31 : W - 1;
        mpz_class chunk;
        mpz_fdiv_q_2exp(chunk.get_mpz_t(), bits.get_mpz_t(), static_cast<mp_bitcnt_t>(low));
        mpz_fdiv_r_2exp(chunk.get_mpz_t(), chunk.get_mpz_t(), 32);
        pattern.range(top, low) = static_cast<unsigned>(chunk.get_ui());
    }
    return Field(pattern);
}

// The low `width` (0 .. 64) bits of a word.
inline uint64_t low_bits(uint64_t word, int width) {
    return width >= 64 ? word : word & ((uint64_t{1} << width) - 1u);
}

// Checks that a configuration is the one the template's ports were made
// for; the message names every field that differs.
template <class Layout>
const config &matching(const config &configuration) {
    std::ostringstream differences;
    auto compare = [&differences](const char *field, int32_t given, int32_t fixed) {
        if (given != fixed) {
            differences << (differences.tellp() > 0 ? ", " : "") << field << " " << given
                        << " (the ports are for " << fixed << ")";
        }
    };
    compare("algorithm_type", configuration.algorithm_type, Layout::algorithm);
    compare("divisor_width", configuration.divisor_width, Layout::divisor_width);
    compare("dividend_width", configuration.dividend_width, Layout::dividend_width);
    compare("operand_sign", configuration.operand_sign,
            Layout::is_signed ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED);
    compare("remainder_type", configuration.remainder_type,
            Layout::fractional ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER);
    if (Layout::fractional) {
        compare("fractional_width", configuration.fractional_width, Layout::fraction_width);
    }
    if (differences.tellp() > 0) {
        throw std::invalid_argument("quodra::sc: configuration '" + configuration.name +
                                    "' does not match the module's template: " + differences.str());
    }
    return configuration;
}

} // namespace detail

// Which engine path a field_divider may take: the default uses the word
// batch where it reaches; gnu_mp_only is for tests that compare the two.
enum class division_route { fastest, gnu_mp_only };

// Divides one sample of port values into the core's output fields. Refuses,
// at construction, a configuration that differs from the template and one
// that the library refuses (creation, or its first call's checks).
template <class Layout>
class field_divider {
public:
    using result = field_result<Layout>;

    explicit field_divider(const config &configuration, division_route route = division_route::fastest)
        : divider_(detail::matching<Layout>(configuration)) {
        // A call with no samples runs the library's own checks of the
        // configuration, so a refused one fails here, not at the first start.
        std::vector<result_type> none;
        divider_.divide(sample_view<mpz_class>(), sample_view<mpz_class>(), none);
        if (route == division_route::fastest) {
            open_words();
        }
    }

    // True when samples go through the engine's word batch.
    bool on_words() const noexcept {
#ifdef QUODRA_SYSTEMC_WORDS
        return words_ != nullptr;
#else
        return false;
#endif
    }
    const config &configuration() const noexcept { return divider_.configuration(); }

    result divide(const typename Layout::dividend_type &dividend,
                  const typename Layout::divisor_type &divisor) {
        result out;
        if (on_words() && divide_on_words(dividend, divisor, out)) {
            return out;
        }
        const quodra::result<mpz_class> core =
            divider_.divide(detail::value_of(divisor, Layout::divisor_width, Layout::is_signed),
                            detail::value_of(dividend, Layout::dividend_width, Layout::is_signed));
        out.div_by_zero = core.div_by_zero;
        if (!Layout::fractional) {
            out.quotient = field<quotient_t, Layout::quotient_width>(*core.quotient);
            out.remainder = field<remainder_t, Layout::remainder_width>(*core.remainder);
            return out;
        }
        if (!core.quotient) {
            out.quotient_known = false;
            return out;
        }
        // Floor division keeps the two's-complement reading of the integer
        // part; the fraction bits weigh positively.
        mpz_class integer_part;
        mpz_fdiv_q_2exp(integer_part.get_mpz_t(), core.quotient->get_mpz_t(),
                        static_cast<mp_bitcnt_t>(Layout::fraction_width));
        out.quotient = field<quotient_t, Layout::quotient_width>(integer_part);
        if (Layout::fraction_width > 0) {
            out.remainder = field<remainder_t, Layout::remainder_width>(*core.quotient);
        }
        return out;
    }

private:
    using result_type = quodra::result<mpz_class>;
    using quotient_t = typename Layout::quotient_type;
    using remainder_t = typename Layout::remainder_type;

    template <class Field, int W>
    static Field field(const mpz_class &value) {
        return detail::field_of<Field, W>(value);
    }

#ifdef QUODRA_SYSTEMC_WORDS
    struct words_closer {
        void operator()(quodra_sc_words *words) const noexcept { quodra_sc_words_close(words); }
    };

    // libquodra_systemc's own model of the configuration, when the word
    // batch reaches it with the template's readings.
    void open_words() {
        if constexpr (Layout::fits_words) {
            const qor_quodra_v5_1_config record = divider_.configuration().to_c();
            words_.reset(quodra_sc_words_open(&record, Layout::is_signed, Layout::signed_quotient_value));
        }
    }

    template <class Field>
    static uint64_t word_of(const Field &field) {
        if constexpr (Layout::is_signed) {
            return static_cast<uint64_t>(field.to_int64());
        } else {
            return field.to_uint64();
        }
    }

    // One sample on machine words, cut into fields as the GNU MP path cuts
    // it; false (out untouched) when the sample is out of the batch's reach
    // or a value lies outside its field, so that the GNU MP path divides it.
    bool divide_on_words(const typename Layout::dividend_type &dividend,
                         const typename Layout::divisor_type &divisor, result &out) const {
        if constexpr (!Layout::fits_words) {
            return false;
        }
        quodra_sc_word_sample sample{0, 0, 0};
        if (quodra_sc_words_divide_one(words_.get(), word_of(dividend), word_of(divisor), &sample) == 0 ||
            sample.div_by_zero > 1) {
            return false;
        }
        const int f = Layout::fraction_width;
        const uint64_t q = sample.quotient;
        if (!Layout::fractional) {
            if (q != detail::low_bits(q, Layout::dividend_width) ||
                sample.remainder != detail::low_bits(sample.remainder, Layout::divisor_width)) {
                return false;
            }
            out.quotient = quotient_t(sc_dt::sc_biguint<Layout::quotient_width>(q));
            out.remainder = remainder_t(sc_dt::sc_biguint<Layout::remainder_width>(sample.remainder));
        } else if (Layout::signed_quotient_value && sample.div_by_zero != 0) {
            out.quotient_known = false;
        } else {
            const uint64_t sign = uint64_t{1} << ((Layout::register_width - 1) % 64);
            const uint64_t extended = (detail::low_bits(q, Layout::register_width) ^ sign) - sign;
            if (Layout::signed_quotient_value ? extended != q
                                              : q != detail::low_bits(q, Layout::register_width)) {
                return false;
            }
            out.quotient = quotient_t(
                sc_dt::sc_biguint<Layout::quotient_width>(detail::low_bits(q >> f, Layout::quotient_width)));
            out.remainder = remainder_t(sc_dt::sc_biguint<Layout::remainder_width>(detail::low_bits(q, f)));
        }
        out.div_by_zero = sample.div_by_zero != 0;
        return true;
    }

    std::unique_ptr<quodra_sc_words, words_closer> words_;
#else
    void open_words() {}
    bool divide_on_words(const typename Layout::dividend_type &, const typename Layout::divisor_type &,
                         result &) const {
        return false;
    }
#endif

    divider divider_;
};

} // namespace sc
} // namespace quodra

#endif // QUODRA_SC_FIELDS_HPP
