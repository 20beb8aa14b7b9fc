// How the library's results map onto the core's output fields, and one
// sample's results decoded into them. Every format prints these fields.
#ifndef QUODRA_DIV_FORMATS_RESULT_LAYOUT_H
#define QUODRA_DIV_FORMATS_RESULT_LAYOUT_H

#include <cstddef>
#include <string>
#include <vector>

#include "cli/divider_settings.h"
#include "numbers/big_integer.h"
#include "numbers/operand_range.h"

namespace quodra_div {

// Result layout: how the library's results map onto the core's output
// fields, for the configured mode and algorithm:
//   remainder mode   quotient (dividend width) and remainder (divisor width),
//                    two's-complement patterns when signed;
//   Radix-2          one word of dividend width + fraction width bits: the
//                    integer quotient above an F-bit fraction field. Signed,
//                    both parts are two's complement and the fraction field
//                    holds a signed fraction with F - 1 fraction bits;
//   High Radix       a signed integer Q = quotient x 2^F; its integer part
//                    needs dividend width + 1 bits, since -2^(B-1) / -1
//                    gives +2^(B-1).
// Every format prints the same fields, decoded here once.

struct output_field {
    std::string name;
    unsigned width;
    bool is_signed;
};

constexpr std::size_t max_output_fields = 2;

// One sample's outputs, decoded into field values (negative when the field
// is signed and its sign bit set) and, in fractional mode, the exact real
// value numerator / 2^scale.
struct sample_result {
    big_integer field_values[max_output_fields];
    bool field_known[max_output_fields] = {true, true};
    big_integer real_numerator;
    unsigned real_scale = 0;
    bool div_by_zero = false;
};

class result_layout {
public:
    // Throws tool_error when fractional output is asked of an algorithm
    // whose quotient layout the tool does not know.
    explicit result_layout(const divider_settings &settings);

    const operand_range &dividend_range() const { return dividend_range_; }
    const operand_range &divisor_range() const { return divisor_range_; }
    bool fractional() const { return kind_ != layout_kind::integer_with_remainder; }
    bool has_remainder() const { return !fractional(); }
    const std::vector<output_field> &fields() const { return fields_; }

    // The library's raw quotient: its width in bits (the integer quotient,
    // or the integer part above the fraction field), whether it is a signed
    // value (High Radix) or an unsigned pattern, and the fraction width F.
    unsigned raw_quotient_bits() const;
    bool raw_quotient_signed() const { return kind_ == layout_kind::high_radix_fixed; }
    unsigned fraction_width() const { return fraction_width_; }

    // Most fraction digits a real value can have (its scale in bits).
    unsigned real_scale_bits() const;

    // A value the library never writes as a result: the batch plants it in
    // each output slot first, so a slot left unwritten is recognised.
    mpz_srcptr unwritten_marker() const { return unwritten_marker_.get(); }

    // Decodes the library's raw quotient and remainder (the remainder is
    // ignored in fractional mode). Throws tool_error when a value lies
    // outside its field or a quotient is missing for a non-zero divisor.
    void decode(mpz_srcptr quotient, mpz_srcptr remainder, bool div_by_zero,
                sample_result &result) const;

private:
    enum class layout_kind {
        integer_with_remainder,
        radix2_unsigned_fixed,
        radix2_signed_fixed,
        high_radix_fixed,
    };

    static layout_kind kind_for(const divider_settings &settings);
    void define_fields();
    bool raw_quotient_fits(mpz_srcptr quotient) const;
    void decode_integer_with_remainder(mpz_srcptr quotient, mpz_srcptr remainder,
                                       sample_result &result) const;
    void decode_fixed_point(mpz_srcptr quotient, sample_result &result) const;

    layout_kind kind_;
    unsigned dividend_width_;
    unsigned divisor_width_;
    unsigned fraction_width_;
    bool signed_;
    operand_range dividend_range_;
    operand_range divisor_range_;
    std::vector<output_field> fields_;
    big_integer unwritten_marker_;
};

} // namespace quodra_div

#endif
