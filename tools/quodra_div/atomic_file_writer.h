// An output file written completely or not at all: the text goes to a
// temporary file beside the target, which is renamed over the target only
// after everything has been written and flushed to disk. On any failure,
// and on SIGINT, SIGTERM or SIGHUP, the temporary is removed and an
// existing target is left as it was.
#ifndef QUODRA_DIV_ATOMIC_FILE_WRITER_H
#define QUODRA_DIV_ATOMIC_FILE_WRITER_H

#include <cstdio>

#include "output_sink.h"

namespace quodra_div {

class atomic_file_writer : public output_sink {
public:
    // Creates the temporary; throws tool_error if that is impossible.
    explicit atomic_file_writer(std::string target);
    ~atomic_file_writer() override;
    atomic_file_writer(const atomic_file_writer &) = delete;
    atomic_file_writer &operator=(const atomic_file_writer &) = delete;

    void write(std::string_view text) override;
    // Flushes, syncs and renames the temporary onto the target.
    void finish() override;
    bool is_terminal() const override { return false; }

private:
    [[noreturn]] void fail(const std::string &what);
    void discard_temporary();

    std::string target_;
    std::string temporary_;
    std::FILE *stream_ = nullptr;
};

} // namespace quodra_div

#endif
