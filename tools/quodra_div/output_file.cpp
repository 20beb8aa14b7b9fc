#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "options.h"

namespace quodra_div {
namespace {

// The temporary that a fatal signal must remove. A fixed buffer, because
// the signal handler may only call async-signal-safe functions.
char pending_temporary[4096];
constexpr int cleanup_signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_temporary_and_reraise(int signal_number) {
    if (pending_temporary[0] != '\0') {
        unlink(pending_temporary);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void watch_signals_for(const std::string &temporary) {
    if (temporary.size() >= sizeof pending_temporary) {
        return; // too long to remember safely; normal exits still clean up
    }
    std::memcpy(pending_temporary, temporary.c_str(), temporary.size() + 1);
    struct sigaction action {};
    action.sa_handler = remove_temporary_and_reraise;
    sigemptyset(&action.sa_mask);
    for (int signal_number : cleanup_signals) {
        sigaction(signal_number, &action, nullptr);
    }
}

void stop_watching_signals() {
    for (int signal_number : cleanup_signals) {
        std::signal(signal_number, SIG_DFL);
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

tool_error standard_output_failure() {
    return tool_error(exit_status::output_failed,
                      std::string("cannot write standard output: ") + std::strerror(errno));
}

} // namespace

output_file::output_file(const std::string &path) {
    if (path.empty() || path == "-") {
        stream_ = stdout;
        return;
    }
    target_ = path;
    std::vector<char> name(target_.begin(), target_.end());
    const char suffix[] = ".partial-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        throw tool_error(exit_status::output_failed,
                         "cannot write '" + target_ + "': " + std::strerror(errno));
    }
    temporary_ = name.data();
    watch_signals_for(temporary_);
    stream_ = fdopen(descriptor, "w");
    if (stream_ == nullptr) {
        close(descriptor);
        fail("cannot write");
    }
}

output_file::~output_file() {
    if (!is_standard_output()) {
        discard_temporary();
    }
}

bool output_file::is_terminal() const {
    return is_standard_output() && isatty(STDOUT_FILENO) != 0;
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
    const std::string reason = std::strerror(errno);
    discard_temporary();
    throw tool_error(exit_status::output_failed, what + " '" + target_ + "': " + reason);
}

void output_file::write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
        if (is_standard_output()) {
            throw standard_output_failure();
        }
        fail("cannot write");
    }
}

void output_file::finish() {
    if (is_standard_output()) {
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            throw standard_output_failure();
        }
        return;
    }
    if (std::fflush(stream_) != 0 || fchmod(fileno(stream_), permissions_for_new_files()) != 0 ||
        fsync(fileno(stream_)) != 0) {
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
