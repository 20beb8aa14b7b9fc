#include "run/run_divisions.h"

#include <cstdio>
#include <string>

#include "run/coverage_tally.h"

#include "formats/row_formatter.h"
#include "output/output_file.h"
#include "run/batch_loop.h"
#include "run/parallel_run.h"
#include "run/parallel_word_run.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"
#include "run/row_writer.h"
#include "run/word_route.h"
#include "samples/sample_source.h"

namespace quodra_div {

namespace {

exit_status report_coverage(const tool_options &options,
                            const quodra_diagnosis::corner_coverage &coverage) {
    if (!options.coverage) return exit_status::success;
    std::fputs(quodra_diagnosis::coverage_table(coverage).c_str(), stderr);
    return options.require_coverage && !coverage.every_required_bin_reached()
               ? exit_status::coverage_missed
               : exit_status::success;
}

} // namespace

exit_status run_divisions(const tool_options &options, division_route route) {
    prepared_divider divider(options);
    sample_source source(options, divider.layout);
    output_file sink(options.output_path);
    quodra_diagnosis::corner_coverage coverage(shape_of(options.divider));
    quodra_diagnosis::corner_coverage *counted = options.coverage ? &coverage : nullptr;
    const std::string summary = describe_configuration(options.divider);
    progress_meter progress(options.progress, sink.is_terminal(), source.known_total());
    if (route == division_route::words_where_in_reach &&
        takes_word_route(options, source, divider)) {
        if (options.jobs > 1) {
            run_word_batches_in_parallel(options, divider, source, summary, sink, progress,
                                         counted);
        } else {
            run_word_batches(options, divider, source, summary, sink, progress, counted);
        }
        sink.finish();
        return report_coverage(options, coverage);
    }
    if (options.jobs > 1) {
        run_batches_in_parallel(options, divider.model, divider.layout, source, sink, counted);
        return report_coverage(options, coverage);
    }
    row_formatter formatter(options.format, divider.layout, summary);
    row_writer writer(source, formatter, options.header, divider.layout, counted);
    run_batch_loop(writer, divider.batch, divider.model, divider.layout,
                   fault_naming::with_operands, sink, progress);
    sink.finish();
    return report_coverage(options, coverage);
}

} // namespace quodra_div
