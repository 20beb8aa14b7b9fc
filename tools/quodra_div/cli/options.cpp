#include "cli/options.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <initializer_list>
#include <set>
#include <thread>

#include "cli/batch_budget.h"

namespace quodra_div {

uint64_t parse_whole_number(const std::string &flag, const std::string &text, uint64_t lowest,
                            uint64_t highest) {
    const auto refuse = [&]() {
        return usage_error(flag + ": expected a whole number from " + std::to_string(lowest) +
                           " to " + std::to_string(highest) + ", got " + quoted_excerpt(text));
    };
    if (text.empty()) {
        throw refuse();
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            throw refuse();
        }
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            throw refuse(); // beyond 2^64 - 1
        }
        value = value * 10 + digit;
    }
    if (value < lowest || value > highest) {
        throw refuse();
    }
    return value;
}

unsigned default_jobs() {
    const unsigned cores = std::thread::hardware_concurrency(); // 0: unknown
    return cores < 1 ? 1 : (cores > max_jobs ? max_jobs : cores);
}

namespace {

std::string with_default(const std::string &text, const std::string &value) {
    return text + " (default: " + value + ")";
}

const char *const examples_footer = R"(Samples are DIVIDEND DIVISOR pairs. A number is decimal (-7), 0x hex (0xff,
-0x80), 0b binary (0b1010) or a Verilog literal (8'hff, -8'sd5 or
8'sd-5 for -5, 'b1010 unsized); '_' may separate digits (0xdead_beef). A
literal without 's' is a bit pattern: 8'hff in a signed 8-bit field is -1.
In a file or on standard input: one pair per line, separated by blanks or a
comma; blank lines and '#' comments are skipped. See tools/README.md.

Exit status: 0 success; 1 the library refused the configuration or a
division; 2 bad flags or bad input; 3 the output could not be written;
4 --check found rows that differ from the model.

Examples:
  quodra-div 100 7 -7 2                       two divisions, readable table
  quodra-div --demo                           built-in samples, defaults
  quodra-div --unsigned --dividend-width 32 --divisor-width 8 < pairs.txt
  quodra-div --fractional --dividend-width 8 --divisor-width 8 \
             --fractional-width 4 7 2         signed Radix-2 fixed point
  quodra-div -a high-radix --fractional 1 3  High Radix quotient
  quodra-div --random 100000 --seed 7 -f hex -o golden.hex
  quodra-div -i vectors.txt -f csv -o results.csv
  quodra-div --dividend-width 8 --divisor-width 8 --check dut.csv
                                              compare a DUT's results)";

// What each flag that takes a value allows, for messages about it.
struct flag_rule {
    const char *name;
    std::string allowed;
};

std::vector<flag_rule> flag_rules() {
    const std::string widths = "a whole number from 1 to " + std::to_string(max_field_width);
    return {
        {"--algorithm", "radix2, high-radix or lutmult (or 1, 3, 4)"},
        {"--divisor-width", widths},
        {"--dividend-width", widths},
        {"--fractional-width", "a whole number from 0 to " + std::to_string(max_field_width)},
        {"--name", "text without control characters"},
        {"--input", "a file name, or '-' for standard input"},
        {"--random", "a whole number from 0 to " + std::to_string(max_random_count)},
        {"--seed", "a whole number from 0 to " + std::to_string(UINT64_MAX)},
        {"--format", "table, csv or hex"},
        {"--output", "a file name, or '-' for standard output"},
        {"--batch-size", "a whole number from 1 to " + std::to_string(max_batch_size)},
        {"--check", "a file name, or '-' for standard input"},
        {"--jobs", "a whole number from 1 to " + std::to_string(max_jobs)},
        {"--shard", "K/N with 1 <= K <= N"},
        {"--max-report", "a whole number from 0 to " + std::to_string(UINT64_MAX)},
    };
}

// Flags that take no value: "--demo=3" is refused rather than read as a
// count or a truth value.
constexpr const char *plain_flags[] = {
    "--signed", "--unsigned",   "--remainder",     "--fractional",  "--demo",
    "--header", "--no-header",  "--no-progress",   "--wrap-operands", "--help",
    "--version", "--coverage", "--require-coverage",
};

void refuse_values_on_plain_flags(int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return;
        }
        const std::size_t equals = argument.find('=');
        if (argument.substr(0, 2) != "--" || equals == std::string_view::npos) {
            continue;
        }
        for (const char *flag : plain_flags) {
            if (argument.substr(0, equals) == flag) {
                throw usage_error(std::string(flag) + ": takes no value, got " +
                                  quoted_excerpt(argument.substr(equals + 1)));
            }
        }
    }
}

