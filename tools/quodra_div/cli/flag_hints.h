// The flags that mend a configuration the library refuses. The library
// speaks of its own record ("Remainder type must be Fractional ..."); a
// user of the tool needs the flag, so the tool names it first and keeps the
// library's text after it.
#ifndef QUODRA_DIV_CLI_FLAG_HINTS_H
#define QUODRA_DIV_CLI_FLAG_HINTS_H

#include <string>

namespace quodra_div {

// "-a high-radix needs --fractional: " for a library error the tool's flags
// can mend, "" for any other text.
std::string flag_hint_for(const std::string &library_error);

} // namespace quodra_div

#endif
