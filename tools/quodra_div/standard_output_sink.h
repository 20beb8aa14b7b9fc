// Output to standard output, through stdio's buffer.
#ifndef QUODRA_DIV_STANDARD_OUTPUT_SINK_H
#define QUODRA_DIV_STANDARD_OUTPUT_SINK_H

#include "output_sink.h"

namespace quodra_div {

class standard_output_sink : public output_sink {
public:
    void write(std::string_view text) override;
    void finish() override;
    bool is_terminal() const override;
};

} // namespace quodra_div

#endif
