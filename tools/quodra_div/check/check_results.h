// Checking a DUT's results (--check FILE): a file in one of the tool's own
// formats holds samples and the outputs a design under test produced for
// them; every row is divided again by the model and each output field
// compared.
#ifndef QUODRA_DIV_CHECK_CHECK_RESULTS_H
#define QUODRA_DIV_CHECK_CHECK_RESULTS_H

#include "cli/options.h"
#include "run/run_divisions.h"

namespace quodra_div {

// Reads options.check_path a batch at a time, divides each batch with the
// model and writes the report to the output. Returns success when every row
// agrees, results_differ otherwise; throws tool_error for a malformed file,
// an unreadable one, one without rows, or a library failure.
// route: as for run_divisions; words_where_in_reach takes the word route
// (check/word_check.h) for the files it reaches.
exit_status check_results(const tool_options &options,
                          division_route route = division_route::words_where_in_reach);

} // namespace quodra_div

#endif
