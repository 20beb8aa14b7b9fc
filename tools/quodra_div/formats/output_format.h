// The three formats the tool writes, and reads back for --check and -i.
#ifndef QUODRA_DIV_FORMATS_OUTPUT_FORMAT_H
#define QUODRA_DIV_FORMATS_OUTPUT_FORMAT_H

namespace quodra_div {

enum class output_format { table, csv, hex };

// The format's name in messages: "table", "CSV" or "hex".
inline const char *format_name(output_format format) {
    return format == output_format::csv ? "CSV" : format == output_format::hex ? "hex" : "table";
}

} // namespace quodra_div

#endif
