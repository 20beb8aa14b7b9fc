#include <memory>
#include <stdexcept>
#include <string>

#include "quodra.h"
#include "quodra_exception.h"
#include "quodra_v5_1.h"

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
