// Where formatted text goes: standard output, or a file that appears only
// when it is complete.
#ifndef QUODRA_DIV_OUTPUT_SINK_H
#define QUODRA_DIV_OUTPUT_SINK_H

#include <memory>
#include <string>
#include <string_view>

namespace quodra_div {

class output_sink {
public:
    virtual ~output_sink() = default;
    // Both throw tool_error with exit_status::output_failed.
    virtual void write(std::string_view text) = 0;
    // Called once after the last write; the output is then complete.
    virtual void finish() = 0;
    // True when the output is a terminal that a progress line would disturb.
    virtual bool is_terminal() const = 0;
};

// An empty path or "-" means standard output.
std::unique_ptr<output_sink> open_output(const std::string &path);

} // namespace quodra_div

#endif
