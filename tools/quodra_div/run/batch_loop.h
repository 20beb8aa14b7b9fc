// The one loop that running and checking share: read a batch, divide it,
// let the job write or compare its rows, write the text out, and throw the
// problem that ended a batch early only after the rows before it.
#ifndef QUODRA_DIV_RUN_BATCH_LOOP_H
#define QUODRA_DIV_RUN_BATCH_LOOP_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "formats/result_layout.h"
#include "output/output_file.h"
#include "run/divider_model.h"
#include "run/division_batch.h"
#include "run/progress_meter.h"
#include "samples/sample.h"

namespace quodra_div {

// A Job supplies the samples and what becomes of their results:
//   bool read(sample &operands, std::size_t index)   the next sample, or
//                                                    false at the end
//   void open_batch(const division_batch &, std::string &text)
//                                                    text before the rows
//   void take(std::size_t index, const sample &input,
//             const sample_result &result, std::string &text)
// Returns after the last batch, with the progress line erased; the caller
// finishes the output.
template <typename Job>
void run_batch_loop(Job &job, division_batch &batch, const divider_model &model,
                    const result_layout &layout, fault_naming naming, output_file &sink,
                    progress_meter &progress) {
    std::string text;
    uint64_t done = 0;
    for (;;) {
        batch.reset();
        batch.fill([&](sample &operands, std::size_t index) { return job.read(operands, index); });
        job.open_batch(batch, text);
        batch.divide(model, layout, naming,
                     [&](std::size_t index, const sample &input, const sample_result &result) {
                         job.take(index, input, result, text);
                     });
        sink.write(text);
        text.clear();
        done += batch.count();
        progress.update(done);
        if (batch.input_problem()) {
            std::rethrow_exception(batch.input_problem());
        }
        if (batch.count() < batch.capacity()) {
            break;
        }
    }
    progress.finish();
}

} // namespace quodra_div

#endif
