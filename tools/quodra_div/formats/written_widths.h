// The widths a results file's cells show. The tool writes every hex
// pattern with exactly the digits its field's width needs, so a file
// written for widths of other digit counts shows itself in its cells even
// without header lines. Read with the wrong widths, such a file would be
// compared silently and wrongly (a signed pattern read in a wider field
// changes sign), so a reader refuses it instead. Widths of one digit count
// (13 to 16 bits) look alike; only header lines tell them apart.
#ifndef QUODRA_DIV_FORMATS_WRITTEN_WIDTHS_H
#define QUODRA_DIV_FORMATS_WRITTEN_WIDTHS_H

#include <string_view>

#include "formats/output_format.h"
#include "formats/result_layout.h"

namespace quodra_div {

// Throws tool_error (bad input) unless both operand cells of a hex data
// row have the digits of the configured operand fields.
void require_written_operand_digits(std::string_view text, const result_layout &layout);

// Throws tool_error (bad input) when a data row shows fields of other
// widths than the layout's: a hex operand (hex rows) or an output pattern
// (every format) of another digit count. Runs before the row is read, so
// that an operand too wide for its configured field is named as a width
// slip too. A pattern of the right digit count but a wrong value stays a
// differing row; a row without the format's columns is left to its reader.
void require_configured_widths(std::string_view text, output_format format,
                               const result_layout &layout);

} // namespace quodra_div

#endif
