// Where the formatted text goes: standard output, or the -o target.
//   - A regular file (or a new name) is written completely or not at all:
//     the text goes to a temporary beside it, which is renamed over it only
//     after everything has been written and flushed to disk, keeping the
//     old file's mode (and owner and group, when permitted). On any
//     failure, and on every catchable signal whose default action ends the
//     process, the temporary is removed and an existing file is left as it
//     was. SIGXFSZ is ignored: a write past the file-size limit fails.
//     The temporary is handed to the disk every few megabytes as it is
//     written, so the final sync has little left to wait for.
//   - A symlink is followed to its final target, which is replaced the same
//     way; the link itself stays a link.
//   - Devices, FIFOs and sockets are opened and written in place, never
//     replaced; so are /dev/fd/N and /proc/self/fd/N, which write to the
//     tool's own descriptor N.
#ifndef QUODRA_DIV_OUTPUT_OUTPUT_FILE_H
#define QUODRA_DIV_OUTPUT_OUTPUT_FILE_H

#include <sys/stat.h>

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
    void open_in_place(const std::string &path, int descriptor_number);
    void open_temporary(const struct stat *existing);
    [[noreturn]] void fail(const std::string &what);
    void discard_temporary();
    void start_writeback(std::size_t bytes);

    std::string target_; // the file finally written; empty: standard output
    std::string temporary_;
    std::FILE *stream_ = nullptr;
    bool standard_output_ = false;
    bool in_place_ = false;
    off_t writeback_from_ = 0;      // the temporary's bytes asked to be written back
    std::size_t unsynced_bytes_ = 0; // written since
};

} // namespace quodra_div

#endif
