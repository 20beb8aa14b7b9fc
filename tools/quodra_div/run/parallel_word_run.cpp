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
    uint64_t done = 0;             // rows written; only the commit turn's holder touches it
    std::exception_ptr stopped_by; // set by the commit that ended the run
    bool input_over = false;       // likewise, once the first batches are queued
    bool first_batch = true;
    // Claims the next batch's sample indices; a claim short of a whole
    // batch is the input's last.
    const auto claim_next = [&](word_slot &slot) {
        if (input_over) return false;
        slot.reset();
        slot.count = static_cast<std::size_t>(source.claim_words(options.batch_size, slot.first));
        slot.with_header = first_batch && options.header; // random samples never fail to read
        first_batch = false;
        input_over = slot.count < options.batch_size;
        return true;
    };
    // Declared after the slots, so its workers are joined before the slots go.
    // The workers write the finished batches in order themselves, so the
    // kernel's copying of the rows is spread over the cores instead of
    // queueing on this thread, and refill the written slots themselves, so
    // this thread sleeps until the end.
    worker_pool<word_slot> pool(
        options.jobs, [&](word_slot &slot) { finish_word_batch(slot, source, divider); },
        [&](word_slot &slot) {
            return commit_word_batch(slot, sink, progress, coverage, done, stopped_by);
        },
        claim_next);
    std::vector<word_slot *> first_batches;
    while (first_batches.size() < window) {
        slots.push_back(std::make_unique<word_slot>(options, divider.layout, summary,
                                                    coverage != nullptr));
        if (!claim_next(*slots.back())) {
            slots.pop_back();
            break;
        }
        first_batches.push_back(slots.back().get());
    }
    pool.submit_all(first_batches);
    if (!pool.wait_until_all_committed()) {
        std::rethrow_exception(stopped_by);
    }
    progress.finish();
}

} // namespace quodra_div
