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

bool result_rows::next(result_row &row) {
    while (lines_.read()) {
        const std::string_view line = lines_.line();
        if (!format_ && is_note_above_the_rows(line)) {
            continue;
        }
        if (!format_ && !trimmed(line).empty()) {
            choose_format(line);
        }
        if (!format_) {
            continue;
        }
        try {
            if (classify_result_line(line, *format_) == line_kind::data) {
                require_configured_widths(line, *format_, layout_);
            }
            if (parse_result_line(line, *format_, layout_, header_, ranges_, row) !=
                line_kind::data) {
                continue;
            }
        } catch (const tool_error &e) {
            throw tool_error(e.status(), lines_.position() + ": " + e.what());
        }
        row.line = lines_.number();
        return true;
    }
    return false;
}

void result_rows::choose_format(std::string_view first_line) {
    format_ = options_.format_given ? options_.format
                                    : detect_results_format(first_line, layout_);
    header_ = expected_header(*format_, layout_, options_.divider);
}

} // namespace quodra_div
