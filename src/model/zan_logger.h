// Per-model message logger: prefixes every message with the configuration
// name and a severity marker, then hands it to the caller's handler.
#ifndef QUODRA_MODEL_ZAN_LOGGER_H
#define QUODRA_MODEL_ZAN_LOGGER_H

#include <sstream>
#include <string>

#include "quodra.h"

namespace qor_quodra_v5_1_zanlogger {

class ZanLogger {
public:
    ZanLogger(qor_msg_handler handler, void *handle, const std::string &name);
    virtual ~ZanLogger();

    // Stream overloads forward through the virtual text overloads, so a
    // derived logger that replaces a text overload changes both.
    virtual std::string error(const std::ostringstream &message);
    virtual std::string error(const std::string &message);
    virtual std::string warning(const std::ostringstream &message);
    virtual std::string warning(const std::string &message);
    virtual std::string note(const std::ostringstream &message);
    virtual std::string note(const std::string &message);

    // Last resort when an error message cannot be formed (no memory for the
    // name and marker): hands `message` to the handler unchanged, with error
    // flag 1. Allocates nothing and never throws.
    void error_unformatted(const char *message) const noexcept;

    ZanLogger(const ZanLogger &) = delete;
    ZanLogger &operator=(const ZanLogger &) = delete;

private:
    std::string deliver(const char *marker, int32_t error_flag, const std::string &message);

    qor_msg_handler handler;
    void *handle;
    std::string name;
};

} // namespace qor_quodra_v5_1_zanlogger

#endif
