#include "check.h"

#include <sys/types.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

#include "output_file.h"
#include "running.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Cells of a line
namespace {

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

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A cell that stands for an output the file leaves undefined.
bool is_undefined_marker(std::string_view cell) { return cell.empty() || cell == "-"; }

bool is_hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Columns of a data row in each format.
std::size_t column_count(output_format format, const result_layout &layout) {
    const std::size_t fields = layout.fields().size();
    if (format == output_format::hex) {
        return 2 + fields + 1;
    }
    return 2 + 2 * fields + (layout.fractional() ? 1 : 0) + 1;
}

} // namespace

output_format detect_results_format(std::string_view first_line, const result_layout &layout) {
    const std::string_view line = trimmed(first_line);
    if (starts_with(line, "//")) {
        return output_format::hex;
    }
    if (starts_with(line, "configuration ")) {
        return output_format::table;
    }
    if (line.find(',') != std::string_view::npos) {
        return output_format::csv;
    }
    const std::vector<std::string_view> cells = blank_separated(line);
    if (cells.size() != column_count(output_format::hex, layout)) {
        return output_format::table;
    }
    for (std::string_view cell : cells) {
        if (cell == "-" || starts_with(cell, "0x") || starts_with(cell, "0X") ||
            starts_with(cell, "dividend")) {
            return output_format::table;
        }
    }
    return output_format::hex;
}

// ---------------------------------------------------------------------------
// Header lines

header_lines expected_header(output_format format, const result_layout &layout,
                             const divider_settings &settings) {
    const std::string summary = describe_configuration(settings);
    header_lines header;
    header.configuration = summary.substr(summary.rfind("\": ") + 3);
    // The formatter that writes the header says what its columns are.
    row_formatter formatter(format, layout, "");
    std::string text;
    formatter.append_header(text);
    while (!text.empty() && (text.back() == '\n' || is_blank(text.back()))) {
        text.pop_back();
    }
    std::string_view columns(text);
    if (format == output_format::hex) {
        columns.remove_prefix(2); // "//"
    }
    const std::vector<std::string_view> cells =
        format == output_format::csv ? comma_separated(columns) : blank_separated(columns);
    for (std::string_view cell : cells) {
        header.columns.emplace_back(cell);
    }
    return header;
}

namespace {

// `configuration "NAME": ...`: everything after the name must agree with the
// flags. The name itself may differ (-n only labels library messages).
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

// ---------------------------------------------------------------------------
// Data cells

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

// A hex operand of a hex row: a pattern of its field's width, read as two's
// complement when the field is signed.
void parse_hex_operand(std::string_view cell, const char *role, const operand_range &range,
                       mpz_ptr value) {
    if (!parse_pattern(cell, role, value)) {
        malformed(role, cell, "hex digits");
    }
    if (mpz_sizeinbase(value, 2) > range.width()) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(cell) + " is wider than the " +
                          range.kind() + " " + role + " field");
    }
    range.wrap(value);
}

void parse_decimal_operand(std::string_view cell, const char *role, const operand_range &range,
                           bool wrap, mpz_ptr value) {
    operand_literal literal;
    parse_named_operand(cell, role, literal);
    literal_value_in_field(literal, cell, role, range, wrap, value);
}

// "-14.3125" as digits / 10^places. Returns false for an undefined cell.
bool parse_real(std::string_view cell, result_row &row) {
    if (is_undefined_marker(cell)) {
        return false;
    }
    std::string digits;
    std::string_view rest = cell;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        digits += rest.front();
        rest.remove_prefix(1);
    }
    bool seen_point = false;
    unsigned places = 0;
    std::size_t digit_count = 0;
    for (char c : rest) {
        if (c == '.' && !seen_point) {
            seen_point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
            ++digit_count;
            places += seen_point ? 1 : 0;
        } else {
            malformed("real", cell, "a decimal number such as -3.25");
        }
    }
    if (digit_count == 0) {
        malformed("real", cell, "a decimal number such as -3.25");
    }
    mpz_set_str(row.real_digits.get(), digits.c_str() + (digits[0] == '+' ? 1 : 0), 10);
    row.real_places = places;
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

void parse_table_field(std::string_view decimal, std::string_view hex, const output_field &field,
                       field_cell &cell) {
    cell.has_decimal = true;
    cell.decimal_text.assign(decimal);
    cell.hex_text.assign(hex);
    bool defined = !is_undefined_marker(decimal);
    if (defined && !parse_operand(decimal, cell.decimal.get())) {
        malformed(field.name, decimal, "a decimal integer");
    }
    defined = parse_pattern(hex, field.name + "_hex", cell.pattern.get()) && defined;
    cell.defined = defined;
}

