// A message handler that records every call, for checking what the library
// reports and how.
#ifndef QUODRA_TESTS_SUPPORT_RECORDING_HANDLER_H
#define QUODRA_TESTS_SUPPORT_RECORDING_HANDLER_H

#include <string>
#include <vector>

#include "quodra.h"

struct handler_call {
    void *handle;
    int32_t error;
    std::string message;
};

struct recording_handler {
    std::vector<handler_call> calls;

    static void record(void *handle, int32_t error, const char *message) {
        static_cast<recording_handler *>(handle)->calls.push_back({handle, error, message});
    }
};

#endif
