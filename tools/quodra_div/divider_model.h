// The library's model for one configuration, created and destroyed through
// the public C interface, with its messages going to standard error.
#ifndef QUODRA_DIV_DIVIDER_MODEL_H
#define QUODRA_DIV_DIVIDER_MODEL_H

#include "quodra.h"
#include "tool_options.h"

namespace quodra_div {

class divider_model {
public:
    // Throws tool_error(division_failed) when the library refuses the
    // configuration; the library's own message has been printed by then.
    explicit divider_model(const divider_settings &settings);
    ~divider_model();
    divider_model(const divider_model &) = delete;
    divider_model &operator=(const divider_model &) = delete;

    const quodra_v5_1 *get() const { return model_; }

private:
    quodra_v5_1 *model_;
};

} // namespace quodra_div

#endif
