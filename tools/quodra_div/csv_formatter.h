// CSV for scripts: a header row, then decimal values and 0x hex patterns;
// an output the library left undefined is an empty field.
#ifndef QUODRA_DIV_CSV_FORMATTER_H
#define QUODRA_DIV_CSV_FORMATTER_H

#include "number_text.h"
#include "row_formatter.h"

namespace quodra_div {

class csv_formatter : public row_formatter {
public:
    explicit csv_formatter(const result_layout &layout) : layout_(layout) {}

    void append_header(std::string &out) override;
    void append_row(const sample &input, const sample_result &result,
                    std::string &out) override;

private:
    const result_layout &layout_;
    number_text numbers_;
};

} // namespace quodra_div

#endif