void parse_hex_field(std::string_view hex, const output_field &field, field_cell &cell) {
    cell.has_decimal = false;
    cell.hex_text.assign(hex);
    cell.defined = parse_pattern(hex, field.name, cell.pattern.get());
    if (cell.defined && mpz_sizeinbase(cell.pattern.get(), 2) > field.width) {
        throw usage_error(field.name + " " + quoted_excerpt(hex) + " is wider than its " +
                          std::to_string(field.width) + "-bit field");
    }
    if (cell.defined) {
        mpz_set(cell.decimal.get(), cell.pattern.get());
        wrap_to_width(cell.decimal.get(), field.width, field.is_signed);
    }
}

void require_columns(const std::vector<std::string_view> &cells, std::size_t wanted,
                     output_format format) {
    if (cells.size() != wanted) {
        const char *name = format == output_format::csv   ? "CSV"
                           : format == output_format::hex ? "hex"
                                                          : "table";
        throw usage_error(std::to_string(cells.size()) +
                          (cells.size() == 1 ? " column where a " : " columns where a ") + name +
                          " row of this configuration has " + std::to_string(wanted));
    }
}

void parse_table_or_csv_row(const std::vector<std::string_view> &cells,
                            const result_layout &layout, const operand_fields &ranges,
                            result_row &row) {
    parse_decimal_operand(cells[0], "dividend", ranges.dividend, ranges.wrap,
                          row.operands.dividend.get());
    parse_decimal_operand(cells[1], "divisor", ranges.divisor, ranges.wrap,
                          row.operands.divisor.get());
    std::size_t column = 2;
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f, column += 2) {
        parse_table_field(cells[column], cells[column + 1], fields[f], row.fields[f]);
    }
    row.has_real = layout.fractional();
    if (row.has_real) {
        row.real_text.assign(cells[column]);
        row.real_defined = parse_real(cells[column], row);
        ++column;
    }
    parse_flag(cells[column], row);
}

void parse_hex_row(const std::vector<std::string_view> &cells, const result_layout &layout,
                   result_row &row) {
    parse_hex_operand(cells[0], "dividend", layout.dividend_range(),
                      row.operands.dividend.get());
    parse_hex_operand(cells[1], "divisor", layout.divisor_range(), row.operands.divisor.get());
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        parse_hex_field(cells[2 + f], fields[f], row.fields[f]);
    }
    row.has_real = false;
    parse_flag(cells[2 + fields.size()], row);
}

} // namespace

line_kind parse_result_line(std::string_view line, output_format format,
                            const result_layout &layout, const header_lines &header,
                            const operand_fields &operand_ranges, result_row &row) {
    if (line.find('\0') != std::string_view::npos) {
        throw usage_error("line holds a NUL byte: is this a text file?");
    }
    const std::string_view text = trimmed(line);
    if (text.empty()) {
        return line_kind::blank;
    }
    if (format == output_format::hex && starts_with(text, "//")) {
        // Comments; the tool's own two header lines must agree with the flags.
        const std::string_view comment = trimmed(text.substr(2));
        if (starts_with(comment, "configuration ")) {
            check_configuration_line(comment, header);
        } else if (starts_with(comment, "dividend[")) {
            check_column_names(blank_separated(comment), header);
        }
        return line_kind::header;
    }
    const std::vector<std::string_view> cells =
        format == output_format::csv ? comma_separated(text) : blank_separated(text);
    if (format == output_format::table && cells.front() == "configuration") {
        check_configuration_line(text, header);
        return line_kind::header;
    }
    if (format != output_format::hex && cells.front() == "dividend") {
        check_column_names(cells, header);
        return line_kind::header;
    }
    require_columns(cells, column_count(format, layout), format);
    if (format == output_format::hex) {
        parse_hex_row(cells, layout, row);
    } else {
        parse_table_or_csv_row(cells, layout, operand_ranges, row);
    }
    return line_kind::data;
}

