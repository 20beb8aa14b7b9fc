#include "run/divider_model.h"

#include <cstdint>
#include <cstdio>
#include <exception>

#include "cli/tool_error.h"

namespace quodra_div {

namespace {

// Where this thread's library messages go instead of standard error.
thread_local std::string *library_message_capture = nullptr;

// Every library message, with its severity, on standard error.
extern "C" void print_library_message(void *, int32_t error, const char *message) {
    const char *severity = error != 0 ? "error" : "warning";
    const char *text = message != nullptr ? message : "";
    if (library_message_capture != nullptr) {
        try {
            *library_message_capture +=
                std::string("quodra-div: ") + severity + ": " + text + "\n";
            return;
        } catch (const std::exception &) {
            // No memory to keep it: print it now rather than lose it.
        }
    }
    std::fprintf(stderr, "quodra-div: %s: %s\n", severity, text);
}

} // namespace

std::string *capture_library_messages(std::string *into) {
    std::string *previous = library_message_capture;
    library_message_capture = into;
    return previous;
}

divider_model::divider_model(const divider_settings &settings) {
    const qor_quodra_v5_1_config config = settings.library_config();
    model_ = qor_quodra_v5_1_create(&config, print_library_message, nullptr);
    if (model_ == nullptr) {
        throw tool_error(exit_status::division_failed, "");
    }
}

divider_model::~divider_model() { qor_quodra_v5_1_destroy(model_); }

} // namespace quodra_div
