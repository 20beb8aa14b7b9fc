// Operand text: the spellings an operand may have, and the value each
// spelling has in its field.
#ifndef QUODRA_DIV_SAMPLES_OPERAND_TEXT_H
#define QUODRA_DIV_SAMPLES_OPERAND_TEXT_H

#include <gmp.h>

#include <string>
#include <string_view>

#include "numbers/big_integer.h"
#include "numbers/operand_range.h"
#include "samples/sample.h"

namespace quodra_div {

// An operand as written, before it meets its field. The spellings:
//   number    decimal (-7, 1_000), 0x hex (0xff, -0x80), 0b binary (0b1010),
//             each with an optional sign: a value;
//   sized     Verilog [size]'[s]<h|d|o|b><digits> (8'hff, 16'sd5, -16'sd5):
//             a bit pattern of its own width, which its value must fit.
//             Without 's' it is zero-extended to the field and read the way
//             the field reads (8'hff in a signed 8-bit field is -1, in a
//             signed 16-bit field 255); with 's' it is the value of its
//             two's-complement pattern (8'shff is -1 in any signed field,
//             refused by an unsigned one). A sign goes only before a signed
//             sized literal (-16'sd5) or, for a signed decimal, after the
//             base (16'sd-5, the same value), never both;
//   unsized   '[s]<h|d|o|b><digits> ('hff, 'b1010): a pattern as wide as the
//             field, read the way the field reads.
// '_' separates digits: only between two digits, never first, last or
// doubled. x and z digits are refused. A literal wider than its field is
// refused unless --wrap-operands, which keeps its low bits.
struct operand_literal {
    enum class shape { number, sized, unsized };
    shape form = shape::number;
    big_integer value; // number: the value; sized/unsized: the digits' value
    unsigned width = 0; // sized: its stated width
    bool is_signed = false; // 's'
    bool negative = false;  // a '-' before it, or after a signed decimal's base
    bool sign_after_base = false; // 16'sd-5: the sign belongs to the value
};

// Reads one operand spelling. Returns false when malformed, with a reason
// in problem when there is more to say than "not a number". Nothing but the
// operand may be in text: GNU MP would skip embedded blanks, so every
// character is checked first.
bool parse_literal(std::string_view text, operand_literal &literal, std::string &problem);

// The value of a plain number (decimal, 0x, 0b, optional sign, '_'
// separators); false for anything else, including Verilog literals.
bool parse_operand(std::string_view text, mpz_ptr value);

// Reads one operand text; throws tool_error naming the role ("dividend"
// or "divisor") and the offending text.
void parse_named_operand(std::string_view text, const char *role, operand_literal &literal);

// The value literal (spelled text) has in its field, as described at
// operand_literal; throws tool_error when it does not fit.
void literal_value_in_field(const operand_literal &literal, std::string_view text,
                            const char *role, const operand_range &range, bool wrap,
                            mpz_ptr value);

// Makes value fit its field: unchanged when it fits, its low bits when
// wrapping, else throws tool_error naming the role, value and field. The
// library is never handed operands its ports cannot carry: its algorithms
// each treat extra bits differently, and no core of this width could
// produce such a row.
void fit_operand(mpz_ptr value, const char *role, const operand_range &range, bool wrap);

// Both operand texts of a sample, parsed and then fitted to their fields.
// Throws tool_error, without a position, for the first problem.
void read_sample(std::string_view dividend_text, std::string_view divisor_text,
                 const operand_fields &fields, sample &result);

} // namespace quodra_div

#endif
