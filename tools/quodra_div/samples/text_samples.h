// Samples read line by line from a file or standard input: DIVIDEND DIVISOR
// pairs, or the operand columns of a file the tool wrote itself.
#ifndef QUODRA_DIV_SAMPLES_TEXT_SAMPLES_H
#define QUODRA_DIV_SAMPLES_TEXT_SAMPLES_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/readback.h"
#include "samples/sample.h"
#include "samples/text_lines.h"

namespace quodra_div {

class text_samples {
public:
    // path "-" reads standard input. Throws tool_error if it cannot be
    // opened or is a folder. With own_formats, a file whose first line is
    // one of the tool's own formats (see results_readback) is read as such;
    // without, every file is read as pairs.
    text_samples(const std::string &path, const operand_fields &fields,
                 const own_file_formats *own_formats = nullptr);

    bool next(sample &next_sample);
    std::string position() const { return lines_.position(); }
    uint64_t known_total() const { return 0; }

    // The lines with something to divide from here to the end, counted
    // without checking them; then the stream is back where it was. Only a
    // regular file can be read twice: anything else throws tool_error.
    uint64_t count_samples();
    // Passes over n such lines without checking them.
    void skip(uint64_t n);

private:
    std::string_view current_line() const;
    void choose_reader(std::string_view line);
    bool opens_own_csv_file(std::string_view line) const;
    bool before_chosen_line() const;
    bool holds_sample(std::string_view line);

    text_lines lines_;
    operand_fields fields_;
    const own_file_formats *own_formats_;
    bool format_chosen_ = false;
    std::optional<results_readback> reader_; // empty: pairs
    std::string hint_;
    uint64_t choosing_line_ = 0;
};

} // namespace quodra_div

#endif
