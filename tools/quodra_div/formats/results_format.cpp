#include "formats/results_format.h"

#include <string>

#include "cli/tool_error.h"
#include "formats/cells.h"
#include "formats/csv_format.h"
#include "formats/decimal_row.h"
#include "formats/hex_format.h"
#include "formats/row_formatter.h"
#include "formats/table_format.h"

namespace quodra_div {

output_format detect_results_format(std::string_view first_line, const result_layout &layout) {
    const std::string_view line = trimmed(first_line);
    if (starts_with(line, "//")) {
        return output_format::hex;
    }
    if (starts_with(line, "configuration ")) {
        return output_format::table;
    }
    if (is_csv_configuration_comment(line)) {
        return output_format::csv;
    }
    if (line.find(',') != std::string_view::npos) {
        return output_format::csv;
    }
    const std::vector<std::string_view> cells = blank_separated(line);
    if (cells.size() != hex_row_columns(layout)) {
        return output_format::table;
    }
    for (std::string_view cell : cells) {
        if (cell == "-" || starts_with(cell, "0x") || starts_with(cell, "0X") ||
            starts_with(cell, "dividend")) {
            return output_format::table;
        }
    }
    return output_format::hex;
}

std::size_t data_row_columns(output_format format, const result_layout &layout) {
    return format == output_format::hex ? hex_row_columns(layout) : decimal_row_columns(layout);
}

std::vector<std::string_view> cells_of(std::string_view text, output_format format) {
    return format == output_format::csv ? comma_separated(text) : blank_separated(text);
}

header_lines expected_header(output_format format, const result_layout &layout,
                             const divider_settings &settings) {
    const std::string summary = describe_configuration(settings);
    header_lines header;
    header.configuration = summary.substr(summary.rfind("\": ") + 3);
    // The formatter that writes the header says what its columns are.
    row_formatter formatter(format, layout, "");
    std::string text;
    formatter.append_header(text);
    while (!text.empty() && (text.back() == '\n' || is_blank(text.back()))) {
        text.pop_back();
    }
    std::string_view columns(text);
    if (format == output_format::hex) {
        columns.remove_prefix(2); // "//"
    }
    for (std::string_view cell : cells_of(columns, format)) {
        header.columns.emplace_back(cell);
    }
    return header;
}

line_kind parse_result_line(std::string_view line, output_format format,
                            const result_layout &layout, const header_lines &header,
                            const operand_fields &operand_ranges, result_row &row) {
    if (line.find('\0') != std::string_view::npos) {
        throw usage_error("line holds a NUL byte: is this a text file?");
    }
    const std::string_view text = trimmed(line);
    if (text.empty()) {
        return line_kind::blank;
    }
    const row_reading reading{layout, header, operand_ranges};
    switch (format) {
    case output_format::csv:
        return read_csv_line(text, reading, row);
    case output_format::hex:
        return read_hex_line(text, reading, row);
    case output_format::table:
        break;
    }
    return read_table_line(text, reading, row);
}

line_kind classify_result_line(std::string_view line, output_format format) {
    const std::string_view text = trimmed(line);
    if (text.empty()) {
        return line_kind::blank;
    }
    const bool header = format == output_format::hex   ? is_hex_comment(text)
                        : format == output_format::csv ? is_csv_header(text)
                                                       : is_table_header(text);
    return header ? line_kind::header : line_kind::data;
}

} // namespace quodra_div