// ---------------------------------------------------------------------------
// Reading a results file back as stimulus
namespace {

const char *format_name(output_format format) {
    return format == output_format::csv ? "CSV" : format == output_format::hex ? "hex" : "table";
}

std::vector<std::string_view> cells_of(std::string_view text, output_format format) {
    return format == output_format::csv ? comma_separated(text) : blank_separated(text);
}

// Blank, header or data, by the line's shape alone: the same tests
// parse_result_line makes before it checks a header or parses a row.
line_kind classify_result_line(std::string_view line, output_format format) {
    const std::string_view text = trimmed(line);
    if (text.empty()) {
        return line_kind::blank;
    }
    if (format == output_format::hex) {
        return starts_with(text, "//") ? line_kind::header : line_kind::data;
    }
    const std::string_view first = cells_of(text, format).front();
    if ((format == output_format::table && first == "configuration") || first == "dividend") {
        return line_kind::header;
    }
    return line_kind::data;
}

// The tool writes a hex operand with exactly the digits its width needs; a
// pattern of another length comes from a file written for other widths,
// whose values would otherwise be read silently (and, signed, wrongly).
void require_operand_digits(std::string_view cell, const char *role,
                            const operand_range &range) {
    std::string_view digits = cell;
    if (starts_with(digits, "0x") || starts_with(digits, "0X")) {
        digits.remove_prefix(2);
    }
    const std::size_t wanted = (range.width() + 3) / 4;
    if (digits.size() != wanted) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(cell) + " has " +
                          std::to_string(digits.size()) + " hex digits where the " +
                          range.kind() + " " + role + " field is written with " +
                          std::to_string(wanted) + ": give the widths the file was written with");
    }
}

// One results file's format, expected header and a row to parse into.
struct readback_state {
    output_format format;
    const result_layout &layout;
    header_lines header;
    operand_fields ranges;
    result_row row;

    bool parse(std::string_view line, sample &result) {
        if (parse_result_line(line, format, layout, header, ranges, row) != line_kind::data) {
            return false;
        }
        if (format == output_format::hex) {
            const std::vector<std::string_view> cells = blank_separated(trimmed(line));
            require_operand_digits(cells[0], "dividend", layout.dividend_range());
            require_operand_digits(cells[1], "divisor", layout.divisor_range());
        }
        mpz_set(result.dividend.get(), row.operands.dividend.get());
        mpz_set(result.divisor.get(), row.operands.divisor.get());
        return true;
    }
};

} // namespace

line_format_probe results_file_probe(const tool_options &options, const result_layout &layout) {
    return [&options, &layout](std::string_view first_line,
                               std::string &hint) -> std::optional<line_reader> {
        const output_format format = detect_results_format(first_line, layout);
        auto state = std::make_shared<readback_state>(readback_state{
            format, layout, expected_header(format, layout, options.divider),
            operand_fields{layout.dividend_range(), layout.divisor_range(),
                           options.wrap_operands},
            result_row{}});
        const std::vector<std::string_view> cells = cells_of(trimmed(first_line), format);
        sample first;
        if (classify_result_line(first_line, format) == line_kind::header) {
            // "dividend divisor" is a pair line the pair reader refuses.
            if (format != output_format::hex && cells.size() <= 2) {
                return std::nullopt;
            }
            state->parse(first_line, first); // a header must agree with the flags
        } else {
            // Only a full row of the format: a pair file with a stray third
            // cell keeps the pair reader's error.
            if (cells.size() <= 2 || cells.size() != column_count(format, layout)) {
                return std::nullopt;
            }
            try {
                state->parse(first_line, first);
            } catch (const tool_error &e) {
                hint = std::string("nor is it a ") + format_name(format) +
                       " row of this configuration: " + e.what();
                return std::nullopt;
            }
        }
        return line_reader{
            [state](std::string_view line, sample &result) { return state->parse(line, result); },
            [format](std::string_view line) {
                return classify_result_line(line, format) == line_kind::data;
            }};
    };
}

// ---------------------------------------------------------------------------
// Comparing and reporting
namespace {

void append_value(number_text &numbers, mpz_srcptr value, unsigned width, std::string &out) {
    numbers.append_decimal(out, value);
    out += " (0x";
    numbers.append_hex_pattern(out, value, width);
    out += ')';
}

void append_got(const field_cell &cell, const output_field &field, number_text &numbers,
                std::string &out) {
    if (!cell.defined) {
        out += "undefined";
    } else if (cell.has_decimal) {
        out += cell.decimal_text + " (" + cell.hex_text + ")";
    } else {
        numbers.append_decimal(out, cell.decimal.get());
        out += " (0x";
        numbers.append_hex_pattern(out, cell.pattern.get(), field.width);
        out += ')';
    }
}

// a / 10^places == n / 2^scale, exactly: a * 2^scale == n * 10^places.
bool same_real(const result_row &row, const sample_result &model) {
    big_integer left;
    big_integer right;
    mpz_mul_2exp(left.get(), row.real_digits.get(), model.real_scale);
    mpz_ui_pow_ui(right.get(), 10, row.real_places);
    mpz_mul(right.get(), right.get(), model.real_numerator.get());
    return mpz_cmp(left.get(), right.get()) == 0;
}

} // namespace

