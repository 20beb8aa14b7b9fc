#include "samples/text_lines.h"

#include <stdio_ext.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/tool_error.h"

namespace quodra_div {

text_lines::text_lines(const std::string &path, const std::string &flag_prefix)
    : display_name_(path == "-" ? "<stdin>" : path),
      stream_(path == "-" ? stdin : std::fopen(path.c_str(), "r")),
      owns_stream_(path != "-") {
    if (stream_ == nullptr) {
        throw usage_error(flag_prefix + "cannot read '" + path + "': " + std::strerror(errno));
    }
    // One thread reads the stream: each line need not take the stream's lock.
    __fsetlocking(stream_, FSETLOCKING_BYCALLER);
}

text_lines::~text_lines() {
    std::free(line_);
    if (owns_stream_) {
        std::fclose(stream_);
    }
}

bool text_lines::read() {
    errno = 0;
    const ssize_t length = getline(&line_, &capacity_, stream_);
    if (length < 0) {
        // getline also fails short of the end when a line does not fit in
        // memory (ENOMEM) or in a length (EOVERFLOW), with no stream error:
        // only the end of the file ends the input.
        if (std::ferror(stream_) || !std::feof(stream_)) {
            const int reason = errno != 0 ? errno : EIO;
            throw usage_error("cannot read '" + display_name_ + "' at line " +
                              std::to_string(number_ + 1) + ": " + std::strerror(reason));
        }
        return false;
    }
    length_ = static_cast<std::size_t>(length);
    ++number_;
    if (length_ > 0 && line_[length_ - 1] == '\n') {
        --length_;
    }
    return true;
}

std::string text_lines::position() const {
    return display_name_ + ":" + std::to_string(number_);
}

bool text_lines::is_folder() const {
    struct stat status {};
    return fstat(fileno(stream_), &status) == 0 && S_ISDIR(status.st_mode);
}

bool text_lines::is_regular_file() const {
    struct stat status {};
    return fstat(fileno(stream_), &status) == 0 && S_ISREG(status.st_mode);
}

text_lines::mark text_lines::here() const { return {ftello(stream_), number_}; }

void text_lines::return_to(const mark &place) {
    if (place.offset < 0 || fseeko(stream_, place.offset, SEEK_SET) != 0) {
        throw usage_error("cannot read '" + display_name_ + "' again: " + std::strerror(errno));
    }
    std::clearerr(stream_);
    number_ = place.number;
}

} // namespace quodra_div
