// The job of a run in the batch loop: every sample's result becomes a row
// of the chosen format, the header going out with the first batch.
#ifndef QUODRA_DIV_RUN_ROW_WRITER_H
#define QUODRA_DIV_RUN_ROW_WRITER_H

#include <cstddef>
#include <string>

#include "diagnosis/corner_bins.h"
#include "formats/row_formatter.h"
#include "run/coverage_tally.h"
#include "run/division_batch.h"
#include "samples/sample_source.h"

namespace quodra_div {

// Whether the header goes out with this first batch: only once it has
// been read, so a run refused at its first sample prints nothing.
bool header_goes_with(const division_batch &first);

class row_writer {
public:
    // header: whether the output has header lines; coverage, when not
    // null, counts every row into its corner bins. source, formatter,
    // layout and coverage must outlive the writer.
    row_writer(sample_source &source, row_formatter &formatter, bool header,
               const result_layout &layout, quodra_diagnosis::corner_coverage *coverage)
        : source_(source), formatter_(formatter), header_pending_(header), layout_(layout),
          coverage_(coverage) {}

    bool read(sample &operands, std::size_t) { return source_.next(operands); }
    void open_batch(const division_batch &batch, std::string &text);
    void take(std::size_t, const sample &input, const sample_result &result, std::string &text) {
        formatter_.append_row(input, result, text);
        if (coverage_ != nullptr) tally(*coverage_, layout_, input, result);
    }

private:
    sample_source &source_;
    row_formatter &formatter_;
    bool header_pending_;
    const result_layout &layout_;
    quodra_diagnosis::corner_coverage *coverage_;
};

} // namespace quodra_div

#endif
