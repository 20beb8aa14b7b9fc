// The readable table: aligned columns, decimal and hex for every output
// field, and in fractional mode the quotient as an exact real number.
// Column widths follow from the field widths, so rows stream out aligned
// without buffering the whole run.
#ifndef QUODRA_DIV_TABLE_FORMATTER_H
#define QUODRA_DIV_TABLE_FORMATTER_H

#include <vector>

#include "number_text.h"
#include "row_formatter.h"

namespace quodra_div {

class table_formatter : public row_formatter {
public:
    table_formatter(const result_layout &layout, std::string summary);

    void append_header(std::string &out) override;
    void append_row(const sample &input, const sample_result &result,
                    std::string &out) override;

private:
    void append_cell(std::string &out, std::size_t column, const std::string &text);
    std::string real_cell(const sample_result &result);

    const result_layout &layout_;
    std::string summary_;
    std::vector<std::string> headers_;
    std::vector<std::size_t> widths_;
    number_text numbers_;
    std::string cell_;
};

} // namespace quodra_div

#endif
