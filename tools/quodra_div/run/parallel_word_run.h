// Runs with --jobs N > 1 on the word route: the calling thread only queues
// the first batches' sample indices and waits for the end; each worker draws its batch's samples from their
// indices (a random sample is a function of its index), divides them with
// the engine's word batch and formats the rows, and whichever worker finds
// the next batch in order finished writes it and every finished batch
// after it, one writer at a time, claiming the next indices for each batch
// it writes. The output, the messages and the exit status are those of a
// run with --jobs 1.
#ifndef QUODRA_DIV_RUN_PARALLEL_WORD_RUN_H
#define QUODRA_DIV_RUN_PARALLEL_WORD_RUN_H

#include "cli/options.h"
#include "diagnosis/corner_bins.h"
#include "output/output_file.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"
#include "samples/sample_source.h"

namespace quodra_div {

// run_word_batches on options.jobs workers sharing the model; at most
// options.jobs * batches_per_job batches exist at a time. source must give
// words, and takes_word_route must hold. Throws tool_error exactly where
// and as the --jobs 1 run would. summary: the header's configuration line.
// With coverage not null, every written row is counted into its bins.
void run_word_batches_in_parallel(const tool_options &options, const prepared_divider &divider,
                                  sample_source &source, const std::string &summary,
                                  output_file &sink, progress_meter &progress,
                                  quodra_diagnosis::corner_coverage *coverage);

} // namespace quodra_div

#endif
