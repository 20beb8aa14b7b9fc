// The lines of a pair file: "DIVIDEND DIVISOR" with blanks or a comma
// between, blank lines and '#' comments.
#ifndef QUODRA_DIV_SAMPLES_SAMPLE_LINE_H
#define QUODRA_DIV_SAMPLES_SAMPLE_LINE_H

#include <string_view>

#include "samples/sample.h"

namespace quodra_div {

// comma, with blank lines and '#' comments allowed. Returns false for a
// line with nothing to divide. Throws tool_error, without a position, when
// the line is malformed or an operand does not fit.
bool parse_sample_line(std::string_view line, const operand_fields &fields, sample &result);

// True when a sample line has something to divide (not blank, not only a
// comment), whether or not it is well formed.
bool has_sample_text(std::string_view line);

} // namespace quodra_div

#endif
