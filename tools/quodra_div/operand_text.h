// Reading one operand: decimal with an optional sign, or 0x hexadecimal
// (also signed), of any width.
#ifndef QUODRA_DIV_OPERAND_TEXT_H
#define QUODRA_DIV_OPERAND_TEXT_H

#include <gmp.h>

#include <string>
#include <string_view>

namespace quodra_div {

// Stores the value of text in value and returns true, or returns false and
// leaves value unspecified. Nothing but the number may be in text: GNU MP
// would skip embedded blanks, so every character is checked first.
bool parse_operand(std::string_view text, mpz_ptr value);

// The offending text as it goes into an error message: quoted, shortened
// when very long, with control characters escaped.
std::string quoted_excerpt(std::string_view text);

} // namespace quodra_div

#endif
