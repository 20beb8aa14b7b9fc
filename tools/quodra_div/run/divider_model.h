// The library's model for one configuration, and where the library's
// messages go.
#ifndef QUODRA_DIV_RUN_DIVIDER_MODEL_H
#define QUODRA_DIV_RUN_DIVIDER_MODEL_H

#include <string>

#include "cli/divider_settings.h"
#include "quodra.h"

namespace quodra_div {

// The library's model for one configuration, created and destroyed through
// the public C interface, with its messages going to standard error.
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

// While `into` is set on a thread, the library's messages from that
// thread's calls are appended to *into, exactly as they would be printed,
// instead of going to standard error; nullptr prints them again. Returns
// the previous setting. Parallel runs print each batch's messages in
// sample order this way.
std::string *capture_library_messages(std::string *into);

} // namespace quodra_div

#endif
