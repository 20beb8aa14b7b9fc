#include "text_sample_source.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sample_line.h"
#include "tool_error.h"

namespace quodra_div {

text_sample_source::text_sample_source(const std::string &path)
    : display_name_(path == "-" ? "<stdin>" : path),
      stream_(path == "-" ? stdin : std::fopen(path.c_str(), "r")),
      owns_stream_(path != "-") {
    if (stream_ == nullptr) {
        throw usage_error("cannot read '" + path + "': " + std::strerror(errno));
    }
}

text_sample_source::~text_sample_source() {
    std::free(line_);
    if (owns_stream_) {
        std::fclose(stream_);
    }
}

bool text_sample_source::read_line() {
    errno = 0;
    const ssize_t length = getline(&line_, &line_capacity_, stream_);
    if (length < 0) {
        if (std::ferror(stream_)) {
            throw usage_error("cannot read '" + display_name_ + "': " + std::strerror(errno));
        }
        return false;
    }
    line_length_ = static_cast<std::size_t>(length);
    ++line_number_;
    if (line_length_ > 0 && line_[line_length_ - 1] == '\n') {
        --line_length_;
    }
    return true;
}

bool text_sample_source::next(sample &next_sample) {
    while (read_line()) {
        const std::string_view line(line_, line_length_);
        try {
            if (line.find('\0') != std::string_view::npos) {
                throw usage_error("line holds a NUL byte: is this a text file?");
            }
            if (parse_sample_line(line, next_sample.dividend.get(), next_sample.divisor.get())) {
                return true;
            }
        } catch (const tool_error &e) {
            throw tool_error(e.status(), position() + ": " + e.what());
        }
    }
    return false;
}

std::string text_sample_source::position() const {
    return display_name_ + ":" + std::to_string(line_number_);
}

} // namespace quodra_div
