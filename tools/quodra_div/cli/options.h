// The command line of quodra-div: every flag, what the flags decide (divider
// configuration, sample origin, output format and place) and the checks of
// flag combinations.
#ifndef QUODRA_DIV_CLI_OPTIONS_H
#define QUODRA_DIV_CLI_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/divider_settings.h"
#include "cli/shard.h"
#include "cli/tool_error.h"
#include "formats/output_format.h"

namespace quodra_div {

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
    // The corner bins the rows reached: shown after every check, after a
    // run with --coverage; --require-coverage fails a run that misses one.
    bool coverage = false;
    bool require_coverage = false;
    // --map FILE: the check's operand plane as an SVG picture ("" for none).
    std::string map_path;
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
