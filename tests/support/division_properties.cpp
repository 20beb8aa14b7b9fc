// <cstdarg> comes before gmp.h, which declares gmp_vasprintf only then.
#include <cstdarg>
#include <cstddef>

#include "support/division_properties.h"

#include "engine/common/working_integer.h"

namespace {

bool signed_operands(const qor_quodra_v5_1_config &config) {
    return config.operand_sign == QUODRA_OPERAND_SIGNED;
}

// Truncating division: N = Q*D + R, |R| < |D|, R zero or of N's sign.
bool is_truncated_division(mpz_srcptr d, mpz_srcptr n, mpz_srcptr q, mpz_srcptr r) {
    working_integer product;
    mpz_mul(product, q, d);
    mpz_add(product, product, r);
    return mpz_cmp(product, n) == 0 && mpz_cmpabs(r, d) < 0 &&
           (mpz_sgn(r) == 0 || mpz_sgn(r) == mpz_sgn(n));
}

// Whether `field` is how the library delivers `value` in a width-bit field.
bool delivers(mpz_srcptr field, mpz_srcptr value, bool signed_mode, int32_t width) {
    if (!signed_mode || mpz_sgn(value) >= 0) {
        return mpz_cmp(field, value) == 0;
    }
    working_integer wrapped;
    set_power_of_two(wrapped, static_cast<uint64_t>(width));
    mpz_add(wrapped, wrapped, value);
    return mpz_cmp(field, wrapped) == 0;
}

// The values a delivered field may stand for: itself, or (signed) itself
// less 2^width. Returns how many there are.
int candidate_values(mpz_srcptr field, bool signed_mode, int32_t width,
                     working_integer (&candidates)[2]) {
    mpz_set(candidates[0], field);
    if (!signed_mode) {
        return 1;
    }
    set_power_of_two(candidates[1], static_cast<uint64_t>(width));
    mpz_sub(candidates[1], field, candidates[1]);
    return 2;
}

// Whether value lies in a width-bit field: [-2^(w-1), 2^(w-1)) signed,
// [0, 2^w) unsigned; a zero-width field holds only 0.
bool in_field(mpz_srcptr value, bool signed_mode, int32_t width) {
    if (width <= 0) {
        return mpz_sgn(value) == 0;
    }
    working_integer bound;
    if (!signed_mode) {
        set_power_of_two(bound, static_cast<uint64_t>(width));
        return mpz_sgn(value) >= 0 && mpz_cmp(value, bound) < 0;
    }
    set_power_of_two(bound, static_cast<uint64_t>(width) - 1);
    working_integer lowest;
    mpz_neg(lowest, bound);
    return mpz_cmp(value, lowest) >= 0 && mpz_cmp(value, bound) < 0;
}

// The remainder that goes with a candidate quotient, or the quotient that
// goes with a candidate remainder (false when D does not divide N - R).
bool quotient_for_remainder(mpz_srcptr d, mpz_srcptr n, mpz_srcptr r, mpz_ptr q) {
    mpz_sub(q, n, r);
    if (!mpz_divisible_p(q, d)) {
        return false;
    }
    mpz_divexact(q, q, d);
    return true;
}

// Some decoding of the delivered fields is the truncated division.
bool explains(const qor_quodra_v5_1_config &config, mpz_srcptr d, mpz_srcptr n, mpz_srcptr q_field,
              mpz_srcptr r_field) {
    const bool signed_mode = signed_operands(config);
    working_integer candidates[2];
    working_integer q, r;
    if (q_field != nullptr) {
        const int count = candidate_values(q_field, signed_mode, config.dividend_width, candidates);
        for (int c = 0; c < count; ++c) {
            mpz_srcptr candidate = candidates[c];
            mpz_mul(r, candidate, d);
            mpz_sub(r, n, r);
            if (is_truncated_division(d, n, candidate, r) &&
                delivers(q_field, candidate, signed_mode, config.dividend_width) &&
                (r_field == nullptr || delivers(r_field, r, signed_mode, config.divisor_width))) {
                return true;
            }
        }
        return false;
    }
    const int count = candidate_values(r_field, signed_mode, config.divisor_width, candidates);
    for (int c = 0; c < count; ++c) {
        mpz_srcptr candidate = candidates[c];
        if (quotient_for_remainder(d, n, candidate, q) &&
            is_truncated_division(d, n, q, candidate) &&
            delivers(r_field, candidate, signed_mode, config.divisor_width)) {
            return true;
        }
    }
    return false;
}

// Keeps the low `bits` bits of a value of either sign, as a non-negative number.
void low_bits(mpz_ptr value, uint64_t bits) {
    mpz_fdiv_r_2exp(value, value, static_cast<mp_bitcnt_t>(bits));
}

// A signed magnitude delivered as a width-bit two's-complement field.
void give_sign(mpz_ptr value, bool negative, uint64_t width) {
    if (negative && mpz_sgn(value) != 0) {
        working_integer power;
        set_power_of_two(power, width);
        mpz_sub(value, power, value);
    }
}

// gmp_printf's formatting into a string.
std::string gmp_text(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    char *text = nullptr;
    const int length = gmp_vasprintf(&text, format, arguments);
    va_end(arguments);
    std::string result(text, static_cast<size_t>(length));
    void (*release)(void *, size_t) = nullptr;
    mp_get_memory_functions(nullptr, nullptr, &release);
    release(text, static_cast<size_t>(length) + 1);
    return result;
}

} // namespace

