#include "run/parallel_word_run.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/coverage_tally.h"
#include "run/parallel_run.h"
#include "run/word_route.h"
#include "run/worker_pool.h"

namespace quodra_div {

namespace {

// One batch of the word route and all a worker needs to finish it alone:
// the claimed sample indices, the words, a GNU MP batch for a batch out of
// the word batch's reach, a formatter (it keeps scratch buffers) and the
// text and messages it made.
struct word_slot {
    word_slot(const tool_options &options, const result_layout &layout,
              const std::string &summary, bool counting)
        : words(options.batch_size, layout.dividend_range().is_signed()),
          gnu_mp(options.batch_size, layout.has_remainder()),
          formatter(options.format, layout, summary) {
        if (counting) {
            coverage.emplace(shape_of(options.divider));
            tally.emplace(*coverage, layout);
        }
    }

    void reset() {
        if (coverage) coverage->clear();
        text.clear();
        messages.clear();
        failure = nullptr;
        rows = 0;
        done = false;
    }

    uint64_t first = 0;     // the batch's first sample index
    std::size_t count = 0;  // samples claimed
    bool with_header = false;
    word_division_batch words;
    division_batch gnu_mp;
    row_formatter formatter;
    std::string text;
    std::string messages;       // the library's, in call order
    std::exception_ptr failure; // the division or decoding failed
    std::size_t rows = 0;       // rows written
    bool done = false;          // guarded by the pool's mutex
    // This batch's rows in the corner bins, added to the run's by the
    // writer (a worker never touches another batch's tally).
    std::optional<quodra_diagnosis::corner_coverage> coverage;
    std::optional<word_tally> tally;
};

void finish_word_batch(word_slot &slot, const sample_source &source,
                       const prepared_divider &divider) {
    std::string *previous = capture_library_messages(&slot.messages);
    try {
        slot.words.fill_claimed(source, slot.first, slot.count);
        if (slot.with_header) {
            slot.formatter.append_header(slot.text);
        }
        slot.rows = divide_and_append_rows(slot.words, slot.gnu_mp, divider.model,
                                           divider.layout, slot.formatter, slot.text,
                                           slot.tally ? &*slot.tally : nullptr);
    } catch (...) {
        slot.failure = std::current_exception();
    }
    capture_library_messages(previous);
}

// Writes a finished batch on the worker that holds the commit turn: the
// library's messages, then its rows, its bins and the progress; stores the
// failure that must end the run after the rows before it and returns false.
bool commit_word_batch(word_slot &slot, output_file &sink, progress_meter &progress,
                       quodra_diagnosis::corner_coverage *coverage, uint64_t &done,
                       std::exception_ptr &stopped_by) {
    if (!slot.messages.empty()) {
        std::fputs(slot.messages.c_str(), stderr);
    }
    try {
        if (slot.failure) {
            std::rethrow_exception(slot.failure);
        }
        sink.write(slot.text);
        if (coverage != nullptr) coverage->merge(*slot.coverage);
        done += slot.rows;
        progress.update(done);
        if (slot.gnu_mp.input_problem()) {
            std::rethrow_exception(slot.gnu_mp.input_problem()); // after the rows before it
        }
    } catch (...) {
        stopped_by = std::current_exception();
        return false;
    }
    return true;
}

} // namespace

void run_word_batches_in_parallel(const tool_options &options, const prepared_divider &divider,
                                  sample_source &source, const std::string &summary,
                                  output_file &sink, progress_meter &progress,
                                  quodra_diagnosis::corner_coverage *coverage) {
    std::vector<std::unique_ptr<word_slot>> slots;
    const std::size_t window = std::size_t{options.jobs} * batches_per_job;
    uint64_t done = 0;           // rows written; only the commit turn's holder touches it
    std::exception_ptr stopped_by; // set by the commit that ended the run
    // Declared after the slots, so its workers are joined before the slots go.
    // The workers write the finished batches in order themselves, so the
    // kernel's copying of the rows is spread over the cores instead of
    // queueing on this thread.
    worker_pool<word_slot> pool(
        options.jobs, [&](word_slot &slot) { finish_word_batch(slot, source, divider); },
        [&](word_slot &slot) {
            return commit_word_batch(slot, sink, progress, coverage, done, stopped_by);
        });
    uint64_t filled = 0;
    uint64_t written = 0;
    bool input_over = false;
    for (;;) {
        while (!input_over && filled - written < window) {
            if (slots.size() < window && filled == slots.size()) {
                slots.push_back(std::make_unique<word_slot>(options, divider.layout, summary,
                                                            coverage != nullptr));
            }
            word_slot &slot = *slots[filled % window];
            slot.reset();
            slot.count = static_cast<std::size_t>(source.claim_words(options.batch_size, slot.first));
            slot.with_header = filled == 0 && options.header; // random samples never fail to read
            input_over = slot.count < options.batch_size;
            pool.submit(slot);
            ++filled;
        }
        if (written == filled) {
            break;
        }
        if (!pool.wait_for_commits(written)) {
            std::rethrow_exception(stopped_by);
        }
    }
    progress.finish();
}

} // namespace quodra_div
