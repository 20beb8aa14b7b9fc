// The whole run: check the configuration with the library, then stream
// samples through it a batch at a time and write each batch's rows.
#ifndef QUODRA_DIV_BATCH_RUNNER_H
#define QUODRA_DIV_BATCH_RUNNER_H

#include "tool_options.h"

namespace quodra_div {

// Throws tool_error for every failure; returns when the output is complete.
void run_divisions(const tool_options &options);

} // namespace quodra_div

#endif
