// The corner bins of a run or a check, fed with each sample the model
// divided, in the shape of the configured divider.
#ifndef QUODRA_DIV_RUN_COVERAGE_TALLY_H
#define QUODRA_DIV_RUN_COVERAGE_TALLY_H

#include "cli/divider_settings.h"
#include "diagnosis/corner_bins.h"
#include "formats/result_layout.h"
#include "samples/sample.h"

namespace quodra_div {

quodra_diagnosis::divider_shape shape_of(const divider_settings &settings);

// One divided sample as the diagnosis sees it: its operands and the
// model's decoded outputs (pointers into input and model).
quodra_diagnosis::divided_sample divided_from(const result_layout &layout, const sample &input,
                                              const sample_result &model);

// Counts one divided sample into coverage.
void tally(quodra_diagnosis::corner_coverage &coverage, const result_layout &layout,
           const sample &input, const sample_result &model);

} // namespace quodra_div

#endif
