// Golden vectors for HDL test benches: one line per sample, every field as
// a fixed-width hex bit pattern of its own width, separated by one space:
//   dividend divisor quotient remainder|fraction div_by_zero
// The rows are bare by default, so that $fscanf reads them as well as
// $readmemh; --header adds '//' comment lines, which only $readmemh skips.
// An output that the
// library left undefined (the High Radix quotient of a zero divisor) is all
// 'x' digits, which $readmemh loads as unknown bits.
#ifndef QUODRA_DIV_HEX_FORMATTER_H
#define QUODRA_DIV_HEX_FORMATTER_H

#include "number_text.h"
#include "row_formatter.h"

namespace quodra_div {

class hex_formatter : public row_formatter {
public:
    hex_formatter(const result_layout &layout, std::string summary)
        : layout_(layout), summary_(std::move(summary)) {}

    void append_header(std::string &out) override;
    void append_row(const sample &input, const sample_result &result,
                    std::string &out) override;

private:
    const result_layout &layout_;
    std::string summary_;
    number_text numbers_;
};

} // namespace quodra_div

#endif