void set_power_of_two(mpz_ptr value, uint64_t bits) {
    mpz_set_ui(value, 0);
    mpz_setbit(value, static_cast<mp_bitcnt_t>(bits));
}

std::string remainder_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                       mpz_srcptr dividend, mpz_srcptr quotient,
                                       mpz_srcptr remainder) {
    if (!explains(config, divisor, dividend, quotient, remainder)) {
        return "remainder mode: q*d + r = n with truncation, in the delivered fields";
    }
    const bool signed_mode = signed_operands(config);
    if (in_field(dividend, signed_mode, config.dividend_width) &&
        in_field(divisor, signed_mode, config.divisor_width) &&
        !((quotient == nullptr || in_field(quotient, false, config.dividend_width)) &&
          (remainder == nullptr || in_field(remainder, false, config.divisor_width)))) {
        return "remainder mode: in-range operands give results inside their fields";
    }
    return "";
}

void radix2_signed_layout(mpz_ptr expected, mpz_srcptr u, bool negative, uint64_t w, uint64_t f) {
    working_integer fraction;
    mpz_fdiv_r_2exp(fraction, u, static_cast<mp_bitcnt_t>(f));
    mpz_fdiv_q_2exp(fraction, fraction, 1);
    mpz_fdiv_q_2exp(expected, u, static_cast<mp_bitcnt_t>(f));
    give_sign(expected, negative, w);
    give_sign(fraction, negative, f);
    mpz_mul_2exp(expected, expected, static_cast<mp_bitcnt_t>(f));
    mpz_add(expected, expected, fraction);
}

bool radix2_closed_form(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                        mpz_srcptr dividend, mpz_ptr expected) {
    const bool signed_mode = signed_operands(config);
    if (!signed_mode && mpz_sgn(divisor) < 0) {
        return false;
    }
    const auto w = static_cast<uint64_t>(config.dividend_width);
    const auto f = static_cast<uint64_t>(config.fractional_width);
    const uint64_t fraction_iterations = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL ? f : 0;

    if (mpz_sgn(divisor) == 0) {
        set_power_of_two(expected, w + fraction_iterations);
        mpz_sub_ui(expected, expected, 1);
    } else {
        working_integer magnitude;
        mpz_abs(magnitude, divisor);
        mpz_set(expected, dividend);
        if (signed_mode) {
            mpz_abs(expected, expected);
        }
        low_bits(expected, w);
        mpz_mul_2exp(expected, expected, static_cast<mp_bitcnt_t>(fraction_iterations));
        mpz_fdiv_q(expected, expected, magnitude);
    }
    if (!signed_mode) {
        return true;
    }
    const bool negative = (mpz_sgn(divisor) < 0) != (mpz_sgn(dividend) < 0);
    radix2_signed_layout(expected, expected, negative, w, f);
    return true;
}

std::string radix2_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                    mpz_srcptr dividend, mpz_srcptr quotient) {
    working_integer expected;
    if (radix2_closed_form(config, divisor, dividend, expected) &&
        mpz_cmp(quotient, expected) != 0) {
        return "Radix-2: the register matches its closed form";
    }
    return "";
}

void reduce_to_port(mpz_ptr value, int32_t width) {
    if (width <= 0) {
        mpz_set_ui(value, 0);
        return;
    }
    const auto bits = static_cast<uint64_t>(width);
    low_bits(value, bits);
    if (mpz_tstbit(value, static_cast<mp_bitcnt_t>(bits - 1)) != 0) {
        working_integer power;
        set_power_of_two(power, bits);
        mpz_sub(value, value, power);
    }
}

std::string high_radix_sample_violation(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                                        mpz_srcptr dividend, mpz_srcptr quotient) {
    working_integer error;
    mpz_mul(error, quotient, divisor);
    working_integer scaled;
    mpz_mul_2exp(scaled, dividend, static_cast<mp_bitcnt_t>(config.fractional_width));
    mpz_sub(error, error, scaled);
    if (mpz_cmpabs(error, divisor) >= 0) {
        return "High Radix: the quotient is within one unit of N*2^C/D";
    }
    return "";
}

std::string describe_sample(const qor_quodra_v5_1_config &config, mpz_srcptr divisor,
                            mpz_srcptr dividend, mpz_srcptr quotient, mpz_srcptr remainder) {
    std::string description = gmp_text(
        "algorithm %d sign %d output %d widths divisor %d dividend %d fraction %d\n"
        "divisor %Zd dividend %Zd\n",
        config.algorithm_type, config.operand_sign, config.remainder_type, config.divisor_width,
        config.dividend_width, config.fractional_width, divisor, dividend);
    if (quotient != nullptr) {
        description += gmp_text("quotient %Zd\n", quotient);
    }
    if (remainder != nullptr) {
        description += gmp_text("remainder %Zd\n", remainder);
    }
    return description;
}
