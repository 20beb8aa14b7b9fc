#include "row_formatter.h"

#include "csv_formatter.h"
#include "hex_formatter.h"
#include "table_formatter.h"

namespace quodra_div {

std::unique_ptr<row_formatter> make_row_formatter(output_format format,
                                                  const result_layout &layout,
                                                  const std::string &summary) {
    switch (format) {
    case output_format::csv:
        return std::make_unique<csv_formatter>(layout);
    case output_format::hex:
        return std::make_unique<hex_formatter>(layout, summary);
    case output_format::table:
        break;
    }
    return std::make_unique<table_formatter>(layout, summary);
}

} // namespace quodra_div
