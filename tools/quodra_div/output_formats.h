// What quodra-div prints: the library's results decoded into the core's
// output fields, and those fields written as a readable table, as CSV, or
// as hex golden vectors for HDL test benches.
#ifndef QUODRA_DIV_OUTPUT_FORMATS_H
#define QUODRA_DIV_OUTPUT_FORMATS_H

#include <cstdint>
#include <string>
#include <vector>

#include "input.h"
#include "options.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Number text. Buffers and scratch integers are reused, so formatting a row
// does not allocate once they have grown.

// Hex digits of a field: ceil(width / 4).
inline unsigned hex_digits(unsigned width) { return (width + 3) / 4; }

// Characters of the longest decimal value of a field.
std::size_t decimal_chars(unsigned width, bool is_signed);

class number_text {
public:
    void append_decimal(std::string &out, mpz_srcptr value);

    // The two's-complement bit pattern of value in `width` bits, as exactly
    // hex_digits(width) digits. Bits above the width are dropped.
    void append_hex_pattern(std::string &out, mpz_srcptr value, unsigned width);

    // numerator / 2^scale written exactly: every binary fraction has a
    // finite decimal expansion of at most `scale` digits. Trailing zeros are
    // dropped, one fraction digit is always kept ("3.0", "-14.3125").
    void append_exact_real(std::string &out, mpz_srcptr numerator, unsigned scale);

private:
    const char *digits_of(mpz_srcptr value, int base);
    mpz_srcptr power_of_five(unsigned exponent);

    std::vector<char> buffer_;
    big_integer scratch_;
    big_integer integer_part_;
    big_integer fraction_part_;
    big_integer five_power_;
    unsigned five_exponent_ = 0; // five_power_ = 5^five_exponent_
};

// ---------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------
// The formats: a header, then one row per sample, appended to a text buffer
// that the caller writes out batch by batch.
//   table  aligned columns, decimal and 0x hex for every output field, and
//          in fractional mode the quotient as an exact real number. Column
//          widths follow from the field widths, so rows stream out aligned.
//   csv    a header row, then decimal values and 0x hex patterns; an output
//          the library left undefined is an empty field.
//   hex    one line per sample, every field as a fixed-width hex bit pattern
//          of its own width, separated by one space:
//            dividend divisor quotient remainder|fraction div_by_zero
//          The header is '//' comments, written only on request, since
//          $fscanf stops at them while $readmemh skips them. An undefined
//          output is all 'x' digits, which $readmemh loads as unknown bits.

class row_formatter {
public:
    // summary: one line naming the configuration, shown where the format
    // has room for it (above the table, as a comment in hex files).
    row_formatter(output_format format, const result_layout &layout, std::string summary);

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);

private:
    void append_table_header(std::string &out);
    void append_csv_header(std::string &out);
    void append_hex_header(std::string &out);
    void append_table_row(const sample &input, const sample_result &result, std::string &out);
    void append_csv_row(const sample &input, const sample_result &result, std::string &out);
    void append_hex_row(const sample &input, const sample_result &result, std::string &out);
    void append_cell(std::string &out, std::size_t column, const std::string &text);
    std::string real_cell(const sample_result &result);

    output_format format_;
    const result_layout &layout_;
    std::string summary_;
    std::vector<std::string> headers_; // table columns
    std::vector<std::size_t> widths_;
    number_text numbers_;
    std::string cell_;
};

} // namespace quodra_div

#endif
