// One line of a sample file: "DIVIDEND DIVISOR", separated by blanks or a
// comma, with blank lines and '#' comments allowed.
#ifndef QUODRA_DIV_SAMPLE_LINE_H
#define QUODRA_DIV_SAMPLE_LINE_H

#include <gmp.h>

#include <string_view>

namespace quodra_div {

// Returns false for a line with nothing to divide (blank or comment only).
// Throws tool_error, without a location, when the line is malformed.
bool parse_sample_line(std::string_view line, mpz_ptr dividend, mpz_ptr divisor);

// Checks one operand text and stores its value; throws tool_error naming
// the role ("dividend" or "divisor") and the offending text.
void parse_named_operand(std::string_view text, const char *role, mpz_ptr value);

} // namespace quodra_div

#endif
