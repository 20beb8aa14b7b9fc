#include "output_formats.h"

#include <algorithm>
#include <cstring>

namespace quodra_div {

// ---------------------------------------------------------------------------
// Number text

std::size_t decimal_chars(unsigned width, bool is_signed) {
    big_integer limit;
    mpz_setbit(limit.get(), width);
    // sizeinbase may count one digit more than needed, never fewer.
    return mpz_sizeinbase(limit.get(), 10) + (is_signed ? 1 : 0);
}

const char *number_text::digits_of(mpz_srcptr value, int base) {
    const std::size_t needed = mpz_sizeinbase(value, base) + 2;
    if (buffer_.size() < needed) {
        buffer_.resize(needed);
    }
    return mpz_get_str(buffer_.data(), base, value);
}

void number_text::append_decimal(std::string &out, mpz_srcptr value) {
    out += digits_of(value, 10);
}

void number_text::append_hex_pattern(std::string &out, mpz_srcptr value, unsigned width) {
    // The residue mod 2^width is the two's-complement pattern.
    mpz_set(scratch_.get(), value);
    wrap_to_width(scratch_.get(), width, false);
    const char *digits = digits_of(scratch_.get(), 16);
    const std::size_t length = std::strlen(digits);
    const std::size_t wanted = hex_digits(width);
    if (length < wanted) {
        out.append(wanted - length, '0');
    }
    out += digits;
}

mpz_srcptr number_text::power_of_five(unsigned exponent) {
    if (exponent != five_exponent_ || mpz_sgn(five_power_.get()) == 0) {
        mpz_ui_pow_ui(five_power_.get(), 5, exponent);
        five_exponent_ = exponent;
    }
    return five_power_.get();
}

void number_text::append_exact_real(std::string &out, mpz_srcptr numerator, unsigned scale) {
    if (mpz_sgn(numerator) < 0) {
        out += '-';
    }
    mpz_abs(scratch_.get(), numerator);
    mpz_fdiv_q_2exp(integer_part_.get(), scratch_.get(), scale);
    mpz_fdiv_r_2exp(fraction_part_.get(), scratch_.get(), scale);
    append_decimal(out, integer_part_.get());
    out += '.';
    if (scale == 0 || mpz_sgn(fraction_part_.get()) == 0) {
        out += '0';
        return;
    }
    // f / 2^s = f * 5^s / 10^s: exactly s decimal digits.
    mpz_mul(fraction_part_.get(), fraction_part_.get(), power_of_five(scale));
    const char *digits = digits_of(fraction_part_.get(), 10);
    std::size_t length = std::strlen(digits);
    out.append(scale - length, '0');
    while (length > 1 && digits[length - 1] == '0') {
        --length;
    }
    out.append(digits, length);
}

// ---------------------------------------------------------------------------
// Result layout
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

// ---------------------------------------------------------------------------
// Formats

namespace {

constexpr const char *column_gap = "  ";
constexpr const char *unknown_cell = "-";

} // namespace

row_formatter::row_formatter(output_format format, const result_layout &layout,
                             std::string summary)
    : format_(format), layout_(layout), summary_(std::move(summary)) {
    if (format_ != output_format::table) {
        return;
    }
    auto add_column = [this](const std::string &header, std::size_t value_chars) {
        headers_.push_back(header);
        widths_.push_back(std::max(header.size(), value_chars));
    };
    const operand_range &dividend = layout.dividend_range();
    const operand_range &divisor = layout.divisor_range();
    add_column("dividend", decimal_chars(dividend.width(), dividend.is_signed()));
    add_column("divisor", decimal_chars(divisor.width(), divisor.is_signed()));
    for (const output_field &field : layout.fields()) {
        add_column(field.name, decimal_chars(field.width, field.is_signed));
        add_column(field.name + "_hex", 2 + hex_digits(field.width));
    }
    if (layout.fractional()) {
        const output_field &quotient = layout.fields().front();
        const std::size_t fraction_digits = std::max(1u, layout.real_scale_bits());
        add_column("real", decimal_chars(quotient.width, true) + 1 + fraction_digits);
    }
    add_column("div_by_zero", 1);
}

void row_formatter::append_header(std::string &out) {
    switch (format_) {
    case output_format::table:
        append_table_header(out);
        return;
    case output_format::csv:
        append_csv_header(out);
        return;
    case output_format::hex:
        append_hex_header(out);
        return;
    }
}

void row_formatter::append_row(const sample &input, const sample_result &result,
                               std::string &out) {
    switch (format_) {
    case output_format::table:
        append_table_row(input, result, out);
        return;
    case output_format::csv:
        append_csv_row(input, result, out);
        return;
    case output_format::hex:
        append_hex_row(input, result, out);
        return;
    }
}

void row_formatter::append_table_header(std::string &out) {
    if (!summary_.empty()) {
        out += summary_;
        out += '\n';
    }
    for (std::size_t column = 0; column < headers_.size(); ++column) {
        append_cell(out, column, headers_[column]);
    }
    out += '\n';
}

void row_formatter::append_cell(std::string &out, std::size_t column, const std::string &text) {
    if (column > 0) {
        out += column_gap;
    }
    if (text.size() < widths_[column]) {
        out.append(widths_[column] - text.size(), ' ');
    }
    out += text;
}

// Decimal points line up: the fraction is padded on the right to its
// longest possible length.
std::string row_formatter::real_cell(const sample_result &result) {
    if (!result.field_known[0]) {
        return unknown_cell;
    }
    std::string text;
    numbers_.append_exact_real(text, result.real_numerator.get(), result.real_scale);
    const std::size_t fraction_chars = text.size() - text.find('.') - 1;
    const std::size_t longest = std::max(1u, layout_.real_scale_bits());
    text.append(longest - fraction_chars, ' ');
    return text;
}

void row_formatter::append_table_row(const sample &input, const sample_result &result,
                                     std::string &out) {
    std::size_t column = 0;
    for (mpz_srcptr operand : {input.dividend.get(), input.divisor.get()}) {
        cell_.clear();
        numbers_.append_decimal(cell_, operand);
        append_cell(out, column++, cell_);
    }
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!result.field_known[f]) {
            append_cell(out, column++, unknown_cell);
            append_cell(out, column++, unknown_cell);
            continue;
        }
        cell_.clear();
        numbers_.append_decimal(cell_, result.field_values[f].get());
        append_cell(out, column++, cell_);
        cell_ = "0x";
        numbers_.append_hex_pattern(cell_, result.field_values[f].get(), fields[f].width);
        append_cell(out, column++, cell_);
    }
    if (layout_.fractional()) {
        append_cell(out, column++, real_cell(result));
    }
    append_cell(out, column, result.div_by_zero ? "1" : "0");
    out += '\n';
}

