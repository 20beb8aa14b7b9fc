// Small helpers shared by the quodra-div unit tests.
#ifndef QUODRA_TESTS_TOOL_UNIT_HELPERS_H
#define QUODRA_TESTS_TOOL_UNIT_HELPERS_H

#include <gmp.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "numbers/big_integer.h"

// The options a command line gives, as main() would parse them (the
// program name is added in front).
inline std::optional<quodra_div::tool_options> parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quodra-div");
    std::vector<const char *> argv;
    for (const std::string &argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return quodra_div::parse_command_line(static_cast<int>(argv.size()), argv.data());
}

inline std::string decimal(mpz_srcptr value) {
    std::unique_ptr<char, void (*)(void *)> text(mpz_get_str(nullptr, 10, value), std::free);
    return text.get();
}

// A big integer from decimal text (test tables are written in decimal).
inline quodra_div::big_integer big(const std::string &text) {
    quodra_div::big_integer value;
    if (mpz_set_str(value.get(), text.c_str(), 10) != 0) {
        std::abort();
    }
    return value;
}

// 2^exponent + offset, for limits of wide fields.
inline quodra_div::big_integer power_of_two_plus(unsigned exponent, long offset) {
    quodra_div::big_integer value;
    mpz_setbit(value.get(), exponent);
    if (offset >= 0) {
        mpz_add_ui(value.get(), value.get(), static_cast<unsigned long>(offset));
    } else {
        mpz_sub_ui(value.get(), value.get(), static_cast<unsigned long>(-offset));
    }
    return value;
}

#endif
