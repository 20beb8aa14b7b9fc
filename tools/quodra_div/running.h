// Running the divisions: the library's model for one configuration, the
// library arrays of one batch, the progress line, and the run loop that
// streams samples through the model a batch at a time and writes each
// batch's rows.
#ifndef QUODRA_DIV_RUNNING_H
#define QUODRA_DIV_RUNNING_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "input.h"
#include "options.h"
#include "quodra.h"

namespace quodra_div {

// The library's model for one configuration, created and destroyed through
// the public C interface, with its messages going to standard error.
class divider_model {
public:
    // Throws tool_error(division_failed) when the library refuses the
    // configuration; the library's own message has been printed by then.
    explicit divider_model(const divider_settings &settings);
    ~divider_model();
    divider_model(const divider_model &) = delete;
    divider_model &operator=(const divider_model &) = delete;

    const quodra_v5_1 *get() const { return model_; }

private:
    quodra_v5_1 *model_;
};

// The library arrays for one batch of samples, allocated once and reused
// for every batch, so a run of any length keeps the same memory.
class sample_batch {
public:
    // Without remainder the library is given no remainder array
    // (fractional output). Throws tool_error if allocation fails.
    sample_batch(std::size_t capacity, bool with_remainder);
    ~sample_batch();
    sample_batch(const sample_batch &) = delete;
    sample_batch &operator=(const sample_batch &) = delete;

    std::size_t capacity() const { return capacity_; }

    void set_operands(std::size_t index, const sample &operands);

    // One library call for the first count samples. Their output slots
    // first get `unwritten_marker`, so that a result the library leaves
    // unwritten is recognised instead of being stale. Throws tool_error
    // (division_failed, no text) when the library refused: its handler has
    // already said why.
    void divide(const quodra_v5_1 *model, std::size_t count, mpz_srcptr unwritten_marker);

    // remainder is untouched without a remainder array. Throws tool_error
    // if the library left a flag other than 0 or 1.
    void read_outputs(std::size_t index, mpz_ptr quotient, mpz_ptr remainder,
                      bool &div_by_zero) const;

private:
    void mark_outputs_unwritten(std::size_t count, mpz_srcptr marker);
    void release();

    std::size_t capacity_;
    qor_array_mpz *divisor_;
    qor_array_mpz *dividend_;
    qor_array_mpz *quotient_;
    qor_array_mpz *remainder_;
    qor_array_uint *div_by_zero_;
};

// While `into` is set on a thread, the library's messages from that
// thread's calls are appended to *into, exactly as they would be printed,
// instead of going to standard error; nullptr prints them again. Returns
// the previous setting. Parallel runs print each batch's messages in
// sample order this way.
std::string *capture_library_messages(std::string *into);

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

// The whole run: check the configuration with the library, then stream
// samples through it a batch at a time and write each batch's rows.
// Throws tool_error for every failure; returns when the output is complete.
void run_divisions(const tool_options &options);

} // namespace quodra_div

#endif
