#include "formats/row_formatter.h"

#include <type_traits>
#include <utility>

namespace quodra_div {

namespace {

std::variant<table_writer, csv_writer, hex_writer>
writer_for(output_format format, const result_layout &layout, std::string summary) {
    switch (format) {
    case output_format::csv:
        return csv_writer(layout, std::move(summary));
    case output_format::hex:
        return hex_writer(layout, std::move(summary));
    case output_format::table:
        break;
    }
    return table_writer(layout, std::move(summary));
}

} // namespace

row_formatter::row_formatter(output_format format, const result_layout &layout,
                             std::string summary)
    : writer_(writer_for(format, layout, std::move(summary))) {}

void row_formatter::append_header(std::string &out) {
    std::visit([&](auto &writer) { writer.append_header(out); }, writer_);
}

void row_formatter::append_row(const sample &input, const sample_result &result,
                               std::string &out) {
    std::visit([&](auto &writer) { writer.append_row(input, result, out); }, writer_);
}

bool row_formatter::writes_words(output_format format) {
    return format == output_format::hex || format == output_format::csv ||
           format == output_format::table;
}

void row_formatter::append_word_row(uint64_t dividend, uint64_t divisor,
                                    const word_result &result, std::string &out) const {
    std::visit(
        [&](const auto &writer) { writer.append_word_row(dividend, divisor, result, out); },
        writer_);
}

} // namespace quodra_div
