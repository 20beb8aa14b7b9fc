#include "check/result_rows.h"

#include "formats/cells.h"
#include "formats/csv_format.h"
#include "formats/results_format.h"
#include "formats/written_widths.h"

namespace quodra_div {

namespace {

// A '#' note a user put above a file's first line: it shows no format. (A
// CSV file's own configuration comment does.)
bool is_note_above_the_rows(std::string_view line) {
    const std::string_view text = trimmed(line);
    return is_csv_comment(text) && !is_csv_configuration_comment(text);
}

} // namespace

result_rows::result_rows(const tool_options &options, const result_layout &layout)
    : options_(options),
      layout_(layout),
      lines_(options.check_path, ""),
      ranges_{layout.dividend_range(), layout.divisor_range(), options.wrap_operands} {}

bool result_rows::find_format() {
    while (!format_) {
        if (!lines_.read()) {
            return false;
        }
        const std::string_view line = lines_.line();
        if (is_note_above_the_rows(line) || trimmed(line).empty()) {
            continue;
        }
        choose_format(line);
        line_pending_ = true;
    }
    return true;
}

std::optional<output_format> result_rows::format() {
    find_format();
    return format_;
}

bool result_rows::read_data_line(std::string_view line, result_row &row) {
    try {
        if (classify_result_line(line, *format_) == line_kind::data) {
            require_configured_widths(line, *format_, layout_);
        }
        if (parse_result_line(line, *format_, layout_, header_, ranges_, row) != line_kind::data) {
            return false;
        }
    } catch (const tool_error &e) {
        throw tool_error(e.status(), lines_.position() + ": " + e.what());
    }
    row.line = lines_.number();
    return true;
}

bool result_rows::next(result_row &row) {
    if (!find_format()) {
        return false;
    }
    while (line_pending_ || lines_.read()) {
        line_pending_ = false;
        if (read_data_line(lines_.line(), row)) {
            return true;
        }
    }
    return false;
}

bool result_rows::next_words(word_row &row) {
    if (!find_format()) {
        return false;
    }
    while (line_pending_ || lines_.read()) {
        line_pending_ = false;
        const std::string_view line = lines_.line();
        if (read_plain_hex_row(trimmed(line), layout_, row)) {
            row.line = lines_.number();
            return true;
        }
        if (read_data_line(line, scratch_)) {
            words_from_result_row(scratch_, layout_, row);
            return true;
        }
    }
    return false;
}

void result_rows::choose_format(std::string_view first_line) {
    format_ = options_.format_given ? options_.format
                                    : detect_results_format(first_line, layout_);
    header_ = expected_header(*format_, layout_, options_.divider);
}

} // namespace quodra_div
