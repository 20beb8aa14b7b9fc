#include "run/progress_meter.h"

#include <unistd.h>

#include <cstdio>

namespace quodra_div {

namespace {

// Short runs stay quiet; long ones refresh a few times a second.
constexpr std::chrono::milliseconds quiet_start{1000};
constexpr std::chrono::milliseconds refresh_interval{250};

} // namespace

progress_meter::progress_meter(bool wanted, bool output_on_terminal, uint64_t total)
    : enabled_(wanted && !output_on_terminal && isatty(STDERR_FILENO) != 0),
      total_(total),
      started_(clock::now()),
      last_shown_(started_) {}

progress_meter::~progress_meter() { finish(); }

void progress_meter::update(uint64_t done) {
    if (!enabled_) {
        return;
    }
    const clock::time_point now = clock::now();
    if (now - started_ < quiet_start || now - last_shown_ < refresh_interval) {
        return;
    }
    last_shown_ = now;
    int printed = 0;
    if (total_ > 0) {
        printed = std::fprintf(stderr, "\rquodra-div: %llu of %llu samples (%.0f%%)",
                     static_cast<unsigned long long>(done),
                     static_cast<unsigned long long>(total_), 100.0 * done / total_);
    } else {
        printed = std::fprintf(stderr, "\rquodra-div: %llu samples",
                               static_cast<unsigned long long>(done));
    }
    shown_length_ = printed > 1 ? printed - 1 : 0;
    std::fflush(stderr);
}

void progress_meter::finish() {
    if (shown_length_ > 0) {
        std::fprintf(stderr, "\r%*s\r", shown_length_, "");
        std::fflush(stderr);
        shown_length_ = 0;
    }
}

} // namespace quodra_div
