// The data rows of a results file (--check FILE), one at a time.
#ifndef QUODRA_DIV_CHECK_RESULT_ROWS_H
#define QUODRA_DIV_CHECK_RESULT_ROWS_H

#include <optional>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "formats/hex_word_row.h"
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

    // The file's format, once the first line that shows it is read (that
    // line is then kept for next); none for a file without such a line.
    std::optional<output_format> format();

    // next() with the row in words, for fields of 1 to 64 bits: a hex row
    // as the tool writes it is read without GNU MP, any other line as
    // next() reads it, with the same messages. Only for a hex file.
    bool next_words(word_row &row);

    const std::string &display_name() const { return lines_.display_name(); }

private:
    // Reads lines until one shows the format; false at the end.
    bool find_format();
    void choose_format(std::string_view first_line);
    // Reads a line once the format is known, as next() does: returns
    // whether it was a data row, then stored in row.
    bool read_data_line(std::string_view line, result_row &row);

    const tool_options &options_;
    const result_layout &layout_;
    text_lines lines_;
    operand_fields ranges_;
    std::optional<output_format> format_;
    header_lines header_;
    bool line_pending_ = false; // the line that showed the format is unread
    result_row scratch_;        // next_words' row when read by next()'s reader
};

} // namespace quodra_div

#endif
