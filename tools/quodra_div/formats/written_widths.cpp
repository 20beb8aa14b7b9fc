#include "formats/written_widths.h"

#include <string>
#include <vector>

#include "cli/tool_error.h"
#include "formats/cells.h"
#include "formats/results_format.h"
#include "numbers/number_text.h"

namespace quodra_div {

namespace {

const char *const give_the_widths = ": give the widths the file was written with";

std::string_view pattern_digits(std::string_view cell) {
    if (starts_with(cell, "0x") || starts_with(cell, "0X")) {
        cell.remove_prefix(2);
    }
    return cell;
}

// "3 hex digits hold a 9- to 12-bit field": what a digit count implies.
std::string widths_held_by(std::size_t digits) {
    if (digits == 0) {
        return "no field";
    }
    const std::size_t widest = 4 * digits;
    return std::to_string(widest - 3) + "- to " + std::to_string(widest) + "-bit field";
}

void require_digits(std::string_view cell, const std::string &what, unsigned width) {
    const std::size_t digits = pattern_digits(cell).size();
    const std::size_t wanted = hex_digits(width);
    if (digits != wanted) {
        throw usage_error(what + " " + quoted_excerpt(cell) + " has " + std::to_string(digits) +
                          " hex digits where the " + std::to_string(width) + "-bit field is " +
                          "written with " + std::to_string(wanted) + " (" +
                          std::to_string(digits) + " hold a " + widths_held_by(digits) + ")" +
                          give_the_widths);
    }
}

// One operand cell of a hex row, as -i has always checked it.
void require_operand_digits(std::string_view cell, const char *role,
                            const operand_range &range) {
    const std::size_t digits = pattern_digits(cell).size();
    const std::size_t wanted = hex_digits(range.width());
    if (digits != wanted) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(cell) + " has " +
                          std::to_string(digits) + " hex digits where the " + range.kind() +
                          " " + role + " field is written with " + std::to_string(wanted) +
                          give_the_widths);
    }
}

} // namespace

void require_written_operand_digits(std::string_view text, const result_layout &layout) {
    const std::vector<std::string_view> cells = blank_separated(trimmed(text));
    require_operand_digits(cells[0], "dividend", layout.dividend_range());
    require_operand_digits(cells[1], "divisor", layout.divisor_range());
}

void require_configured_widths(std::string_view text, output_format format,
                               const result_layout &layout) {
    const std::vector<std::string_view> cells = cells_of(trimmed(text), format);
    if (cells.size() != data_row_columns(format, layout)) {
        return; // reading the row says what is wrong with it
    }
    const bool hex = format == output_format::hex;
    if (hex) {
        require_operand_digits(cells[0], "dividend", layout.dividend_range());
        require_operand_digits(cells[1], "divisor", layout.divisor_range());
    }
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        // hex: one pattern a field; table and CSV: a value, then its pattern
        const std::string_view pattern = cells[hex ? 2 + f : 3 + 2 * f];
        if (!is_undefined_marker(pattern)) {
            require_digits(pattern, hex ? fields[f].name : fields[f].name + "_hex",
                           fields[f].width);
        }
    }
}

} // namespace quodra_div
