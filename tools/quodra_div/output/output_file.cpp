#include "output/output_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/tool_error.h"

namespace quodra_div {
namespace {

// The temporary that a fatal signal must remove. A fixed buffer, because
// the signal handler may only call async-signal-safe functions.
char pending_temporary[4096];
// Every signal whose default action ends the process, SIGKILL and SIGSTOP
// aside (they cannot be caught). SIGXFSZ is not among them: the tool
// ignores it, so that a write past the file-size limit fails with EFBIG and
// ends as any other failed write, with a message.
constexpr int cleanup_signals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGPIPE, SIGUSR1, SIGUSR2,
                                   SIGXCPU, SIGALRM, SIGVTALRM, SIGPROF, SIGQUIT, SIGABRT,
                                   SIGSEGV, SIGBUS,  SIGILL,    SIGFPE,  SIGTRAP, SIGSYS};

// Runs with the signal's default action already restored (SA_RESETHAND)
// and the signal not blocked (SA_NODEFER): raising it again ends the
// process as the signal would have, once the temporary is gone.
extern "C" void remove_temporary_and_reraise(int signal_number) {
    if (pending_temporary[0] != '\0') {
        unlink(pending_temporary);
    }
    std::raise(signal_number);
}

constexpr std::size_t cleanup_signal_count = sizeof cleanup_signals / sizeof cleanup_signals[0];
// Which signals got the handler: only those whose action was the default;
// one the caller ignores (nohup's SIGHUP) stays ignored.
bool watching[cleanup_signal_count];

void watch_signals_for(const std::string &temporary) {
    if (temporary.size() >= sizeof pending_temporary) {
        return; // too long to remember safely; normal exits still clean up
    }
    std::memcpy(pending_temporary, temporary.c_str(), temporary.size() + 1);
    struct sigaction action {};
    action.sa_handler = remove_temporary_and_reraise;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < cleanup_signal_count; ++i) {
        struct sigaction previous {};
        watching[i] = sigaction(cleanup_signals[i], nullptr, &previous) == 0 &&
                      previous.sa_handler == SIG_DFL &&
                      sigaction(cleanup_signals[i], &action, nullptr) == 0;
    }
}

void stop_watching_signals() {
    for (std::size_t i = 0; i < cleanup_signal_count; ++i) {
        if (watching[i]) {
            std::signal(cleanup_signals[i], SIG_DFL);
            watching[i] = false;
        }
    }
    pending_temporary[0] = '\0';
}

// mkstemp creates files readable by the owner only; a finished output gets
// the permissions any new file of the user would get.
mode_t permissions_for_new_files() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

tool_error output_error(const std::string &what, const std::string &path) {
    return tool_error(exit_status::output_failed,
                      "--output: " + what + " '" + path + "': " + std::strerror(errno));
}

// N for "/dev/fd/N" and "/proc/self/fd/N", else -1.
int descriptor_number_of(const std::string &path) {
    for (const char *prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::size_t length = std::strlen(prefix);
        if (path.compare(0, length, prefix) != 0 || path.size() == length ||
            path.size() > length + 9 ||
            path.find_first_not_of("0123456789", length) != std::string::npos) {
            continue;
        }
        return std::atoi(path.c_str() + length);
    }
    return -1;
}

// Replacing a file goes through rename, which needs only the folder's
// permission: a file its owner made read-only would be replaced all the
// same. So the file's own permission decides: the kernel's answer for the
// caller, and for root (whom the kernel lets write anything) whether any
// write bit is set at all.
bool write_protected(const std::string &path, const struct stat &status) {
    if (geteuid() == 0) {
        return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    }
    return access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

std::string folder_of(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symlinks to the name finally written. Stops early at a
// descriptor name; a dangling link ends at the name it points to, which
// is then created.
std::string final_target(const std::string &path) {
    constexpr int most_links = 40; // as the kernel allows
    std::string current = path;
    for (int hop = 0; hop < most_links && descriptor_number_of(current) < 0; ++hop) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::vector<char> link(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) +
                               1);
        const ssize_t length = readlink(current.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size()) {
            throw output_error("cannot follow the link", current);
        }
        const std::string destination(link.data(), static_cast<std::size_t>(length));
        current = destination.front() == '/' ? destination : folder_of(current) + destination;
    }
    return current;
}

} // namespace

