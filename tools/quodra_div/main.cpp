// quodra-div: divide samples with the quodra divider model from the shell,
// as a plain client of the library's public C interface.
#include <cstdio>
#include <exception>
#include <new>

#include "check/check_results.h"
#include "cli/options.h"
#include "run/run_divisions.h"

namespace {

int print_failure(quodra_div::exit_status status, const char *message) {
    if (message != nullptr && *message != '\0') {
        std::fprintf(stderr, "quodra-div: %s\n", message);
    }
    return static_cast<int>(status);
}

} // namespace

int main(int argc, char **argv) {
    using namespace quodra_div;
    try {
        const std::optional<tool_options> options = parse_command_line(argc, argv);
        if (options && !options->check_path.empty()) {
            return static_cast<int>(check_results(*options));
        }
        if (options) {
            return static_cast<int>(run_divisions(*options));
        }
        return static_cast<int>(exit_status::success);
    } catch (const tool_error &e) {
        return print_failure(e.status(), e.what());
    } catch (const std::bad_alloc &) {
        return print_failure(exit_status::division_failed, "out of memory");
    } catch (const std::exception &e) {
        return print_failure(exit_status::division_failed, e.what());
    }
}
