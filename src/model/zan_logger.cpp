#include "model/zan_logger.h"

namespace qor_quodra_v5_1_zanlogger {

ZanLogger::ZanLogger(qor_msg_handler handler, void *handle, const std::string &name)
    : handler(handler), handle(handle), name(name) {}

ZanLogger::~ZanLogger() = default;

// The text is formed before the handler is tested, so callers get the full
// message back even when nobody listens.
std::string ZanLogger::deliver(const char *marker, int32_t error_flag, const std::string &message) {
    std::string formed = name + marker + message;
    if (handler != nullptr) {
        handler(handle, error_flag, formed.c_str());
    }
    return formed;
}

void ZanLogger::error_unformatted(const char *message) const noexcept {
    if (handler != nullptr) {
        handler(handle, 1, message);
    }
}

std::string ZanLogger::error(const std::ostringstream &message) { return error(message.str()); }
std::string ZanLogger::error(const std::string &message) { return deliver(" ERROR: ", 1, message); }

std::string ZanLogger::warning(const std::ostringstream &message) { return warning(message.str()); }
std::string ZanLogger::warning(const std::string &message) { return deliver(" WARNING: ", 0, message); }

std::string ZanLogger::note(const std::ostringstream &message) { return note(message.str()); }
std::string ZanLogger::note(const std::string &message) { return deliver(" NOTE: ", 0, message); }

} // namespace qor_quodra_v5_1_zanlogger
