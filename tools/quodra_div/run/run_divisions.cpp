#include "run/run_divisions.h"

#include "formats/row_formatter.h"
#include "output/output_file.h"
#include "run/batch_loop.h"
#include "run/parallel_run.h"
#include "run/prepared_divider.h"
#include "run/progress_meter.h"
#include "run/row_writer.h"
#include "samples/sample_source.h"

namespace quodra_div {

void run_divisions(const tool_options &options) {
    prepared_divider divider(options);
    sample_source source(options, divider.layout);
    output_file sink(options.output_path);
    if (options.jobs > 1) {
        run_batches_in_parallel(options, divider.model, divider.layout, source, sink);
        return;
    }
    row_formatter formatter(options.format, divider.layout,
                            describe_configuration(options.divider));
    row_writer writer(source, formatter, options.header);
    progress_meter progress(options.progress, sink.is_terminal(), source.known_total());
    run_batch_loop(writer, divider.batch, divider.model, divider.layout,
                   fault_naming::with_operands, sink, progress);
    sink.finish();
}

} // namespace quodra_div
