// One output format: a header, then one row per sample, appended to a text
// buffer that the caller writes out batch by batch.
#ifndef QUODRA_DIV_ROW_FORMATTER_H
#define QUODRA_DIV_ROW_FORMATTER_H

#include <memory>
#include <string>

#include "result_layout.h"
#include "sample_source.h"
#include "tool_options.h"

namespace quodra_div {

class row_formatter {
public:
    virtual ~row_formatter() = default;
    virtual void append_header(std::string &out) = 0;
    virtual void append_row(const sample &input, const sample_result &result,
                            std::string &out) = 0;
};

// summary: one line naming the configuration, shown where the format has
// room for it (above the table, as a comment in hex files).
std::unique_ptr<row_formatter> make_row_formatter(output_format format,
                                                  const result_layout &layout,
                                                  const std::string &summary);

} // namespace quodra_div

#endif
