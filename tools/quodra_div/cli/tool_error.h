// Every failure of quodra-div ends in a tool_error carrying its exit
// status; its messages quote user text through quoted_excerpt.
#ifndef QUODRA_DIV_CLI_TOOL_ERROR_H
#define QUODRA_DIV_CLI_TOOL_ERROR_H

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quodra_div {

// The documented exit statuses of quodra-div.
enum class exit_status : int {
    success = 0,
    division_failed = 1, // the library refused the configuration or a division
    bad_usage_or_input = 2,
    output_failed = 3,
    results_differ = 4, // --check: a row of the file disagrees with the model
    coverage_missed = 5, // --require-coverage: a required corner bin holds no row
};

// A failure of the tool itself, carrying the exit status it ends with.
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

// Longest stretch of user text or of a number that a message quotes.
constexpr std::size_t longest_quoted = 40;

// text cut to longest_quoted characters, "..." marking a cut.
std::string shortened(std::string_view text);

// The offending text as it goes into a message: quoted, shortened when
// very long, with control characters escaped.
std::string quoted_excerpt(std::string_view text);

} // namespace quodra_div

#endif