bool compare_result_row(const result_row &row, const sample_result &model,
                        const result_layout &layout, number_text &numbers, std::string &report) {
    bool differs = false;
    big_integer expected_pattern;
    const std::vector<output_field> &fields = layout.fields();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (!model.field_known[f]) {
            continue; // undefined in the core: any value the DUT gives is right
        }
        const field_cell &cell = row.fields[f];
        mpz_srcptr expected = model.field_values[f].get();
        mpz_set(expected_pattern.get(), expected);
        wrap_to_width(expected_pattern.get(), fields[f].width, false);
        const bool agrees = cell.defined &&
                            (!cell.has_decimal || mpz_cmp(cell.decimal.get(), expected) == 0) &&
                            mpz_cmp(cell.pattern.get(), expected_pattern.get()) == 0;
        if (agrees) {
            continue;
        }
        differs = true;
        report += "  " + fields[f].name + ": expected ";
        append_value(numbers, expected, fields[f].width, report);
        report += ", got ";
        append_got(cell, fields[f], numbers, report);
        report += '\n';
    }
    if (row.has_real && model.field_known[0] && (!row.real_defined || !same_real(row, model))) {
        differs = true;
        report += "  real: expected ";
        numbers.append_exact_real(report, model.real_numerator.get(), model.real_scale);
        report += ", got " + (row.real_defined ? row.real_text : std::string("undefined")) + '\n';
    }
    if (!row.flag_defined || row.div_by_zero != model.div_by_zero) {
        differs = true;
        report += std::string("  div_by_zero: expected ") + (model.div_by_zero ? "1" : "0") +
                  ", got " + (!row.flag_defined ? "undefined" : row.div_by_zero ? "1" : "0") +
                  '\n';
    }
    return differs;
}

void append_row_heading(const result_row &row, const result_layout &layout,
                        number_text &numbers, std::string &out) {
    out += "line " + std::to_string(row.line) + ": dividend ";
    append_value(numbers, row.operands.dividend.get(), layout.dividend_range().width(), out);
    out += ", divisor ";
    append_value(numbers, row.operands.divisor.get(), layout.divisor_range().width(), out);
    out += '\n';
}

std::string check_summary(uint64_t differing, uint64_t rows, uint64_t shown) {
    std::string text = std::to_string(differing) + " of " + std::to_string(rows) + " rows differ";
    if (shown > 0 && shown < differing) {
        text += " (first " + std::to_string(shown) + " shown)";
    }
    return text + '\n';
}

// ---------------------------------------------------------------------------
// Reading the file
namespace {

class results_file {
public:
    explicit results_file(const std::string &path)
        : display_name_(path == "-" ? "<stdin>" : path),
          stream_(path == "-" ? stdin : std::fopen(path.c_str(), "r")),
          owns_stream_(path != "-") {
        if (stream_ == nullptr) {
            throw usage_error("cannot read '" + path + "': " + std::strerror(errno));
        }
    }
    ~results_file() {
        std::free(line_);
        if (owns_stream_) {
            std::fclose(stream_);
        }
    }
    results_file(const results_file &) = delete;
    results_file &operator=(const results_file &) = delete;

    // The next line without its line end; false at the end of the file.
    bool read_line(std::string_view &line) {
        errno = 0;
        const ssize_t length = getline(&line_, &capacity_, stream_);
        if (length < 0) {
            if (std::ferror(stream_)) {
                throw usage_error("cannot read '" + display_name_ + "': " + std::strerror(errno));
            }
            return false;
        }
        ++line_number_;
        std::size_t size = static_cast<std::size_t>(length);
        if (size > 0 && line_[size - 1] == '\n') {
            --size;
        }
        line = std::string_view(line_, size);
        return true;
    }

