// Samples read line by line from a file or standard input.
#ifndef QUODRA_DIV_TEXT_SAMPLE_SOURCE_H
#define QUODRA_DIV_TEXT_SAMPLE_SOURCE_H

#include <cstdio>

#include "sample_source.h"

namespace quodra_div {

class text_sample_source : public sample_source {
public:
    // path "-" reads standard input. Throws tool_error if it cannot be opened.
    explicit text_sample_source(const std::string &path);
    ~text_sample_source() override;
    text_sample_source(const text_sample_source &) = delete;
    text_sample_source &operator=(const text_sample_source &) = delete;

    bool next(sample &next_sample) override;
    std::string position() const override;

private:
    bool read_line();

    std::string display_name_;
    std::FILE *stream_;
    bool owns_stream_;
    char *line_ = nullptr;
    std::size_t line_capacity_ = 0;
    std::size_t line_length_ = 0;
    uint64_t line_number_ = 0;
};

} // namespace quodra_div

#endif
