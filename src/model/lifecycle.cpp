// The model's life: a configuration record filled with the core's defaults,
// a model built from a record under the creation guard, and its destruction.
#include <memory>
#include <stdexcept>
#include <string>

#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "quodra.h"

extern "C" QOR_API int32_t qor_quodra_v5_1_default_config(qor_quodra_v5_1_config *config) {
    if (config == nullptr) {
        return 1;
    }
    try {
        config->name = "Default configuration";
        config->algorithm_type = 1;
        config->divisor_width = 16;
        config->dividend_width = 16;
        config->operand_sign = 1;
        config->remainder_type = 0;
        config->fractional_width = 16;
        config->aux_param_1 = 1;
        // aux_param_2 keeps whatever the caller had there.
        return 0;
    } catch (...) {
        return 1;
    }
}

using qor_quodra_v5_1_zanlogger::ZanLogger;

namespace {

void report_bare(qor_msg_handler handler, void *handle, const char *text) noexcept {
    if (handler != nullptr) {
        handler(handle, 1, text);
    }
}

quodra_v5_1 *build_model(const qor_quodra_v5_1_config &config, qor_msg_handler handler,
                         void *handle) {
    // Without a name there is nothing to prefix messages with: refuse before
    // the logger is made.
    if (config.name == nullptr) {
        throw QUODRAException("Configuration name must not be null");
    }
    auto logger = std::make_unique<ZanLogger>(handler, handle, std::string(config.name));
    auto *model = new quodra_v5_1(config, logger.get());
    logger.release(); // now owned through the model, deleted by destroy
    return model;
}

} // namespace

// The guard of creation: validation failures reach the handler as their bare
// text; nothing of a failed creation survives.
extern "C" QOR_API quodra_v5_1 *qor_quodra_v5_1_create(const qor_quodra_v5_1_config *config,
                                                       qor_msg_handler handler, void *handle) {
    if (config == nullptr) {
        return nullptr;
    }
    try {
        return build_model(*config, handler, handle);
    } catch (const std::runtime_error &failure) {
        report_bare(handler, handle, failure.what());
    } catch (...) {
        report_bare(handler, handle, qor_uncaught_exception_text);
    }
    return nullptr;
}

extern "C" QOR_API int32_t qor_quodra_v5_1_destroy(quodra_v5_1 *model) {
    if (model == nullptr) {
        return 1;
    }
    try {
        // The logger outlives the model so that nothing the model does on its
        // way out can reach a dead logger.
        qor_quodra_v5_1_zanlogger::ZanLogger *logger = model->logger;
        delete model;
        delete logger;
        return 0;
    } catch (...) {
        return 1;
    }
}
