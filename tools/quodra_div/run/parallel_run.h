// Runs with --jobs N > 1: worker threads divide and format batches while
// the calling thread reads samples and writes finished batches in order.
// The output, the error messages and the exit status are those of a run
// with --jobs 1.
#ifndef QUODRA_DIV_RUN_PARALLEL_RUN_H
#define QUODRA_DIV_RUN_PARALLEL_RUN_H

#include <cstddef>

#include "cli/options.h"
#include "diagnosis/corner_bins.h"
#include "formats/result_layout.h"
#include "output/output_file.h"
#include "run/divider_model.h"
#include "samples/sample_source.h"

namespace quodra_div {

// Batches in flight per worker: enough that a worker finds the next batch
// ready while the reader fills another and the writer empties a third.
constexpr std::size_t batches_per_job = 2;

// The whole sample stream, options.jobs workers sharing one model (the
// library allows one model on several threads, each with its own arrays).
// At most options.jobs * batches_per_job batches exist at a time, so memory
// stays bounded however long the run. Throws tool_error exactly where and
// as the --jobs 1 run would.
// With coverage not null, every written row is counted into its bins.
void run_batches_in_parallel(const tool_options &options, const divider_model &model,
                             const result_layout &layout, sample_source &source,
                             output_file &sink, quodra_diagnosis::corner_coverage *coverage);

} // namespace quodra_div

#endif
