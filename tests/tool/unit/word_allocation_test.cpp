// No GNU MP allocation per row on the tool's word route: a run or a check
// of 20,000 rows makes no more GNU MP allocations than one of 2,000 (which
// already fills every batch the run keeps in flight), on one
// job and on several, as engine/driver/steady_state_allocation_test.cpp
// holds the engine's paths to. The first rows are the fields' edge values,
// which size every reused integer as far as later rows need.
#include <gmp.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check/check_results.h"
#include "cli/options.h"
#include "run/run_divisions.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

// Counts GNU MP allocations while it lives (from any thread), forwarding
// to the functions that were in place, which it restores when it goes.
class gmp_allocation_counter {
public:
    gmp_allocation_counter() {
        mp_get_memory_functions(&allocate, &reallocate, &release);
        count = 0;
        mp_set_memory_functions(count_allocate, count_reallocate, release);
    }
    ~gmp_allocation_counter() { mp_set_memory_functions(allocate, reallocate, release); }
    gmp_allocation_counter(const gmp_allocation_counter &) = delete;
    gmp_allocation_counter &operator=(const gmp_allocation_counter &) = delete;

    long allocations() const { return count; }

private:
    static void *count_allocate(size_t bytes) {
        ++count;
        return allocate(bytes);
    }
    static void *count_reallocate(void *block, size_t old_bytes, size_t new_bytes) {
        ++count;
        return reallocate(block, old_bytes, new_bytes);
    }

    static inline void *(*allocate)(size_t) = nullptr;
    static inline void *(*reallocate)(void *, size_t, size_t) = nullptr;
    static inline void (*release)(void *, size_t) = nullptr;
    static inline std::atomic<long> count{0};
};

std::string temp_path(const char *name) {
    return testing::TempDir() + "quodra_div_word_allocation_" + std::to_string(getpid()) + "_" +
           name;
}

// GNU MP allocations of a run of `rows` random samples on the word route.
long run_allocations(std::vector<std::string> arguments, unsigned rows) {
    arguments.insert(arguments.end(), {"--random", std::to_string(rows), "-f", "hex",
                                       "--batch-size", "100", "--no-progress", "-o",
                                       temp_path("run.hex")});
    const tool_options options = *parse(arguments);
    gmp_allocation_counter counter;
    EXPECT_EQ(run_divisions(options), exit_status::success);
    return counter.allocations();
}

// GNU MP allocations of a check of the hex file of `rows` random samples.
long check_allocations(std::vector<std::string> configuration, unsigned rows) {
    std::vector<std::string> writing = configuration;
    writing.insert(writing.end(), {"--random", std::to_string(rows), "-f", "hex", "--jobs", "1",
                                   "--no-progress", "-o", temp_path("checked.hex")});
    EXPECT_EQ(run_divisions(*parse(writing)), exit_status::success);
    configuration.insert(configuration.end(), {"--check", temp_path("checked.hex"),
                                               "--batch-size", "100", "--no-progress", "-o",
                                               temp_path("report.txt")});
    const tool_options options = *parse(configuration);
    gmp_allocation_counter counter;
    EXPECT_EQ(check_results(options), exit_status::success);
    return counter.allocations();
}

const std::vector<std::vector<std::string>> configurations = {
    {"--dividend-width", "16", "--divisor-width", "16", "--signed", "--remainder"},
    {"--dividend-width", "64", "--divisor-width", "33", "--unsigned", "--remainder"},
    {"--dividend-width", "20", "--divisor-width", "12", "--fractional", "-a", "high-radix",
     "--fractional-width", "30"},
    {"--dividend-width", "24", "--divisor-width", "24", "--signed", "--fractional", "-a",
     "radix2", "--fractional-width", "20"},
    {"--dividend-width", "32", "--divisor-width", "32", "--signed", "--remainder", "--coverage"},
};

TEST(WordRouteAllocations, RunsAllocateNothingPerRow) {
    for (const std::vector<std::string> &configuration : configurations) {
        for (const char *jobs : {"1", "2"}) {
            std::vector<std::string> arguments = configuration;
            arguments.insert(arguments.end(), {"--jobs", jobs});
            EXPECT_EQ(run_allocations(arguments, 20000), run_allocations(arguments, 2000))
                << configuration[1] << "/" << configuration[3] << " bits, --jobs " << jobs;
        }
    }
    std::remove(temp_path("run.hex").c_str());
}

TEST(WordRouteAllocations, ChecksAllocateNothingPerRow) {
    for (std::vector<std::string> configuration : configurations) {
        configuration.erase(std::remove(configuration.begin(), configuration.end(), "--coverage"),
                            configuration.end()); // a check always counts its bins
        EXPECT_EQ(check_allocations(configuration, 20000), check_allocations(configuration, 2000))
            << configuration[1] << "/" << configuration[3] << " bits";
    }
    for (const char *name : {"checked.hex", "report.txt"}) {
        std::remove(temp_path(name).c_str());
    }
}

} // namespace