// CLI11's own messages, reworded to name the flag and what it allows.
std::string reworded(const CLI::ParseError &error) {
    const std::string message = error.what();
    for (const flag_rule &rule : flag_rules()) {
        const std::string prefix = std::string(rule.name) + ":";
        if (message.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        if (message.find("missing") != std::string::npos) {
            return std::string(rule.name) + ": expected " + rule.allowed + ", got nothing";
        }
        if (message.find("At Most") != std::string::npos) {
            return std::string(rule.name) + ": give it once, with " + rule.allowed;
        }
        return message + "; expected " + rule.allowed;
    }
    const std::string unexpected = "not expected: ";
    const std::size_t at = message.find(unexpected);
    if (at != std::string::npos) {
        return "unknown flag '" + message.substr(at + unexpected.size()) +
               "' (see --help for every flag)";
    }
    return message + " (see --help)";
}

struct raw_flags {
    std::string algorithm;
    std::string divisor_width;
    std::string dividend_width;
    std::string fractional_width;
    std::string random;
    std::string seed;
    std::string batch_size;
    std::string max_report;
    bool want_signed = false;
    bool want_unsigned = false;
    bool want_remainder = false;
    bool want_fractional = false;
    std::string format = "table";
    std::string input;
    bool header = false;
    bool no_header = false;
    bool no_progress = false;
    bool demo = false;
    bool input_given = false;
    bool random_given = false;
    bool check_given = false;
    bool map_given = false;
    bool exhaustive = false;
    std::string jobs;
    std::string shard;
    std::set<std::string> given; // flags with a value that were on the command line

    bool has(const char *flag) const { return given.count(flag) > 0; }
};

output_format format_from_name(const std::string &name) {
    if (name == "table") {
        return output_format::table;
    }
    if (name == "csv") {
        return output_format::csv;
    }
    if (name == "hex") {
        return output_format::hex;
    }
    throw usage_error("--format: expected table, csv or hex, got " + quoted_excerpt(name));
}

void define_configuration_flags(CLI::App &app, tool_options &options, raw_flags &raw,
                                const divider_settings &defaults) {
    divider_settings &d = options.divider;
    app.add_option("-a,--algorithm", raw.algorithm,
                   with_default("radix2, high-radix or lutmult, or its number 1, 3 or 4; "
                                "e.g. -a high-radix",
                                algorithm_label(defaults.algorithm_type)))
        ->type_name("NAME");
    app.add_option("--divisor-width", raw.divisor_width,
                   with_default("bits of a divisor sample and of the remainder, 1 to 65536; "
                                "e.g. --divisor-width 8",
                                std::to_string(defaults.divisor_width)))
        ->type_name("BITS");
    app.add_option("--dividend-width", raw.dividend_width,
                   with_default("bits of a dividend sample and of the integer quotient, 1 to "
                                "65536; e.g. --dividend-width 32",
                                std::to_string(defaults.dividend_width)))
        ->type_name("BITS");
    const char *sign_default = defaults.signed_operands ? "signed" : "unsigned";
    app.add_flag("--signed", raw.want_signed,
                 with_default("operands are two's-complement values; e.g. --signed -7 2",
                              sign_default));
    app.add_flag("--unsigned", raw.want_unsigned,
                 with_default("operands are unsigned; e.g. --unsigned 0xffff 3", sign_default));
    const char *mode_default = defaults.fractional_output ? "fractional" : "remainder";
    app.add_flag("--remainder", raw.want_remainder,
                 with_default("integer quotient and remainder; e.g. --remainder 7 2",
                              mode_default));
    app.add_flag("--fractional", raw.want_fractional,
                 with_default("fixed-point quotient with a fraction field; e.g. --fractional 1 3",
                              mode_default));
    app.add_option("--fractional-width", raw.fractional_width,
                   with_default("fraction bits of a fractional quotient, 0 to 65536; e.g. "
                                "--fractional --fractional-width 4",
                                std::to_string(defaults.fractional_width)))
        ->type_name("BITS");
    app.add_option("-n,--name", d.name,
                   with_default("configuration name in library messages; e.g. -n \"core A\"",
                                "\"" + defaults.name + "\""))
        ->type_name("TEXT");
}

void define_sample_flags(CLI::App &app, tool_options &options, raw_flags &raw) {
    app.add_option("samples", options.operand_texts,
                   "DIVIDEND DIVISOR pairs to divide; e.g. 100 7 -7 2")
        ->type_name("DIVIDEND DIVISOR");
    app.add_option("-i,--input", raw.input,
                   "read pairs from FILE, '-' for standard input (the default when no other "
                   "samples are given); e.g. -i pairs.txt")
        ->type_name("FILE");
    auto *random = app.add_option("--random", raw.random,
                                  "divide N random in-range samples, edge values first; N from "
                                  "0 to 10^15; e.g. --random 1000")
                       ->type_name("N");
    app.add_option("--seed", raw.seed,
                   with_default("seed of --random, 0 to 2^64 - 1; equal seeds give equal "
                                "samples; e.g. --random 1000 --seed 7",
                                "1"))
        ->type_name("S")
        ->needs(random);
    app.add_flag("--demo", raw.demo, "divide a small built-in set of samples; e.g. --demo");
    app.add_flag("--wrap-operands", options.wrap_operands,
                 "keep the low bits of an operand wider than its field, as the core's input "
                 "port would, instead of rejecting it; e.g. --dividend-width 8 --wrap-operands "
                 "300 7 divides 44 by 7");
}

void define_output_flags(CLI::App &app, tool_options &options, raw_flags &raw) {
    app.add_option("-f,--format", raw.format,
                   with_default("table (aligned, readable), csv (header row) or hex "
                                "(fixed-width fields for HDL test benches); e.g. -f csv",
                                "table"))
        ->type_name("FORMAT");
    app.add_option("-o,--output", options.output_path,
                   "write to FILE, completely or not at all; a symlink is written through, a "
                   "device or FIFO in place; '-' is standard output (the default); e.g. -o "
                   "golden.hex")
        ->type_name("FILE");
    app.add_flag("--header", raw.header,
                 "write the header lines (configuration and column names); the default for "
                 "table and csv, and '//' comments in hex files; e.g. -f hex --header");
    app.add_flag("--no-header", raw.no_header,
                 "leave out the header lines; the default for hex, whose bare rows both "
                 "$readmemh and $fscanf read; e.g. -f csv --no-header");
    app.add_flag("--no-progress", raw.no_progress,
                 "no progress line on a terminal's standard error; e.g. --random 10000000 "
                 "--no-progress -o big.hex");
    app.add_option("--batch-size", raw.batch_size,
                   with_default("samples per library call, 1 to 1048576; e.g. --batch-size 256",
                                std::to_string(default_batch_size)))
        ->type_name("N");
}

// Checking a DUT's results (check.h): the file, and how much is reported.
void define_check_flags(CLI::App &app, tool_options &options, raw_flags &raw) {
    app.add_option("--check", options.check_path,
                   "compare a DUT's results in FILE (table, csv or hex as written here; "
                   "'-' is standard input) with the model; exit status 4 if a row differs; "
                   "e.g. --dividend-width 8 --divisor-width 8 --check dut.csv")
        ->type_name("FILE");
    app.add_option("--max-report", raw.max_report,
                   with_default("differing rows --check reports in full; e.g. --check dut.hex "
                                "--max-report 3",
                                "10"))
        ->type_name("K");
    app.add_option("--map", options.map_path,
                   "with --check, draw the operand plane in FILE as SVG: each cell coloured "
                   "by the share of its rows that differ; e.g. --check dut.hex --map dut.svg")
        ->type_name("FILE");
    app.add_flag("--coverage", options.coverage,
                 "after a run, count the rows that reached each corner bin (zero divisor, "
                 "most negative dividend / -1, ...) on standard error; a check always does; "
                 "e.g. --random 1000 --coverage -o golden.hex");
    app.add_flag("--require-coverage", options.require_coverage,
                 "exit status 5 when a required corner bin holds no row (4 wins when rows "
                 "differ); implies --coverage; e.g. --check dut.hex --require-coverage");
}

// Exhaustive, parallel and sharded runs.
void define_scale_flags(CLI::App &app, tool_options &options, raw_flags &raw) {
    auto *exhaustive =
        app.add_flag("--exhaustive", raw.exhaustive,
                     "divide every operand pair of the configured widths: dividend outer, "
                     "divisor inner, each from its minimum to its maximum; more than 2^24 "
                     "pairs need --force (e.g. --exhaustive --dividend-width 8 "
                     "--divisor-width 8 -f hex -o all.hex)");
    app.add_flag("--force", options.force,
                 "let --exhaustive run more than 2^24 pairs (e.g. --exhaustive --force "
                 "--unsigned --dividend-width 16 --divisor-width 16 -f hex -o all.hex)")
        ->needs(exhaustive);
    app.add_option("-j,--jobs", raw.jobs,
                   with_default("worker threads dividing and formatting batches; the output "
                                "is the same for every N (e.g. --jobs 1)",
                                "the number of cores"))
        ->type_name("N");
    app.add_option("--shard", raw.shard,
                   "divide only the K-th of N contiguous shards of the samples (--random, "
                   "--exhaustive, a file, arguments or --demo); the parts' outputs in order "
                   "make the whole output, header lines only in shard 1 (e.g. --random 1000000 "
                   "--shard 2/4 -f hex -o shard2.hex)")
        ->type_name("K/N");
}

// --exhaustive with its size limit, instead of the other sample origins.
void choose_exhaustive_origin(tool_options &options, const raw_flags &raw) {
    if (!options.operand_texts.empty() || raw.input_given || raw.random_given || raw.demo) {
        throw usage_error("--exhaustive makes its own samples: give no DIVIDEND DIVISOR pairs, "
                          "--input, --random or --demo with it");
    }
    options.origin = sample_origin::exhaustive;
    const int32_t bits = options.divider.dividend_width + options.divider.divisor_width;
    const std::string size = "2^" + std::to_string(bits) + " pairs";
    if (bits > exhaustive_forced_bits) {
        throw usage_error("--exhaustive would divide " + size + ", more than the 2^" +
                          std::to_string(exhaustive_forced_bits) +
                          " it can count even with --force");
    }
    if (bits > exhaustive_unforced_bits && !options.force) {
        throw usage_error("--exhaustive would divide " + size + " (" +
                          std::to_string(uint64_t{1} << bits) + "), more than 2^" +
                          std::to_string(exhaustive_unforced_bits) +
                          "; add --force to run it anyway");
    }
}

void apply_scale_flags(tool_options &options, const raw_flags &raw) {
    if (raw.has("--jobs")) {
        options.jobs = static_cast<unsigned>(parse_whole_number("--jobs", raw.jobs, 1, max_jobs));
    } else {
        options.jobs = default_jobs();
    }
    if (raw.has("--shard")) {
        options.shard = parse_shard(raw.shard);
    }
    // Later parts continue the output of shard 1, so only shard 1 has headers.
    if (options.shard.index > 1) {
        options.header = false;
    }
}

void require_at_most_one(std::initializer_list<bool> given, const char *choices) {
    int count = 0;
    for (bool flag : given) {
        count += flag ? 1 : 0;
    }
    if (count > 1) {
        throw usage_error(std::string("give only one of ") + choices);
    }
}

void choose_sample_origin(tool_options &options, const raw_flags &raw) {
    require_at_most_one(
        {!options.operand_texts.empty(), raw.input_given, raw.random_given, raw.demo},
        "DIVIDEND DIVISOR pairs, --input, --random and --demo");
    if (!options.operand_texts.empty()) {
        options.origin = sample_origin::arguments;
        if (options.operand_texts.size() % 2 != 0) {
            throw usage_error("missing divisor for dividend '" + options.operand_texts.back() +
                              "': samples are DIVIDEND DIVISOR pairs");
        }
    } else if (raw.demo) {
        options.origin = sample_origin::demo;
    } else if (raw.random_given) {
        options.origin = sample_origin::random;
    } else if (raw.input_given) {
        options.origin = sample_origin::text_stream;
        options.input_path = raw.input;
    } else {
        options.origin = sample_origin::text_stream;
        options.input_path = "-";
        if (isatty(STDIN_FILENO)) {
            throw usage_error("no samples: give DIVIDEND DIVISOR pairs, --input FILE, "
                              "--random N or --demo (see --help)");
        }
    }
}

// The name goes into the header lines of every format, one line each: a
// control character (a newline above all) would split the header, and the
// tool would then refuse its own file.
void require_printable_name(const std::string &name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            throw usage_error("--name: expected text without control characters (it is "
                              "written into header lines), got " +
                              quoted_excerpt(name));
        }
    }
}

