// Where the formatted text goes: standard output, or a file that appears
// only when it is complete. The text for a file goes to a temporary beside
// the target, which is renamed over the target only after everything has
// been written and flushed to disk. On any failure, and on SIGINT, SIGTERM
// or SIGHUP, the temporary is removed and an existing target is left as it
// was.
#ifndef QUODRA_DIV_OUTPUT_FILE_H
#define QUODRA_DIV_OUTPUT_FILE_H

#include <cstdio>
#include <string>
#include <string_view>

namespace quodra_div {

class output_file {
public:
    // An empty path or "-" means standard output. For a file, creates the
    // temporary; throws tool_error (output_failed) if that is impossible.
    explicit output_file(const std::string &path);
    ~output_file();
    output_file(const output_file &) = delete;
    output_file &operator=(const output_file &) = delete;

    // Both throw tool_error with exit_status::output_failed.
    void write(std::string_view text);
    // Called once after the last write; the output is then complete (a
    // file is flushed, synced and renamed onto its target).
    void finish();

    // True when the output is a terminal that a progress line would disturb.
    bool is_terminal() const;

private:
    bool is_standard_output() const { return target_.empty(); }
    [[noreturn]] void fail(const std::string &what);
    void discard_temporary();

    std::string target_; // empty: standard output
    std::string temporary_;
    std::FILE *stream_ = nullptr;
};

} // namespace quodra_div

#endif
