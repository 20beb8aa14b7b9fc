// The writer of the chosen format: a header, then one row per sample,
// appended to a text buffer that the caller writes out batch by batch.
#ifndef QUODRA_DIV_FORMATS_ROW_FORMATTER_H
#define QUODRA_DIV_FORMATS_ROW_FORMATTER_H

#include <cstdint>
#include <string>
#include <variant>

#include "formats/csv_format.h"
#include "formats/hex_format.h"
#include "formats/output_format.h"
#include "formats/result_layout.h"
#include "formats/table_format.h"
#include "formats/word_result.h"
#include "samples/sample.h"

namespace quodra_div {

class row_formatter {
public:
    // summary: one line naming the configuration, shown where the format
    // has room for it (above the table, as a comment in hex files). The
    // layout must outlive the formatter.
    row_formatter(output_format format, const result_layout &layout, std::string summary);

    void append_header(std::string &out);
    void append_row(const sample &input, const sample_result &result, std::string &out);

    // Whether a format writes rows from words as well (every format does);
    // only then may append_word_row be called.
    static bool writes_words(output_format format);
    void append_word_row(uint64_t dividend, uint64_t divisor, const word_result &result,
                         std::string &out) const;

private:
    std::variant<table_writer, csv_writer, hex_writer> writer_;
};

} // namespace quodra_div

#endif
