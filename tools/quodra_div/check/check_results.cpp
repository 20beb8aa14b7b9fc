#include "check/check_results.h"

#include <sys/stat.h>

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "check/map_svg.h"
#include "check/result_rows.h"
#include "check/word_check.h"
#include "cli/tool_error.h"
#include "output/output_file.h"
#include "run/batch_loop.h"
#include "run/coverage_tally.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"

namespace quodra_div {

namespace {

// The job of a check in the batch loop: the samples are the rows of the
// file, and each result is compared with its row.
class row_checker {
public:
    row_checker(result_rows &rows, check_report &report) : rows_(rows), report_(report) {}

    bool read(sample &operands, std::size_t index) {
        if (index == batch_rows_.size()) {
            batch_rows_.emplace_back(); // rows are made as a batch first needs them
        }
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
    std::deque<result_row> batch_rows_;
};

// True when both names lead to one existing file (through links too).
bool same_file(const std::string &first, const std::string &second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The report replaces the -o file only once the check is done, so a report
// written over the checked file would destroy the results it judged.
void refuse_report_over_checked_file(const tool_options &options) {
    const std::string &checked = options.check_path;
    const std::string &report = options.output_path;
    if (checked == "-" || report.empty() || report == "-") return;
    if (same_file(checked, report)) {
        throw usage_error("--output " + quoted_excerpt(report) +
                          " is the file --check reads: the report would replace the results "
                          "it checks");
    }
}

} // namespace

exit_status check_results(const tool_options &options, division_route route) {
    refuse_report_over_checked_file(options);
    prepared_divider divider(options);
    result_rows rows(options, divider.layout);
    output_file sink(options.output_path);
    check_report report(divider.layout, shape_of(options.divider), options.max_report,
                        !options.map_path.empty());
    progress_meter progress(options.progress, sink.is_terminal(), 0);
    if (route == division_route::words_where_in_reach && checks_on_words(divider, rows)) {
        check_word_batches(options, divider, rows, report, sink, progress);
    } else {
        row_checker checker(rows, report);
        run_batch_loop(checker, divider.batch, divider.model, divider.layout,
                       fault_naming::plain, sink, progress);
    }
    if (report.rows() == 0) {
        throw usage_error(rows.display_name() + ": no result rows to check");
    }
    sink.write(report.classes().report());
    sink.write(quodra_diagnosis::coverage_table(report.coverage()));
    sink.write(report.summary());
    if (!options.map_path.empty()) {
        output_file picture(options.map_path);
        std::string summary = report.summary();
        summary.pop_back();
        picture.write(map_svg(report.map(), rows.display_name() + ": " + summary,
                              describe_configuration(options.divider)));
        picture.finish();
    }
    sink.finish();
    if (!report.all_agree()) return exit_status::results_differ;
    if (options.require_coverage && !report.coverage().every_required_bin_reached()) {
        return exit_status::coverage_missed;
    }
    return exit_status::success;
}

} // namespace quodra_div
