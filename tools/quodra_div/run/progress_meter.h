// The progress line of long runs.
#ifndef QUODRA_DIV_RUN_PROGRESS_METER_H
#define QUODRA_DIV_RUN_PROGRESS_METER_H

#include <chrono>
#include <cstdint>

namespace quodra_div {

// A progress line on standard error for long runs, shown only when
// standard error is a terminal and the results are not going to that
// terminal, so it never ends up in files or pipes.
class progress_meter {
public:
    // total 0: not known in advance.
    progress_meter(bool wanted, bool output_on_terminal, uint64_t total);
    ~progress_meter();
    progress_meter(const progress_meter &) = delete;
    progress_meter &operator=(const progress_meter &) = delete;

    void update(uint64_t done);
    // Erases the line, if one was shown.
    void finish();

private:
    using clock = std::chrono::steady_clock;

    bool enabled_;
    uint64_t total_;
    clock::time_point started_;
    clock::time_point last_shown_;
    int shown_length_ = 0; // characters of the line on screen, 0: none
};

} // namespace quodra_div

#endif
