// The guard of the model: runs one model operation and turns whatever it
// raises into an error through the model's own logger plus status 1, so no
// exception ever crosses the C boundary.
#ifndef QUODRA_MODEL_MODEL_GUARD_H
#define QUODRA_MODEL_MODEL_GUARD_H

#include <cstdint>
#include <exception>
#include <stdexcept>

#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"

// Reports `text` as an error through the model's logger; never throws.
void qor_report_model_error(const quodra_v5_1 &model, const char *text) noexcept;

template <class Operation>
int32_t qor_run_guarded(const quodra_v5_1 &model, Operation &&operation) noexcept {
    try {
        return operation() == 0 ? 0 : 1;
    } catch (const std::runtime_error &failure) {
        qor_report_model_error(model, failure.what());
    } catch (...) {
        qor_report_model_error(model, qor_uncaught_exception_text);
    }
    return 1;
}

#endif
