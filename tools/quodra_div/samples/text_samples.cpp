#include "samples/text_samples.h"

#include <cstring>

#include "cli/tool_error.h"
#include "formats/cells.h"
#include "formats/csv_format.h"
#include "samples/sample_line.h"

namespace quodra_div {

text_samples::text_samples(const std::string &path, const operand_fields &fields,
                           const own_file_formats *own_formats)
    : lines_(path, "--input: "), fields_(fields), own_formats_(own_formats) {
    // A folder opens for reading but yields no lines: refuse it before any
    // output exists.
    if (lines_.is_folder()) {
        throw usage_error("--input: '" + lines_.display_name() +
                          "' is a folder; expected a file of DIVIDEND DIVISOR lines");
    }
}

// Editors on some systems start UTF-8 text with a byte-order mark.
std::string_view text_samples::current_line() const {
    static constexpr char byte_order_mark[] = "\xef\xbb\xbf";
    std::string_view line = lines_.line();
    if (lines_.number() == 1 && line.size() >= 3 &&
        std::memcmp(line.data(), byte_order_mark, 3) == 0) {
        line.remove_prefix(3);
    }
    return line;
}

// The first line with something on it decides how the whole file is read:
// a sample, or the configuration comment that opens a CSV file the tool
// wrote (a '#' line to the pair reader, but one that must agree with the
// flags).
void text_samples::choose_reader(std::string_view line) {
    if (format_chosen_ || !(has_sample_text(line) || opens_own_csv_file(line))) {
        return;
    }
    format_chosen_ = true;
    choosing_line_ = lines_.number();
    if (own_formats_ != nullptr && line.find('\0') == std::string_view::npos) {
        try {
            reader_ = results_readback::recognise(line, *own_formats_, fields_.wrap, hint_);
        } catch (const tool_error &e) {
            throw tool_error(e.status(), position() + ": " + e.what());
        }
    }
}

// Lines above the one that chose the reader hold no sample (it is the first
// line with sample text). Counting for --shard reads the whole file first
// and chooses the reader there, so when the file is read again from the top
// these lines must not reach that reader.
bool text_samples::before_chosen_line() const {
    return format_chosen_ && lines_.number() < choosing_line_;
}

bool text_samples::opens_own_csv_file(std::string_view line) const {
    return own_formats_ != nullptr && is_csv_configuration_comment(trimmed(line));
}

bool text_samples::holds_sample(std::string_view line) {
    choose_reader(line);
    if (before_chosen_line()) return false;
    return reader_ ? reader_->holds_sample(line) : has_sample_text(line);
}

bool text_samples::next(sample &next_sample) {
    while (lines_.read()) {
        const std::string_view line = current_line();
        choose_reader(line);
        if (before_chosen_line()) continue;
        try {
            if (line.find('\0') != std::string_view::npos) {
                throw usage_error("line holds a NUL byte: is this a text file?");
            }
            if (reader_ ? reader_->parse(line, next_sample)
                        : parse_sample_line(line, fields_, next_sample)) {
                return true;
            }
        } catch (const tool_error &e) {
            std::string message = position() + ": " + e.what();
            if (!reader_ && lines_.number() == choosing_line_ && !hint_.empty()) {
                message += " (" + hint_ + ")";
            }
            throw tool_error(e.status(), message);
        }
    }
    return false;
}

uint64_t text_samples::count_samples() {
    if (!lines_.is_regular_file()) {
        throw usage_error("--shard counts the samples of its input first, so the input must "
                          "be a regular file ('" +
                          lines_.display_name() +
                          "' is not): save the samples to a file and give that to -i");
    }
    const text_lines::mark start = lines_.here();
    uint64_t count = 0;
    while (lines_.read()) {
        count += holds_sample(current_line()) ? 1 : 0;
    }
    lines_.return_to(start);
    return count;
}

void text_samples::skip(uint64_t n) {
    while (n > 0 && lines_.read()) {
        n -= holds_sample(current_line()) ? 1 : 0;
    }
}

} // namespace quodra_div
