// The command line of quodra-div: every flag, what the flags decide
// (divider configuration, sample origin, output format and place), the
// algorithm names, the checks of flag combinations, and the exit statuses
// every failure ends with.
#ifndef QUODRA_DIV_OPTIONS_H
#define QUODRA_DIV_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quodra.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Exit statuses and failures

// The documented exit statuses of quodra-div.
enum class exit_status : int {
    success = 0,
    division_failed = 1, // the library refused the configuration or a division
    bad_usage_or_input = 2,
    output_failed = 3,
    results_differ = 4, // --check: a row of the file disagrees with the model
};

// A failure of the tool itself, carrying the exit status it ends with.
class tool_error : public std::runtime_error {
public:
    // An empty message means the reason has already been printed (the
    // library's handler reports its own failures).
    tool_error(exit_status status, const std::string &message)
        : std::runtime_error(message), status_(status) {}

    exit_status status() const { return status_; }

private:
    exit_status status_;
};

inline tool_error usage_error(const std::string &message) {
    return tool_error(exit_status::bad_usage_or_input, message);
}

// Longest stretch of user text or of a number that a message quotes.
constexpr std::size_t longest_quoted = 40;

// text cut to longest_quoted characters, "..." marking a cut.
std::string shortened(std::string_view text);

// The offending text as it goes into a message: quoted, shortened when
// very long, with control characters escaped.
std::string quoted_excerpt(std::string_view text);

// ---------------------------------------------------------------------------
// Algorithms by the names users type

constexpr int32_t algorithm_radix2 = QUODRA_ALGORITHM_RADIX2;
constexpr int32_t algorithm_high_radix = QUODRA_ALGORITHM_HIGH_RADIX;
constexpr int32_t algorithm_lutmult = QUODRA_ALGORITHM_LUTMULT;

// "radix2", "high-radix", "lutmult" (any case, '-' or '_' optional) or the
// number of one of them (1, 3, 4). The library itself would take other
// numbers in remainder mode, where every algorithm divides exactly, but a
// number no core has is almost always a typing mistake. Throws tool_error.
int32_t parse_algorithm(const std::string &text);

// The name for a known number, else the number itself.
std::string algorithm_label(int32_t algorithm_type);

// ---------------------------------------------------------------------------
// What the flags decide

enum class output_format { table, csv, hex };

enum class sample_origin { arguments, text_stream, random, demo, exhaustive };

// Largest operand or fraction width the tool accepts; keeps every derived
// width comfortably inside 32 bits.
constexpr int32_t max_field_width = 65536;

constexpr std::size_t default_batch_size = 4096;
constexpr std::size_t max_batch_size = std::size_t{1} << 20;

// Most samples --random accepts (10^15): far beyond what any run divides,
// small enough that a typing slip like a negative count is caught.
constexpr uint64_t max_random_count = 1000000000000000;

// The value of a flag that takes a whole number: decimal digits only, from
// lowest to highest. Throws tool_error naming the flag and what is allowed:
// "--batch-size: expected a whole number from 1 to 1048576, got '2.5'".
uint64_t parse_whole_number(const std::string &flag, const std::string &text, uint64_t lowest,
                            uint64_t highest);

// --exhaustive divides every operand pair; above 2^24 pairs (dividend width
// plus divisor width over 24 bits) it needs --force. Even forced, the pair
// count must fit 63 bits.
constexpr int32_t exhaustive_unforced_bits = 24;
constexpr int32_t exhaustive_forced_bits = 63;

// --jobs: worker threads that divide and format batches. The default is the
// number of cores (at least 1, at most max_jobs).
constexpr unsigned max_jobs = 256;
unsigned default_jobs();

// --shard K/N: the K-th (from 1) of N contiguous shards of the samples.
struct shard_choice {
    uint64_t index = 1;
    uint64_t count = 1;
    bool whole() const { return count == 1; }
};

// "K/N" with 1 <= K <= N, both decimal. Throws tool_error naming --shard.
shard_choice parse_shard(const std::string &text);

// The first sample index of part `index` of `count` over `total` samples:
// floor((index - 1) * total / count). Shard K holds the samples
// [shard_begin(K), shard_begin(K + 1)), so parts differ by at most one
// sample and together hold every sample once, in order.
uint64_t shard_begin(uint64_t index, uint64_t count, uint64_t total);

struct divider_settings {
    std::string name;
    int32_t algorithm_type = 1;
    int32_t divisor_width = 16;
    int32_t dividend_width = 16;
    bool signed_operands = true;
    bool fractional_output = false;
    int32_t fractional_width = 16;
    int32_t aux_param_1 = 1;

    // The record handed to the library; its name points into this object.
    qor_quodra_v5_1_config library_config() const;
};

struct tool_options {
    divider_settings divider;

    sample_origin origin = sample_origin::text_stream;
    std::vector<std::string> operand_texts; // dividend, divisor, dividend, ...
    std::string input_path = "-";           // "-" is standard input
    uint64_t random_count = 0;
    uint64_t random_seed = 1;

    output_format format = output_format::table;
    std::string output_path; // empty: standard output
    bool header = true;
    bool wrap_operands = false;
    bool progress = true;
    std::size_t batch_size = default_batch_size;

    // --check FILE: compare the results in FILE with the model instead of
    // dividing samples ("-" is standard input).
    std::string check_path;
    uint64_t max_report = 10;  // differing rows reported in full
    bool format_given = false; // -f named the file's format

    bool force = false; // --exhaustive above its unforced size
    unsigned jobs = 1;  // set from default_jobs() by parse_command_line
    shard_choice shard;
};

// One line naming the configuration, for table and hex file headers.
std::string describe_configuration(const divider_settings &settings);

// Parses argv. Returns nothing when --help or --version was answered;
// throws tool_error for every usage problem.
std::optional<tool_options> parse_command_line(int argc, const char *const *argv);

} // namespace quodra_div

#endif
