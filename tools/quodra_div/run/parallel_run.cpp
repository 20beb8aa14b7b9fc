#include "run/parallel_run.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/row_formatter.h"
#include "run/coverage_tally.h"
#include "run/division_batch.h"
#include "run/progress_meter.h"
#include "run/row_writer.h"
#include "run/worker_pool.h"

namespace quodra_div {

namespace {

// One batch and everything a worker needs to finish it on its own: the
// batch with its library arrays, a formatter (formatters keep scratch
// buffers, so each batch has its own) and the text and messages it made.
struct batch_slot {
    batch_slot(const tool_options &options, const result_layout &layout,
               const std::string &summary, bool counting)
        : batch(options.batch_size, layout.has_remainder()),
          formatter(options.format, layout, summary) {
        if (counting) coverage.emplace(shape_of(options.divider));
    }

    void reset() {
        batch.reset();
        text.clear();
        messages.clear();
        failure = nullptr;
        done = false;
        if (coverage) coverage->clear();
    }

    division_batch batch;
    row_formatter formatter;
    std::string text;           // header (first batch only) and rows
    std::string messages;       // the library's, in call order
    std::exception_ptr failure; // the division or decoding failed
    bool done = false;          // guarded by the pool's mutex
    // This batch's rows in the corner bins, added to the run's by the
    // writer (a worker never touches another batch's tally).
    std::optional<quodra_diagnosis::corner_coverage> coverage;
};

// Divides and formats one batch as the --jobs 1 loop does, keeping the
// library's messages for the writer to print in order. Loading the arrays
// here keeps the reader free for reading.
void finish_batch(batch_slot &slot, const divider_model &model, const result_layout &layout) {
    std::string *previous = capture_library_messages(&slot.messages);
    try {
        slot.batch.divide(model, layout, fault_naming::with_operands,
                          [&](std::size_t, const sample &input, const sample_result &result) {
                              slot.formatter.append_row(input, result, slot.text);
                              if (slot.coverage) tally(*slot.coverage, layout, input, result);
                          });
    } catch (...) {
        slot.failure = std::current_exception();
    }
    capture_library_messages(previous);
}

} // namespace

void run_batches_in_parallel(const tool_options &options, const divider_model &model,
                             const result_layout &layout, sample_source &source,
                             output_file &sink, quodra_diagnosis::corner_coverage *coverage) {
    const std::string summary = describe_configuration(options.divider);
    // Slots are made as the input fills them, up to the window, and then
    // reused in turn: memory follows the batches actually in flight.
    std::vector<std::unique_ptr<batch_slot>> slots;
    const std::size_t window = std::size_t{options.jobs} * batches_per_job;
    // Declared after the slots, so its workers are joined before the slots go.
    worker_pool<batch_slot> pool(
        options.jobs, [&](batch_slot &slot) { finish_batch(slot, model, layout); });
    progress_meter progress(options.progress, sink.is_terminal(), source.known_total());

    uint64_t filled = 0;  // batches handed to the workers
    uint64_t written = 0; // batches written, always in sample order
    uint64_t done = 0;    // samples written
    bool input_over = false;
    for (;;) {
        while (!input_over && filled - written < window) {
            if (slots.size() < window && filled == slots.size()) {
                slots.push_back(
                    std::make_unique<batch_slot>(options, layout, summary, coverage != nullptr));
            }
            batch_slot &slot = *slots[filled % window];
            slot.reset();
            slot.batch.fill([&](sample &operands, std::size_t) { return source.next(operands); });
            // As with --jobs 1, the header goes out with the first batch.
            if (filled == 0 && options.header && header_goes_with(slot.batch)) {
                slot.formatter.append_header(slot.text);
            }
            input_over = slot.batch.is_last();
            pool.submit(slot);
            ++filled;
        }
        if (written == filled) {
            break;
        }
        batch_slot &slot = *slots[written % window];
        pool.wait_until_done(slot);
        if (!slot.messages.empty()) {
            std::fputs(slot.messages.c_str(), stderr);
        }
        if (slot.failure) {
            std::rethrow_exception(slot.failure);
        }
        sink.write(slot.text);
        if (coverage != nullptr) coverage->merge(*slot.coverage);
        done += slot.batch.count();
        progress.update(done);
        if (slot.batch.input_problem()) {
            std::rethrow_exception(slot.batch.input_problem()); // after the rows before it
        }
        ++written;
    }
    progress.finish();
    sink.finish();
}

} // namespace quodra_div
