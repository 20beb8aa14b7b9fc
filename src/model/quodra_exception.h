// The library's one error type. Every failure inside the library travels as
// a QUODRAException carrying a fixed English message; the guards at the
// exported boundary turn it into a handler call and a status.
#ifndef QUODRA_MODEL_QUODRA_EXCEPTION_H
#define QUODRA_MODEL_QUODRA_EXCEPTION_H

#include <stdexcept>
#include <string>

struct QUODRAException : public std::runtime_error {
    explicit QUODRAException(const std::string &message) : std::runtime_error(message) {}
};

// Text reported for any failure that is not a std::runtime_error.
inline constexpr const char *qor_uncaught_exception_text = "Uncaught exception in quodra_v5_1 model";

#endif