void row_formatter::append_csv_header(std::string &out) {
    out += "dividend,divisor";
    for (const output_field &field : layout_.fields()) {
        out += ',' + field.name + ',' + field.name + "_hex";
    }
    if (layout_.fractional()) {
        out += ",real";
    }
    out += ",div_by_zero\n";
}

void row_formatter::append_csv_row(const sample &input, const sample_result &result,
                                   std::string &out) {
    numbers_.append_decimal(out, input.dividend.get());
    out += ',';
    numbers_.append_decimal(out, input.divisor.get());
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!result.field_known[f]) {
            out += ",,";
            continue;
        }
        out += ',';
        numbers_.append_decimal(out, result.field_values[f].get());
        out += ",0x";
        numbers_.append_hex_pattern(out, result.field_values[f].get(), fields[f].width);
    }
    if (layout_.fractional()) {
        out += ',';
        if (result.field_known[0]) {
            numbers_.append_exact_real(out, result.real_numerator.get(), result.real_scale);
        }
    }
    out += result.div_by_zero ? ",1\n" : ",0\n";
}

namespace {

std::string field_label(const std::string &name, unsigned width) {
    return name + "[" + std::to_string(width) + "]";
}

} // namespace

void row_formatter::append_hex_header(std::string &out) {
    if (!summary_.empty()) {
        out += "// " + summary_ + '\n';
    }
    out += "// " + field_label("dividend", layout_.dividend_range().width()) + ' ' +
           field_label("divisor", layout_.divisor_range().width());
    for (const output_field &field : layout_.fields()) {
        out += ' ' + field_label(field.name, field.width);
    }
    out += " div_by_zero[1]\n";
}

void row_formatter::append_hex_row(const sample &input, const sample_result &result,
                                   std::string &out) {
    numbers_.append_hex_pattern(out, input.dividend.get(), layout_.dividend_range().width());
    out += ' ';
    numbers_.append_hex_pattern(out, input.divisor.get(), layout_.divisor_range().width());
    const std::vector<output_field> &fields = layout_.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        out += ' ';
        if (result.field_known[f]) {
            numbers_.append_hex_pattern(out, result.field_values[f].get(), fields[f].width);
        } else {
            out.append(hex_digits(fields[f].width), 'x');
        }
    }
    out += result.div_by_zero ? " 1\n" : " 0\n";
}

} // namespace quodra_div
