#include "formats/cells.h"

#include <cctype>

#include "cli/tool_error.h"

namespace quodra_div {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Table and hex rows: cells separated by blanks.
std::vector<std::string_view> blank_separated(std::string_view line) {
    std::vector<std::string_view> cells;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !is_blank(line[i])) {
            ++i;
        }
        if (i > start) {
            cells.push_back(line.substr(start, i - start));
        }
    }
    return cells;
}

// CSV rows: every comma separates, so an empty cell stays a cell.
std::vector<std::string_view> comma_separated(std::string_view line) {
    std::vector<std::string_view> cells;
    for (;;) {
        const std::size_t comma = line.find(',');
        cells.push_back(trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos) {
            return cells;
        }
        line.remove_prefix(comma + 1);
    }
}

namespace {

std::string joined(const std::vector<std::string> &words, const char *separator) {
    std::string text;
    for (const std::string &word : words) {
        text += text.empty() ? "" : separator;
        text += word;
    }
    return text;
}

// Header text in a message: long enough to show what differs.
std::string quoted_header(std::string_view text) {
    constexpr std::size_t longest = 200;
    return "'" + std::string(text.substr(0, longest)) + (text.size() > longest ? "...'" : "'");
}

bool is_hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

} // namespace

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A cell that stands for an output the file leaves undefined.
bool is_undefined_marker(std::string_view cell) { return cell.empty() || cell == "-"; }

void check_configuration_line(std::string_view line, const header_lines &header) {
    const std::size_t end_of_name = line.rfind("\": ");
    if (end_of_name == std::string_view::npos) {
        throw usage_error("malformed configuration line " + quoted_excerpt(line));
    }
    const std::string_view stated = trimmed(line.substr(end_of_name + 3));
    if (stated != header.configuration) {
        throw usage_error("the file's header says " + quoted_header(stated) +
                          " but the flags configure " + quoted_header(header.configuration) +
                          ": give the flags the file was written with");
    }
}

void check_column_names(const std::vector<std::string_view> &cells,
                        const header_lines &header) {
    std::vector<std::string> names(cells.begin(), cells.end());
    if (names != header.columns) {
        throw usage_error("the file's columns " + quoted_header(joined(names, " ")) +
                          " are not those of the configured flags " +
                          quoted_header(joined(header.columns, " ")));
    }
}
[[noreturn]] void malformed(const std::string &what, std::string_view cell,
                            const char *expected) {
    throw usage_error("malformed " + what + " " + quoted_excerpt(cell) + ": expected " +
                      expected);
}

// A hex pattern, with or without 0x; 'x' digits make it undefined.
// Returns false when undefined.
bool parse_pattern(std::string_view cell, const std::string &what, mpz_ptr pattern) {
    if (is_undefined_marker(cell)) {
        return false;
    }
    std::string_view digits = cell;
    if (starts_with(digits, "0x") || starts_with(digits, "0X")) {
        digits.remove_prefix(2);
    }
    bool unknown = false;
    for (char c : digits) {
        if (c == 'x' || c == 'X') {
            unknown = true;
        } else if (!is_hex_digit(c)) {
            malformed(what, cell, "hex digits");
        }
    }
    if (digits.empty()) {
        malformed(what, cell, "hex digits");
    }
    if (unknown) {
        return false;
    }
    mpz_set_str(pattern, std::string(digits).c_str(), 16);
    return true;
}

void parse_flag(std::string_view cell, result_row &row) {
    row.flag_defined = true;
    if (cell == "0" || cell == "1") {
        row.div_by_zero = cell == "1";
    } else if (is_undefined_marker(cell) || cell == "x" || cell == "X") {
        row.flag_defined = false;
    } else {
        malformed("div_by_zero", cell, "0 or 1");
    }
}

void require_columns(const std::vector<std::string_view> &cells, std::size_t wanted,
                     output_format format) {
    if (cells.size() != wanted) {
        // A note copied from a pair file is the likeliest such line.
        const bool note = !cells.empty() && !cells[0].empty() && cells[0][0] == '#';
        throw usage_error(std::to_string(cells.size()) +
                          (cells.size() == 1 ? " column where a " : " columns where a ") +
                          format_name(format) + " row of this configuration has " +
                          std::to_string(wanted) +
                          (note ? " ('#' starts a comment only in a file of DIVIDEND DIVISOR "
                                  "pairs)"
                                : ""));
    }
}

} // namespace quodra_div
