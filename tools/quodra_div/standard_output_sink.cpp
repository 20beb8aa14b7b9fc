#include "standard_output_sink.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "atomic_file_writer.h"
#include "tool_error.h"

namespace quodra_div {
namespace {

tool_error write_failure() {
    return tool_error(exit_status::output_failed,
                      std::string("cannot write standard output: ") + std::strerror(errno));
}

} // namespace

void standard_output_sink::write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        throw write_failure();
    }
}

void standard_output_sink::finish() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw write_failure();
    }
}

bool standard_output_sink::is_terminal() const { return isatty(STDOUT_FILENO) != 0; }

std::unique_ptr<output_sink> open_output(const std::string &path) {
    if (path.empty() || path == "-") {
        return std::make_unique<standard_output_sink>();
    }
    return std::make_unique<atomic_file_writer>(path);
}

} // namespace quodra_div