    uint64_t line_number() const { return line_number_; }
    const std::string &display_name() const { return display_name_; }
    std::string position() const { return display_name_ + ":" + std::to_string(line_number_); }

private:
    std::string display_name_;
    std::FILE *stream_;
    bool owns_stream_;
    char *line_ = nullptr;
    std::size_t capacity_ = 0;
    uint64_t line_number_ = 0;
};

// The check, a batch of rows at a time: read, divide, compare, report.
class check_pipeline {
public:
    check_pipeline(const tool_options &options, const divider_model &model,
                   const result_layout &layout, sample_batch &batch)
        : options_(options), model_(model), layout_(layout), batch_(batch),
          ranges_{layout.dividend_range(), layout.divisor_range(), options.wrap_operands},
          rows_(batch.capacity()) {}

    exit_status run(results_file &file, output_file &sink) {
        progress_meter progress(options_.progress, sink.is_terminal(), 0);
        std::exception_ptr input_problem;
        for (;;) {
            const std::size_t count = fill(file, input_problem);
            divide_and_compare(count);
            sink.write(text_);
            text_.clear();
            progress.update(rows_checked_);
            if (input_problem) {
                std::rethrow_exception(input_problem); // after the rows before it
            }
            if (count < batch_.capacity()) {
                break;
            }
        }
        progress.finish();
        if (rows_checked_ == 0) {
            throw usage_error(file.display_name() + ": no result rows to check");
        }
        sink.write(check_summary(differing_, rows_checked_, shown_));
        sink.finish();
        return differing_ == 0 ? exit_status::success : exit_status::results_differ;
    }

private:
    // Up to one batch of rows; a malformed line ends the batch early.
    std::size_t fill(results_file &file, std::exception_ptr &problem) {
        std::size_t count = 0;
        std::string_view line;
        try {
            while (count < rows_.size() && file.read_line(line)) {
                if (!format_ && !trimmed(line).empty()) {
                    choose_format(line);
                }
                if (!format_) {
                    continue;
                }
                result_row &row = rows_[count];
                try {
                    if (parse_result_line(line, *format_, layout_, header_, ranges_, row) !=
                        line_kind::data) {
                        continue;
                    }
                } catch (const tool_error &e) {
                    throw tool_error(e.status(), file.position() + ": " + e.what());
                }
                row.line = file.line_number();
                batch_.set_operands(count, row.operands);
                ++count;
            }
        } catch (const tool_error &) {
            problem = std::current_exception();
        }
        return count;
    }

    void choose_format(std::string_view first_line) {
        format_ = options_.format_given ? options_.format
                                        : detect_results_format(first_line, layout_);
        header_ = expected_header(*format_, layout_, options_.divider);
    }

    void divide_and_compare(std::size_t count) {
        if (count == 0) {
            return;
        }
        batch_.divide(model_.get(), count, layout_.unwritten_marker());
        for (std::size_t i = 0; i < count; ++i) {
            bool div_by_zero = false;
            batch_.read_outputs(i, quotient_.get(), remainder_.get(), div_by_zero);
            layout_.decode(quotient_.get(), remainder_.get(), div_by_zero, result_);
            fields_text_.clear();
            if (compare_result_row(rows_[i], result_, layout_, numbers_, fields_text_)) {
                ++differing_;
                if (shown_ < options_.max_report) {
                    ++shown_;
                    append_row_heading(rows_[i], layout_, numbers_, text_);
                    text_ += fields_text_;
                }
            }
        }
        rows_checked_ += count;
    }

    const tool_options &options_;
    const divider_model &model_;
    const result_layout &layout_;
    sample_batch &batch_;
    operand_fields ranges_;
    std::optional<output_format> format_;
    header_lines header_;
    std::vector<result_row> rows_;
    big_integer quotient_;
    big_integer remainder_;
    sample_result result_;
    number_text numbers_;
    std::string fields_text_;
    std::string text_;
    uint64_t rows_checked_ = 0;
    uint64_t differing_ = 0;
    uint64_t shown_ = 0;
};

} // namespace

exit_status check_results(const tool_options &options) {
    const divider_model model(options.divider);
    sample_batch batch(options.batch_size, !options.divider.fractional_output);
    // As for a run: the library checks the whole configuration first.
    batch.divide(model.get(), 0, nullptr);
    const result_layout layout(options.divider);
    results_file file(options.check_path);
    output_file sink(options.output_path);
    return check_pipeline(options, model, layout, batch).run(file, sink);
}

} // namespace quodra_div
