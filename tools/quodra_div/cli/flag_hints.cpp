#include "cli/flag_hints.h"

namespace quodra_div {

namespace {

struct flag_hint {
    const char *library_text; // how the library's error begins
    const char *hint;
};

// Each configuration refusal of the library that a run of the tool can
// reach, with the flags that avoid it.
constexpr flag_hint hints[] = {
    {"Remainder type must be Fractional for the High Radix algorithm",
     "-a high-radix needs --fractional"},
    {"Operand sign must be Signed for the High Radix algorithm", "-a high-radix needs --signed"},
    {"Divisor width must be between 0 and 303 bits for the High Radix algorithm",
     "-a high-radix takes a --divisor-width of at most 303"},
    {"Dividend and fractional widths need more than 19 low dividend digits",
     "-a high-radix needs a smaller --dividend-width plus --fractional-width"},
    {"Remainder type must be Remainder for the LutMult algorithm",
     "-a lutmult needs --remainder"},
    {"LUTMult architecture does not support fractional output", "-a lutmult needs --remainder"},
};

} // namespace

std::string flag_hint_for(const std::string &library_error) {
    for (const flag_hint &entry : hints) {
        if (library_error.rfind(entry.library_text, 0) == 0) {
            return std::string(entry.hint) + ": ";
        }
    }
    return "";
}

} // namespace quodra_div