void apply_raw_flags(tool_options &options, const raw_flags &raw) {
    require_printable_name(options.divider.name);
    require_at_most_one({raw.want_signed, raw.want_unsigned}, "--signed and --unsigned");
    require_at_most_one({raw.want_remainder, raw.want_fractional},
                        "--remainder and --fractional");
    if (raw.has("--algorithm")) {
        options.divider.algorithm_type = parse_algorithm(raw.algorithm);
    }
    const auto width = [&raw](const char *flag, const std::string &text, uint64_t lowest,
                              int32_t &target) {
        if (raw.has(flag)) {
            target = static_cast<int32_t>(parse_whole_number(flag, text, lowest, max_field_width));
        }
    };
    width("--divisor-width", raw.divisor_width, 1, options.divider.divisor_width);
    width("--dividend-width", raw.dividend_width, 1, options.divider.dividend_width);
    width("--fractional-width", raw.fractional_width, 0, options.divider.fractional_width);
    if (raw.random_given) {
        options.random_count = parse_whole_number("--random", raw.random, 0, max_random_count);
    }
    if (raw.has("--seed")) {
        options.random_seed = parse_whole_number("--seed", raw.seed, 0, UINT64_MAX);
    }
    if (raw.has("--batch-size")) {
        options.batch_size = static_cast<std::size_t>(
            parse_whole_number("--batch-size", raw.batch_size, 1, max_batch_size));
    }
    if (raw.has("--max-report")) {
        options.max_report = parse_whole_number("--max-report", raw.max_report, 0, UINT64_MAX);
    }
    if (raw.want_signed || raw.want_unsigned) {
        options.divider.signed_operands = raw.want_signed;
    }
    if (raw.want_remainder || raw.want_fractional) {
        options.divider.fractional_output = raw.want_fractional;
    }
    options.batch_size = samples_within_budget(options.batch_size, options.divider);
    options.format = format_from_name(raw.format);
    require_at_most_one({raw.header, raw.no_header}, "--header and --no-header");
    // A hex file is read by simulators: $fscanf stops at the first '//' line,
    // so its header comments are written only on request.
    options.header = raw.header || (!raw.no_header && options.format != output_format::hex);
    options.progress = !raw.no_progress;
    options.coverage = options.coverage || options.require_coverage || raw.check_given;
    if (raw.map_given && !raw.check_given) {
        throw usage_error("--map draws the rows of a check: give it with --check FILE");
    }
    if (raw.check_given) {
        // The samples of a check are the rows of its file.
        if (!options.operand_texts.empty() || raw.input_given || raw.random_given || raw.demo ||
            raw.exhaustive) {
            throw usage_error("--check takes its samples from its FILE: leave out DIVIDEND "
                              "DIVISOR pairs, --input, --random, --demo and --exhaustive");
        }
        if (raw.has("--jobs") || raw.has("--shard")) {
            throw usage_error("--check runs on one thread over the whole FILE: leave out "
                              "--jobs and --shard");
        }
        if (options.check_path.empty()) {
            throw usage_error("--check needs a FILE name ('-' for standard input)");
        }
        if (raw.map_given && options.map_path.empty()) {
            throw usage_error("--map needs a FILE name for the picture");
        }
        return;
    }
    if (raw.exhaustive) {
        choose_exhaustive_origin(options, raw);
    } else {
        choose_sample_origin(options, raw);
    }
    apply_scale_flags(options, raw);
}

} // namespace

