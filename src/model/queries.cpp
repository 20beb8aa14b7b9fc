// What a caller may ask of the library once a model exists: the stored
// configuration of a model, and the version text of the library.
#include <string>

#include "model/model_guard.h"
#include "quodra.h"

namespace {

// The version is the model name after its last "v", with "_" read as ".".
std::string version_from_model_name(const std::string &model_name) {
    const std::string::size_type v = model_name.rfind('v');
    std::string version = v == std::string::npos ? model_name : model_name.substr(v + 1);
    for (char &c : version) {
        if (c == '_') {
            c = '.';
        }
    }
    return version;
}

} // namespace

extern "C" QOR_API const char *qor_quodra_v5_1_get_version(void) {
    // A function-local static is built exactly once even when several threads
    // make the first call together, and lives until the library is unloaded.
    static const std::string cached_version = version_from_model_name("quodra_v5_1");
    return cached_version.c_str();
}

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
