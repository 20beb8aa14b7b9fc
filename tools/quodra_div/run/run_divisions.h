// A run: the samples the options chose, divided by the model and written
// in the chosen format.
#ifndef QUODRA_DIV_RUN_RUN_DIVISIONS_H
#define QUODRA_DIV_RUN_RUN_DIVISIONS_H

#include "cli/options.h"
#include "cli/tool_error.h"

namespace quodra_div {

// Which arithmetic a run may take: the word route (run/word_route.h) where
// it reaches, else GNU MP; or GNU MP only, which tests compare it with.
enum class division_route { words_where_in_reach, gnu_mp_only };

// Checks the configuration with the library, then streams samples through
// it a batch at a time, on options.jobs threads, and writes each batch's
// rows; with options.coverage, then prints the corner bins the rows reached
// on standard error. Throws tool_error for every failure; returns, once the
// output is complete, coverage_missed when --require-coverage finds a
// required bin empty, else success.
exit_status run_divisions(const tool_options &options,
                          division_route route = division_route::words_where_in_reach);

} // namespace quodra_div

#endif