std::optional<tool_options> parse_command_line(int argc, const char *const *argv) {
    const divider_settings defaults = library_default_settings();
    tool_options options;
    options.divider = defaults;
    raw_flags raw;

    CLI::App app{"Divide samples with the quodra bit-exact divider model and print or "
                 "write the results.",
                 "quodra-div"};
    app.footer(examples_footer);
    app.set_version_flag("--version", std::string("quodra-div ") + QUODRA_DIV_VERSION +
                                          ", library version " + qor_quodra_v5_1_get_version());
    app.get_formatter()->column_width(30);
    define_configuration_flags(app, options, raw, defaults);
    define_sample_flags(app, options, raw);
    define_output_flags(app, options, raw);
    define_check_flags(app, options, raw);
    define_scale_flags(app, options, raw);

    refuse_values_on_plain_flags(argc, argv);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &e) {
        app.exit(e);
        return std::nullopt;
    } catch (const CLI::CallForVersion &e) {
        app.exit(e);
        return std::nullopt;
    } catch (const CLI::ParseError &e) {
        throw usage_error(reworded(e));
    }
    raw.input_given = app.count("--input") > 0;
    raw.random_given = app.count("--random") > 0;
    for (const char *name : {"--divisor-width", "--dividend-width", "--fractional-width",
                             "--seed", "--batch-size", "--algorithm", "--max-report", "--jobs",
                             "--shard"}) {
        if (app.count(name) > 0) {
            raw.given.insert(name);
        }
    }
    raw.check_given = app.count("--check") > 0;
    raw.map_given = app.count("--map") > 0;
    // An unset shell variable gives -o "": writing to standard output then
    // would report success for a file that was never written.
    if (app.count("--output") > 0 && options.output_path.empty()) {
        throw usage_error("--output: expected a FILE name ('-' for standard output), got an "
                          "empty one");
    }
    options.format_given = app.count("--format") > 0;
    if (app.count("--max-report") > 0 && !raw.check_given) {
        throw usage_error("--max-report applies only to --check");
    }
    apply_raw_flags(options, raw);
    return options;
}

} // namespace quodra_div
