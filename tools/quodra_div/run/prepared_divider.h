// The model, the batch arrays and the result layout of a configuration,
// made in the order whose failures the user sees first: the library's
// refusal of the configuration, then its refusal of the algorithm choice
// (a call with no samples), then a fractional layout the tool does not know.
#ifndef QUODRA_DIV_RUN_PREPARED_DIVIDER_H
#define QUODRA_DIV_RUN_PREPARED_DIVIDER_H

#include "cli/options.h"
#include "formats/result_layout.h"
#include "run/divider_model.h"
#include "run/division_batch.h"

namespace quodra_div {

struct prepared_divider {
    // Throws tool_error for each of the failures above.
    explicit prepared_divider(const tool_options &options)
        : model(options.divider),
          batch(options.batch_size, !options.divider.fractional_output),
          layout(settings_once_checked(options)) {}

    divider_model model;
    division_batch batch;
    result_layout layout;

private:
    const divider_settings &settings_once_checked(const tool_options &options) {
        batch.check_configuration(model);
        return options.divider;
    }
};

} // namespace quodra_div

#endif
