// The data rows of a results file (--check FILE), one at a time.
#ifndef QUODRA_DIV_CHECK_RESULT_ROWS_H
#define QUODRA_DIV_CHECK_RESULT_ROWS_H

#include <optional>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "formats/result_layout.h"
#include "formats/result_row.h"
#include "samples/text_lines.h"

namespace quodra_div {

class result_rows {
public:
    // Opens options.check_path ("-" is standard input); throws tool_error
    // if it cannot. options and layout must outlive the reader.
    result_rows(const tool_options &options, const result_layout &layout);

    // Fills the next data row, with its line number, passing over blank
    // lines, notes above the first line and header lines that agree with
    // the configuration. A row whose cells show other field widths than the
    // configured ones is refused, never compared. The format
    // is the one -f names, else the one the first non-blank line shows.
    // Returns false at the end; throws tool_error naming the file and line.
    bool next(result_row &row);

    const std::string &display_name() const { return lines_.display_name(); }

private:
    void choose_format(std::string_view first_line);

    const tool_options &options_;
    const result_layout &layout_;
    text_lines lines_;
    operand_fields ranges_;
    std::optional<output_format> format_;
    header_lines header_;
};

} // namespace quodra_div

#endif
