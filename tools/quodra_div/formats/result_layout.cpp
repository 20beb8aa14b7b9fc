#include "formats/result_layout.h"

#include "cli/tool_error.h"

namespace quodra_div {

namespace {

unsigned raw_quotient_width(unsigned dividend_width, unsigned fraction_width, bool fractional,
                            bool high_radix) {
    if (!fractional) {
        return dividend_width;
    }
    return dividend_width + fraction_width + (high_radix ? 1 : 0);
}

tool_error library_fault(const std::string &what) {
    return tool_error(exit_status::division_failed, "the library " + what);
}

} // namespace

result_layout::layout_kind result_layout::kind_for(const divider_settings &settings) {
    if (!settings.fractional_output) {
        return layout_kind::integer_with_remainder;
    }
    switch (settings.algorithm_type) {
    case algorithm_radix2:
        return settings.signed_operands ? layout_kind::radix2_signed_fixed
                                        : layout_kind::radix2_unsigned_fixed;
    case algorithm_high_radix:
        return layout_kind::high_radix_fixed;
    default:
        throw tool_error(exit_status::division_failed,
                         "no fractional quotient layout is known for algorithm " +
                             algorithm_label(settings.algorithm_type));
    }
}

result_layout::result_layout(const divider_settings &settings)
    : kind_(kind_for(settings)),
      dividend_width_(static_cast<unsigned>(settings.dividend_width)),
      divisor_width_(static_cast<unsigned>(settings.divisor_width)),
      fraction_width_(settings.fractional_output
                          ? static_cast<unsigned>(settings.fractional_width)
                          : 0),
      signed_(settings.signed_operands),
      dividend_range_(dividend_width_, signed_),
      divisor_range_(divisor_width_, signed_) {
    define_fields();
    const unsigned word_width = raw_quotient_width(
        dividend_width_, fraction_width_, fractional(), kind_ == layout_kind::high_radix_fixed);
    mpz_setbit(unwritten_marker_.get(), word_width + 2);
    mpz_neg(unwritten_marker_.get(), unwritten_marker_.get());
}

void result_layout::define_fields() {
    switch (kind_) {
    case layout_kind::integer_with_remainder:
        fields_.push_back({"quotient", dividend_width_, signed_});
        fields_.push_back({"remainder", divisor_width_, signed_});
        return;
    case layout_kind::radix2_unsigned_fixed:
    case layout_kind::radix2_signed_fixed:
        fields_.push_back({"quotient", dividend_width_, signed_});
        break;
    case layout_kind::high_radix_fixed:
        fields_.push_back({"quotient", dividend_width_ + 1, true});
        break;
    }
    // A zero-width fraction field carries nothing and is left out.
    if (fraction_width_ > 0) {
        const bool signed_fraction = kind_ == layout_kind::radix2_signed_fixed;
        fields_.push_back({"fraction", fraction_width_, signed_fraction});
    }
}

unsigned result_layout::raw_quotient_bits() const {
    return raw_quotient_width(dividend_width_, fraction_width_, fractional(),
                              raw_quotient_signed());
}

unsigned result_layout::real_scale_bits() const {
    if (kind_ == layout_kind::radix2_signed_fixed) {
        return fraction_width_ > 0 ? fraction_width_ - 1 : 0;
    }
    return fraction_width_;
}

bool result_layout::raw_quotient_fits(mpz_srcptr quotient) const {
    const bool high_radix = kind_ == layout_kind::high_radix_fixed;
    const unsigned width =
        raw_quotient_width(dividend_width_, fraction_width_, fractional(), high_radix);
    if (mpz_sgn(quotient) < 0) {
        // Only the High Radix quotient is signed: down to -2^(width-1).
        if (!high_radix) {
            return false;
        }
        return mpz_sizeinbase(quotient, 2) < width ||
               (mpz_sizeinbase(quotient, 2) == width && mpz_scan1(quotient, 0) == width - 1);
    }
    return mpz_sizeinbase(quotient, 2) <= (high_radix ? width - 1 : width);
}

void result_layout::decode(mpz_srcptr quotient, mpz_srcptr remainder, bool div_by_zero,
                           sample_result &result) const {
    result.div_by_zero = div_by_zero;
    const bool quotient_written = mpz_cmp(quotient, unwritten_marker_.get()) != 0;
    if (!quotient_written) {
        if (!div_by_zero) {
            throw library_fault("wrote no quotient for a non-zero divisor");
        }
        // A zero divisor may leave the quotient register undefined.
        for (bool &known : result.field_known) {
            known = false;
        }
        return;
    }
    if (!raw_quotient_fits(quotient)) {
        throw library_fault("returned a quotient outside its field");
    }
    for (bool &known : result.field_known) {
        known = true;
    }
    if (kind_ == layout_kind::integer_with_remainder) {
        decode_integer_with_remainder(quotient, remainder, result);
    } else {
        decode_fixed_point(quotient, result);
    }
}

void result_layout::decode_integer_with_remainder(mpz_srcptr quotient, mpz_srcptr remainder,
                                                  sample_result &result) const {
    if (mpz_sgn(remainder) < 0 || mpz_sizeinbase(remainder, 2) > divisor_width_) {
        throw library_fault(mpz_cmp(remainder, unwritten_marker_.get()) == 0
                                ? "wrote no remainder"
                                : "returned a remainder outside its field");
    }
    mpz_set(result.field_values[0].get(), quotient);
    mpz_set(result.field_values[1].get(), remainder);
    if (signed_) {
        wrap_to_width(result.field_values[0].get(), dividend_width_, true);
        wrap_to_width(result.field_values[1].get(), divisor_width_, true);
    }
}

void result_layout::decode_fixed_point(mpz_srcptr quotient, sample_result &result) const {
    mpz_ptr integer_part = result.field_values[0].get();
    mpz_ptr fraction_part = result.field_values[1].get();
    // Floor division keeps the two's-complement reading for High Radix:
    // the integer part is signed, the fraction bits weigh positively.
    mpz_fdiv_q_2exp(integer_part, quotient, fraction_width_);
    mpz_fdiv_r_2exp(fraction_part, quotient, fraction_width_);
    mpz_set(result.real_numerator.get(), quotient);
    result.real_scale = fraction_width_;
    if (kind_ != layout_kind::radix2_signed_fixed) {
        return;
    }
    // Signed Radix-2: sign-magnitude style parts, each in two's complement;
    // the value is I + G / 2^(F-1).
    wrap_to_width(integer_part, dividend_width_, true);
    if (fraction_width_ == 0) {
        mpz_set(result.real_numerator.get(), integer_part);
        result.real_scale = 0;
        return;
    }
    wrap_to_width(fraction_part, fraction_width_, true);
    mpz_mul_2exp(result.real_numerator.get(), integer_part, fraction_width_ - 1);
    mpz_add(result.real_numerator.get(), result.real_numerator.get(), fraction_part);
    result.real_scale = fraction_width_ - 1;
}

} // namespace quodra_div
