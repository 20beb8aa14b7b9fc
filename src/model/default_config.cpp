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
