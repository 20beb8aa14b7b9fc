#include "divider_model.h"

#include <cstdio>

#include "tool_error.h"

namespace quodra_div {
namespace {

// Every library message, with its severity, on standard error.
extern "C" void print_library_message(void *, int32_t error, const char *message) {
    std::fprintf(stderr, "quodra-div: %s: %s\n", error != 0 ? "error" : "warning",
                 message != nullptr ? message : "");
}

} // namespace

divider_model::divider_model(const divider_settings &settings) {
    const qor_quodra_v5_1_config config = settings.library_config();
    model_ = qor_quodra_v5_1_create(&config, print_library_message, nullptr);
    if (model_ == nullptr) {
        throw tool_error(exit_status::division_failed, "");
    }
}

divider_model::~divider_model() { qor_quodra_v5_1_destroy(model_); }

} // namespace quodra_div
