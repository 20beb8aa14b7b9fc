#include "model/model_guard.h"

#include <string>

void qor_report_model_error(const quodra_v5_1 &model, const char *text) noexcept {
    if (model.logger == nullptr) {
        return;
    }
    try {
        model.logger->error(std::string(text));
    } catch (...) {
        // Forming "<name> ERROR: <text>" failed, typically for want of memory
        // with a long name: the refusal still reaches the handler, as the
        // bare text the creation guard would send.
        model.logger->error_unformatted(text);
    }
}