output_file::output_file(const std::string &path) {
    // Past the file-size limit a write then fails with EFBIG, reported like
    // any failed write, instead of the process ending without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    if (path.empty() || path == "-") {
        standard_output_ = true;
        stream_ = stdout;
        return;
    }
    target_ = final_target(path);
    const int descriptor_number = descriptor_number_of(target_);
    if (descriptor_number >= 0) {
        open_in_place(target_, descriptor_number);
        return;
    }
    struct stat existing {};
    if (stat(target_.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            throw output_error("cannot write", target_);
        }
        open_temporary(nullptr);
        return;
    }
    if (S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        throw output_error("cannot write", target_);
    }
    if (S_ISREG(existing.st_mode)) {
        if (write_protected(target_, existing)) {
            throw tool_error(exit_status::output_failed,
                             "--output: '" + target_ +
                                 "' is write-protected; change its mode to replace it");
        }
        open_temporary(&existing);
        return;
    }
    open_in_place(target_, -1);
}

// Devices, FIFOs, sockets and inherited descriptors: written where they
// are, since replacing them would break whatever reads them.
void output_file::open_in_place(const std::string &path, int descriptor_number) {
    in_place_ = true;
    int descriptor = -1;
    if (descriptor_number >= 0) {
        descriptor = fcntl(descriptor_number, F_DUPFD_CLOEXEC, 0);
    } else {
        struct stat status {};
        if (stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            if (descriptor >= 0 && path.size() < sizeof address.sun_path) {
                std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
                if (connect(descriptor, reinterpret_cast<const sockaddr *>(&address),
                            sizeof address) != 0) {
                    const int reason = errno;
                    close(descriptor);
                    descriptor = -1;
                    errno = reason;
                }
            } else if (descriptor >= 0) {
                close(descriptor);
                descriptor = -1;
                errno = ENAMETOOLONG;
            }
        } else {
            descriptor = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        }
    }
    if (descriptor < 0) {
        throw output_error("cannot write", path);
    }
    stream_ = fdopen(descriptor, "w");
    if (stream_ == nullptr) {
        close(descriptor);
        throw output_error("cannot write", path);
    }
}

// A temporary beside the file, later renamed over it. An existing file's
// mode, owner and group carry over; a new one gets the permissions any new
// file of the user would get (mkstemp's are owner-only).
void output_file::open_temporary(const struct stat *existing) {
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".partial-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        throw output_error("cannot write", target_);
    }
    temporary_ = name.data();
    watch_signals_for(temporary_);
    stream_ = fdopen(descriptor, "w");
    if (stream_ == nullptr) {
        close(descriptor);
        fail("cannot write");
    }
    mode_t mode = permissions_for_new_files();
    if (existing != nullptr) {
        // Only root may give a file away; others keep their own ownership.
        if (fchown(descriptor, existing->st_uid, existing->st_gid) != 0 && errno != EPERM) {
            fail("cannot write");
        }
        mode = existing->st_mode & 07777;
    }
    if (fchmod(descriptor, mode) != 0) {
        fail("cannot write");
    }
}

output_file::~output_file() {
    if (!standard_output_) {
        discard_temporary();
    }
}

bool output_file::is_terminal() const {
    return (standard_output_ || in_place_) && stream_ != nullptr && isatty(fileno(stream_)) != 0;
}

void output_file::discard_temporary() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
        stop_watching_signals();
    }
}

void output_file::fail(const std::string &what) {
    const int reason = errno;
    discard_temporary();
    errno = reason;
    throw output_error(what, target_);
}

void output_file::write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
        if (standard_output_) {
            throw tool_error(exit_status::output_failed,
                             std::string("cannot write standard output: ") + std::strerror(errno));
        }
        fail("cannot write");
    }
    if (!temporary_.empty()) {
        start_writeback(text.size());
    }
}

// The temporary is synced to disk before the rename; asking the kernel to
// start writing it back every few megabytes lets the disk work while the
// rows are still being made, instead of all of it in that last sync.
void output_file::start_writeback(std::size_t bytes) {
    constexpr std::size_t writeback_step = std::size_t{8} << 20;
    unsynced_bytes_ += bytes;
    if (unsynced_bytes_ < writeback_step) {
        return;
    }
    // Only a hint: a refusal leaves it all to the final fsync.
    sync_file_range(fileno(stream_), writeback_from_, 0, SYNC_FILE_RANGE_WRITE);
    writeback_from_ += static_cast<off_t>(unsynced_bytes_);
    unsynced_bytes_ = 0;
}

void output_file::finish() {
    if (standard_output_) {
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            throw tool_error(exit_status::output_failed,
                             std::string("cannot write standard output: ") + std::strerror(errno));
        }
        return;
    }
    if (in_place_) {
        const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
        const int closed = std::fclose(stream_);
        stream_ = nullptr;
        if (!flushed || closed != 0) {
            fail("cannot write");
        }
        return;
    }
    if (std::fflush(stream_) != 0 || fsync(fileno(stream_)) != 0) {
        fail("cannot write");
    }
    const int closed = std::fclose(stream_);
    stream_ = nullptr;
    if (closed != 0) {
        fail("cannot write");
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail("cannot replace");
    }
    temporary_.clear();
    stop_watching_signals();
}

} // namespace quodra_div
