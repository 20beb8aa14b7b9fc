// The lines of a file or of standard input, read one at a time, so memory
// stays flat however long the file. Sample files (-i) and results files
// (--check) are both read this way.
#ifndef QUODRA_DIV_SAMPLES_TEXT_LINES_H
#define QUODRA_DIV_SAMPLES_TEXT_LINES_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace quodra_div {

class text_lines {
public:
    // path "-" reads standard input ("<stdin>" in messages). Throws
    // tool_error "<flag_prefix>cannot read 'PATH': REASON" if it cannot be
    // opened.
    text_lines(const std::string &path, const std::string &flag_prefix);
    ~text_lines();
    text_lines(const text_lines &) = delete;
    text_lines &operator=(const text_lines &) = delete;

    // The next line, without its line end; false at the end. Throws
    // tool_error when reading fails.
    bool read();
    std::string_view line() const { return std::string_view(line_, length_); }
    uint64_t number() const { return number_; }
    const std::string &display_name() const { return display_name_; }
    // "NAME:LINE", where a message about the current line starts.
    std::string position() const;

    bool is_folder() const;
    bool is_regular_file() const;

    // Where the next line starts, to read from there again: only a regular
    // file can be read twice.
    struct mark {
        off_t offset;
        uint64_t number;
    };
    mark here() const;
    // Throws tool_error when the stream cannot go back.
    void return_to(const mark &place);

private:
    std::string display_name_;
    std::FILE *stream_;
    bool owns_stream_;
    char *line_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
    uint64_t number_ = 0;
};

} // namespace quodra_div

#endif
