#include "model_guard.h"
#include "quodra.h"

extern "C" QOR_API int32_t qor_quodra_v5_1_get_config(const quodra_v5_1 *model,
                                                      qor_quodra_v5_1_config *config) {
    if (model == nullptr || config == nullptr) {
        return 1;
    }
    return qor_run_guarded(*model, [&] {
        *config = model->config; // name points at the model's own copy
        return 0;
    });
}
