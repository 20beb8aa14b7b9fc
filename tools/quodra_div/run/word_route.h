// The run loop on the word route: random samples of fields up to 64 bits
// drawn as words, divided by the engine's word batch and written as hex or
// CSV rows straight from the words. A batch the word batch does not take is
// divided again on the GNU MP route (data_do), which gives exactly the
// rows, messages and failures a run without the word route would.
#ifndef QUODRA_DIV_RUN_WORD_ROUTE_H
#define QUODRA_DIV_RUN_WORD_ROUTE_H

#include <string>

#include "cli/options.h"
#include "output/output_file.h"
#include "formats/row_formatter.h"
#include "run/coverage_tally.h"
#include "run/division_batch.h"
#include "run/prepared_divider.h"
#include "run/word_division_batch.h"
#include "run/progress_meter.h"
#include "samples/sample_source.h"

namespace quodra_div {

// Whether every output field and the raw quotient lie within a word.
bool fields_fit_words(const result_layout &layout);

// Whether a run can take the word route: hex or CSV output, samples that come as words, every field and the raw quotient
// within a word, and a configuration the word batch takes.
bool takes_word_route(const tool_options &options, const sample_source &source,
                      const prepared_divider &divider);

// Divides a filled word batch and appends its rows to text: from the words
// when the word batch takes them, else divided again on the GNU MP route
// through `gnu_mp` (an empty batch of the run's capacity), which writes the
// rows, messages and failures a run without the word route would. With
// coverage not null, every row written is counted into its bins. Returns
// the rows written; gnu_mp.input_problem() then holds the problem that
// ended the rows early, if any.
std::size_t divide_and_append_rows(word_division_batch &words, division_batch &gnu_mp,
                                   const divider_model &model, const result_layout &layout,
                                   row_formatter &formatter, std::string &text,
                                   word_tally *coverage);

// The batch loop of run_batch_loop with row_writer, on the word route.
// summary: the configuration line of the header; coverage: as for
// divide_and_append_rows.
void run_word_batches(const tool_options &options, prepared_divider &divider, sample_source &source,
                      const std::string &summary, output_file &sink, progress_meter &progress,
                      quodra_diagnosis::corner_coverage *coverage);

} // namespace quodra_div

#endif
