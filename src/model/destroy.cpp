#include "quodra.h"
#include "quodra_v5_1.h"

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
