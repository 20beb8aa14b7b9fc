// The corner bins of a run or a check, fed with each sample the model
// divided, in the shape of the configured divider.
#ifndef QUODRA_DIV_RUN_COVERAGE_TALLY_H
#define QUODRA_DIV_RUN_COVERAGE_TALLY_H

#include <cstdint>

#include "cli/divider_settings.h"
#include "diagnosis/corner_bins.h"
#include "formats/result_layout.h"
#include "formats/word_result.h"
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

// One divided sample of fields up to 64 bits as the diagnosis sees it in
// words: divided_from's values. dividend and divisor are the operands'
// two's-complement words.
quodra_diagnosis::divided_words divided_words_from(const result_layout &layout, uint64_t dividend,
                                                   uint64_t divisor, const word_result &result);

// tally() for the rows of the word route: counted from the words where the
// bins take words, else each row's words set into GNU MP integers kept from
// row to row; a row allocates nothing either way. The coverage must
// outlive the tally.
class word_tally {
public:
    word_tally(quodra_diagnosis::corner_coverage &coverage, const result_layout &layout)
        : coverage_(coverage), layout_(layout) {}

    // dividend and divisor: the operands' two's-complement words.
    void add(uint64_t dividend, uint64_t divisor, const word_result &result);
    quodra_diagnosis::corner_coverage &bins() { return coverage_; }

private:
    quodra_diagnosis::corner_coverage &coverage_;
    const result_layout &layout_;
    sample input_;
    sample_result result_;
};

} // namespace quodra_div

#endif
