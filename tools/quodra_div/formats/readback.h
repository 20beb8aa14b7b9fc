// Files the tool wrote, read back as samples (-i): the dividend and divisor
// columns of a table, CSV or hex file are divided again, the result
// columns ignored.
#ifndef QUODRA_DIV_FORMATS_READBACK_H
#define QUODRA_DIV_FORMATS_READBACK_H

#include <optional>
#include <string>
#include <string_view>

#include "cli/divider_settings.h"
#include "formats/output_format.h"
#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "samples/sample.h"

namespace quodra_div {

// The configuration files are read back for: its layout and settings.
struct own_file_formats {
    const result_layout &layout;
    const divider_settings &settings;
};

// The reader of one file in one of the tool's formats.
class results_readback {
public:
    // Offered the first line of a file that is neither blank nor a '#'
    // comment. A header line ('//' comment; `configuration "`; column names
    // starting with "dividend", more than two of them) or a line that
    // parses fully as a data row of the format detect_results_format names
    // makes the file a results file; anything else is left to the pair
    // reader (nothing returned), and hint may then hold a note for the pair
    // reader's error on that line. Throws tool_error, without a position,
    // when the line is a header that disagrees with the configuration.
    // formats must outlive the reader.
    static std::optional<results_readback>
    recognise(std::string_view first_line, const own_file_formats &formats, bool wrap,
              std::string &hint);

    // Fills the sample of a data row and returns true; false for a line
    // without one (blank, header). Hex operands must have exactly the digits
    // the configured widths are written with. Throws tool_error, without a
    // position.
    bool parse(std::string_view line, sample &result);
    // Whether a line is a data row, without checking it (--shard counts and
    // skips rows this way).
    bool holds_sample(std::string_view line) const;

private:
    results_readback(output_format format, const own_file_formats &formats, bool wrap);

    output_format format_;
    const result_layout *layout_;
    header_lines header_;
    bool wrap_;
    result_row row_;
};

} // namespace quodra_div

#endif
