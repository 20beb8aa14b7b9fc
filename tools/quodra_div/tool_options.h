// Everything the command line decides: the divider configuration, where the
// samples come from, and how and where the results are written.
#ifndef QUODRA_DIV_TOOL_OPTIONS_H
#define QUODRA_DIV_TOOL_OPTIONS_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quodra.h"

namespace quodra_div {

enum class output_format { table, csv, hex };

enum class sample_origin { arguments, text_stream, random, demo };

// Largest operand or fraction width the tool accepts; keeps every derived
// width comfortably inside 32 bits.
constexpr int32_t max_field_width = 65536;

constexpr std::size_t default_batch_size = 4096;

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
};

// One line naming the configuration, for table and hex file headers.
std::string describe_configuration(const divider_settings &settings);

// Parses argv. Returns nothing when --help or --version was answered;
// throws tool_error for every usage problem.
std::optional<tool_options> parse_command_line(int argc, const char *const *argv);

} // namespace quodra_div

#endif
