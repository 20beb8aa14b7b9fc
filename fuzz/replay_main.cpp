// Replays a fuzz target's corpus without libFuzzer: every file of the given
// folder, in name order, goes once through the target's
// LLVMFuzzerTestOneInput. A broken property aborts the process (see
// fuzz_require); the abort handler names the file first, so the failure
// points at its input. An empty or unreadable folder is a failure too: a
// replay of nothing proves nothing.
#include <algorithm>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// The file being replayed, for the abort handler (which may only write).
std::string current;

void name_the_input(int signal_number) {
    const char prefix[] = "fuzz replay: the property check above failed on ";
    ssize_t ignored = write(STDERR_FILENO, prefix, sizeof prefix - 1);
    ignored = write(STDERR_FILENO, current.data(), current.size());
    ignored = write(STDERR_FILENO, "\n", 1);
    static_cast<void>(ignored);
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

int fail(const std::string &message) {
    std::fprintf(stderr, "fuzz replay: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        return fail("usage: <replay program> <corpus folder>");
    }
    std::error_code error;
    std::vector<std::filesystem::path> inputs;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1], error)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    if (error) {
        return fail(std::string("cannot read ") + argv[1] + ": " + error.message());
    }
    if (inputs.empty()) {
        return fail(std::string("no corpus files in ") + argv[1]);
    }
    std::sort(inputs.begin(), inputs.end());
    std::signal(SIGABRT, name_the_input);
    for (const std::filesystem::path &input : inputs) {
        current = input.string();
        std::vector<char> bytes(std::filesystem::file_size(input, error) + 1);
        std::ifstream file(input, std::ios::binary);
        if (error || !file.read(bytes.data(), static_cast<std::streamsize>(bytes.size() - 1))) {
            return fail("cannot read " + current);
        }
        bytes.pop_back(); // the extra byte keeps data() valid for an empty input
        if (LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()) !=
            0) {
            return fail("the target refused " + current);
        }
    }
    std::printf("fuzz replay: %zu inputs from %s, every property held\n", inputs.size(), argv[1]);
    return 0;
}
