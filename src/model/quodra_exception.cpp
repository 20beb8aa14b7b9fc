#include "quodra_exception.h"

const char *const qor_uncaught_exception_text = "Uncaught exception in quodra_v5_1 model";
