#include "check/check_results.h"

#include <cstddef>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/result_rows.h"
#include "output/output_file.h"
#include "run/batch_loop.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"

namespace quodra_div {

namespace {

// The job of a check in the batch loop: the samples are the rows of the
// file, and each result is compared with its row.
class row_checker {
public:
    row_checker(result_rows &rows, check_report &report, std::size_t batch_size)
        : rows_(rows), report_(report), batch_rows_(batch_size) {}

    bool read(sample &operands, std::size_t index) {
        result_row &row = batch_rows_[index];
        if (!rows_.next(row)) {
            return false;
        }
        operands = row.operands;
        return true;
    }
    void open_batch(const division_batch &, std::string &) {}
    void take(std::size_t index, const sample &, const sample_result &result, std::string &text) {
        report_.add(batch_rows_[index], result, text);
    }

private:
    result_rows &rows_;
    check_report &report_;
    std::vector<result_row> batch_rows_;
};

} // namespace

exit_status check_results(const tool_options &options) {
    prepared_divider divider(options);
    result_rows rows(options, divider.layout);
    output_file sink(options.output_path);
    check_report report(divider.layout, options.max_report);
    row_checker checker(rows, report, options.batch_size);
    progress_meter progress(options.progress, sink.is_terminal(), 0);
    run_batch_loop(checker, divider.batch, divider.model, divider.layout, fault_naming::plain,
                   sink, progress);
    if (report.rows() == 0) {
        throw usage_error(rows.display_name() + ": no result rows to check");
    }
    sink.write(report.summary());
    sink.finish();
    return report.all_agree() ? exit_status::success : exit_status::results_differ;
}

} // namespace quodra_div
