#include "run/divider_model.h"

#include <cstdint>
#include <cstdio>
#include <exception>

#include "cli/flag_hints.h"
#include "cli/tool_error.h"

namespace quodra_div {

namespace {

// Where this thread's library messages go instead of standard error.
thread_local std::string *library_message_capture = nullptr;

// Every library message, with its severity, on standard error; an error
// that flags can mend names them first.
extern "C" void print_library_message(void *, int32_t error, const char *message) {
    const char *severity = error != 0 ? "error" : "warning";
    const char *text = message != nullptr ? message : "";
    try {
        const std::string line = std::string("quodra-div: ") + severity + ": " +
                                 (error != 0 ? flag_hint_for(text) : std::string()) + text + "\n";
        if (library_message_capture != nullptr) {
            *library_message_capture += line;
        } else {
            std::fputs(line.c_str(), stderr);
        }
    } catch (const std::exception &) {
        // No memory to build the line: print the library's text rather than lose it.
        std::fprintf(stderr, "quodra-div: %s: %s\n", severity, text);
    }
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
