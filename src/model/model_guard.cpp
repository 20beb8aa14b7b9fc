#include "model_guard.h"

#include <string>

void qor_report_model_error(const quodra_v5_1 &model, const char *text) noexcept {
    if (model.logger == nullptr) {
        return;
    }
    try {
        model.logger->error(std::string(text));
    } catch (...) {
        // Nothing can be reported if forming the message itself fails.
    }
}
