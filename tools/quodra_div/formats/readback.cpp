#include "formats/readback.h"

#include <vector>

#include "cli/tool_error.h"
#include "formats/cells.h"
#include "formats/csv_format.h"
#include "formats/hex_format.h"
#include "formats/written_widths.h"
#include "formats/results_format.h"

namespace quodra_div {

results_readback::results_readback(output_format format, const own_file_formats &formats,
                                   bool wrap)
    : format_(format),
      layout_(&formats.layout),
      header_(expected_header(format, formats.layout, formats.settings)),
      wrap_(wrap) {}

std::optional<results_readback> results_readback::recognise(std::string_view first_line,
                                                            const own_file_formats &formats,
                                                            bool wrap, std::string &hint) {
    const output_format format = detect_results_format(first_line, formats.layout);
    results_readback reader(format, formats, wrap);
    const std::vector<std::string_view> cells = cells_of(trimmed(first_line), format);
    sample first;
    if (classify_result_line(first_line, format) == line_kind::header) {
        // "dividend divisor" is a pair line the pair reader refuses.
        if (format != output_format::hex && cells.size() <= 2 &&
            !is_csv_configuration_comment(trimmed(first_line))) {
            return std::nullopt;
        }
        reader.parse(first_line, first); // a header must agree with the flags
        return reader;
    }
    // Only a full row of the format: a pair file with a stray third cell
    // keeps the pair reader's error.
    if (cells.size() <= 2 || cells.size() != data_row_columns(format, formats.layout)) {
        return std::nullopt;
    }
    try {
        reader.parse(first_line, first);
    } catch (const tool_error &e) {
        hint = std::string("nor is it a ") + format_name(format) +
               " row of this configuration: " + e.what();
        return std::nullopt;
    }
    return reader;
}

bool results_readback::parse(std::string_view line, sample &result) {
    const operand_fields ranges{layout_->dividend_range(), layout_->divisor_range(), wrap_};
    if (parse_result_line(line, format_, *layout_, header_, ranges, row_) != line_kind::data) {
        return false;
    }
    if (format_ == output_format::hex) {
        require_written_operand_digits(line, *layout_);
    }
    mpz_set(result.dividend.get(), row_.operands.dividend.get());
    mpz_set(result.divisor.get(), row_.operands.divisor.get());
    return true;
}

bool results_readback::holds_sample(std::string_view line) const {
    return classify_result_line(line, format_) == line_kind::data;
}

} // namespace quodra_div
