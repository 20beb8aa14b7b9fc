// Failures of the tool itself, each carrying the exit status it ends with.
#ifndef QUODRA_DIV_TOOL_ERROR_H
#define QUODRA_DIV_TOOL_ERROR_H

#include <stdexcept>
#include <string>

namespace quodra_div {

// The documented exit statuses of quodra-div.
enum class exit_status : int {
    success = 0,
    division_failed = 1, // the library refused the configuration or a division
    bad_usage_or_input = 2,
    output_failed = 3,
};

class tool_error : public std::runtime_error {
public:
    // An empty message means the reason has already been printed (the
    // library's handler reports its own failures).
    tool_error(exit_status status, const std::string &message)
        : std::runtime_error(message), status_(status) {}

    exit_status status() const { return status_; }

private:
    exit_status status_;
};

inline tool_error usage_error(const std::string &message) {
    return tool_error(exit_status::bad_usage_or_input, message);
}

} // namespace quodra_div

#endif
