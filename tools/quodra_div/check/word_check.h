// A check on the word route: a hex results file of fields up to 64 bits
// read into words, each batch divided by the engine's word batch and
// compared in words. A batch with a row that differs, or one the word
// batch does not take, is checked again on the GNU MP route (data_do), so
// that every report line, class and message is the one a check without the
// word route writes.
#ifndef QUODRA_DIV_CHECK_WORD_CHECK_H
#define QUODRA_DIV_CHECK_WORD_CHECK_H

#include "check/check_report.h"
#include "check/result_rows.h"
#include "cli/options.h"
#include "output/output_file.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"

namespace quodra_div {

// Whether a check can take the word route: a hex file (which reading its
// first lines tells), operands and outputs of 1 to 64 bits, and a
// configuration the word batch takes.
bool checks_on_words(const prepared_divider &divider, result_rows &rows);

// run_batch_loop with the checker of check_results, on the word route.
void check_word_batches(const tool_options &options, prepared_divider &divider,
                        result_rows &rows, check_report &report, output_file &sink,
                        progress_meter &progress);

} // namespace quodra_div

#endif
