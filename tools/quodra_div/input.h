// The samples quodra-div divides: operand text, sample lines, the values
// an input port of a given width can carry, and the places samples come
// from (command-line pairs, a text stream, random generation, the demo set).
#ifndef QUODRA_DIV_INPUT_H
#define QUODRA_DIV_INPUT_H

#include <gmp.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "options.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// Integers and their text

// A GNU MP integer owned by one C++ object, so every path releases it.
class big_integer {
public:
    big_integer() { mpz_init(value_); }
    explicit big_integer(long initial) { mpz_init_set_si(value_, initial); }
    big_integer(const big_integer &other) { mpz_init_set(value_, other.value_); }
    big_integer &operator=(const big_integer &other) {
        mpz_set(value_, other.value_);
        return *this;
    }
    ~big_integer() { mpz_clear(value_); }

    mpz_ptr get() { return value_; }
    mpz_srcptr get() const { return value_; }

private:
    mpz_t value_;
};

// Keeps the low `width` bits of value (width >= 1): the unsigned pattern
// 0 .. 2^width - 1, or, as_signed, that pattern read as two's complement,
// -2^(width-1) .. 2^(width-1) - 1. The one place the tool wraps numbers.
void wrap_to_width(mpz_ptr value, unsigned width, bool as_signed);

// An operand as written, before it meets its field. The spellings:
//   number    decimal (-7, 1_000), 0x hex (0xff, -0x80), 0b binary (0b1010),
//             each with an optional sign: a value;
//   sized     Verilog [size]'[s]<h|d|o|b><digits> (8'hff, 16'sd5, -16'sd5):
//             a bit pattern of its own width, which its value must fit.
//             Without 's' it is zero-extended to the field and read the way
//             the field reads (8'hff in a signed 8-bit field is -1, in a
//             signed 16-bit field 255); with 's' it is the value of its
//             two's-complement pattern (8'shff is -1 in any signed field,
//             refused by an unsigned one). A sign goes only before a signed
//             sized literal (-16'sd5) or, for a signed decimal, after the
//             base (16'sd-5, the same value), never both;
//   unsized   '[s]<h|d|o|b><digits> ('hff, 'b1010): a pattern as wide as the
//             field, read the way the field reads.
// '_' separates digits: only between two digits, never first, last or
// doubled. x and z digits are refused. A literal wider than its field is
// refused unless --wrap-operands, which keeps its low bits.
struct operand_literal {
    enum class shape { number, sized, unsized };
    shape form = shape::number;
    big_integer value; // number: the value; sized/unsized: the digits' value
    unsigned width = 0; // sized: its stated width
    bool is_signed = false; // 's'
    bool negative = false;  // a '-' before it, or after a signed decimal's base
    bool sign_after_base = false; // 16'sd-5: the sign belongs to the value
};

// Reads one operand spelling. Returns false when malformed, with a reason
// in problem when there is more to say than "not a number". Nothing but the
// operand may be in text: GNU MP would skip embedded blanks, so every
// character is checked first.
bool parse_literal(std::string_view text, operand_literal &literal, std::string &problem);

// The value of a plain number (decimal, 0x, 0b, optional sign, '_'
// separators); false for anything else, including Verilog literals.
bool parse_operand(std::string_view text, mpz_ptr value);

// ---------------------------------------------------------------------------
// Operand ranges

// The values an input port of a given width can carry: 0 to 2^w - 1, or
// -2^(w-1) to 2^(w-1) - 1 for two's complement.
class operand_range {
public:
    operand_range(unsigned width, bool is_signed);

    unsigned width() const { return width_; }
    bool is_signed() const { return signed_; }
    mpz_srcptr lowest() const { return lowest_.get(); }
    mpz_srcptr highest() const { return highest_.get(); }

    bool contains(mpz_srcptr value) const;

    // The value the port's wires would carry: the low `width` bits, read as
    // two's complement when signed.
    void wrap(mpz_ptr value) const { wrap_to_width(value, width_, signed_); }

    // "8-bit signed"
    std::string kind() const;
    // "-128 to 127"
    std::string limits() const;

private:
    unsigned width_;
    bool signed_;
    big_integer lowest_;
    big_integer highest_;
};

// ---------------------------------------------------------------------------
// Operands for the configured fields

struct sample {
    big_integer dividend;
    big_integer divisor;
};

// The fields samples go into, and whether an operand too wide for its field
// is refused (the default) or keeps its low bits, as the core's input port
// would (--wrap-operands).
struct operand_fields {
    const operand_range &dividend;
    const operand_range &divisor;
    bool wrap;
};

// Reads one operand text; throws tool_error naming the role ("dividend"
// or "divisor") and the offending text.
void parse_named_operand(std::string_view text, const char *role, operand_literal &literal);

// The value literal (spelled text) has in its field, as described at
// operand_literal; throws tool_error when it does not fit.
void literal_value_in_field(const operand_literal &literal, std::string_view text,
                            const char *role, const operand_range &range, bool wrap,
                            mpz_ptr value);

// Makes value fit its field: unchanged when it fits, its low bits when
// wrapping, else throws tool_error naming the role, value and field. The
// library is never handed operands its ports cannot carry: its algorithms
// each treat extra bits differently, and no core of this width could
// produce such a row.
void fit_operand(mpz_ptr value, const char *role, const operand_range &range, bool wrap);

// Both operand texts of a sample, parsed and then fitted to their fields.
// Throws tool_error, without a position, for the first problem.
void read_sample(std::string_view dividend_text, std::string_view divisor_text,
                 const operand_fields &fields, sample &result);

// One line of a sample file: "DIVIDEND DIVISOR", separated by blanks or a
// comma, with blank lines and '#' comments allowed. Returns false for a
// line with nothing to divide. Throws tool_error, without a position, when
// the line is malformed or an operand does not fit.
bool parse_sample_line(std::string_view line, const operand_fields &fields, sample &result);

// ---------------------------------------------------------------------------
// Sample origins. Each hands out one sample at a time, so memory stays flat
// however many samples there are. next() fills the next sample and returns
// true, or returns false at the end; position() names where the sample last
// returned came from, for error messages; known_total() is the number of
// samples when known in advance, else 0 (for progress).

// DIVIDEND DIVISOR pairs from the command line.
class argument_samples {
public:
    // texts holds dividend, divisor, dividend, divisor, ... Reads them all
    // at once; throws tool_error naming the first bad pair.
    argument_samples(const std::vector<std::string> &texts, const operand_fields &fields);

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return samples_.size(); }
    // Passes over n pairs.
    void skip(uint64_t n);

private:
    std::vector<sample> samples_;
    std::size_t pairs_taken_ = 0;
};

// How the lines of a sample file in another format than pairs are read
// (the tool's own table, CSV and hex output). The reader comes from the code
// that knows those formats (check.cpp, which includes this header, so this
// file cannot call it); text_samples only hands lines over.
struct line_reader {
    // Fills the sample of a data row and returns true; false for a line
    // without one (blank, header). Throws tool_error, without a position.
    std::function<bool(std::string_view line, sample &result)> parse;
    // Whether a line is a data row, without checking it (--shard counts and
    // skips rows this way).
    std::function<bool(std::string_view line)> holds_sample;
};

// Offered the first line of a file that is neither blank nor a '#'
// comment. Returns the reader for the file's format, or nothing to read
// the file as pairs; may then leave in hint a note that is added to the
// pair reader's error for that line. Throws tool_error, without a position,
// when the line is a header that disagrees with the configuration.
using line_format_probe =
    std::function<std::optional<line_reader>(std::string_view first_line, std::string &hint)>;

// Pairs read line by line from a file or standard input, or, when probe
// recognises the file, the samples of the tool's own output.
class text_samples {
public:
    // path "-" reads standard input. Throws tool_error if it cannot be opened.
    text_samples(const std::string &path, const operand_fields &fields,
                 line_format_probe probe = {});
    ~text_samples();
    text_samples(const text_samples &) = delete;
    text_samples &operator=(const text_samples &) = delete;

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return 0; }

    // The lines with something to divide from here to the end, counted
    // without checking them; then the stream is back where it was. Only a
    // regular file can be read twice: anything else throws tool_error.
    uint64_t count_samples();
    // Passes over n such lines without checking them.
    void skip(uint64_t n);

private:
    bool read_line();
    std::string_view current_line() const;
    void choose_reader(std::string_view line);
    bool holds_sample(std::string_view line);

    std::string display_name_;
    operand_fields fields_;
    line_format_probe probe_;
    bool format_chosen_ = false;
    std::optional<line_reader> reader_; // empty: pairs
    std::string hint_;
    uint64_t choosing_line_ = 0;
    std::FILE *stream_;
    bool owns_stream_;
    char *line_ = nullptr;
    std::size_t line_capacity_ = 0;
    std::size_t line_length_ = 0;
    std::size_t line_start_ = 0; // 3 after a byte-order mark on line 1
    uint64_t line_number_ = 0;
};

// Random in-range samples, reproducible from a seed. The first samples are
// every combination of each field's edge values (most negative, -1, 0, 1,
// maximum, as far as the field holds them), so zero divisors and the
// overflowing most-negative / -1 are always covered.
class random_samples {
public:
    random_samples(const operand_range &dividend_range, const operand_range &divisor_range,
                   uint64_t count, uint64_t seed);

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return count_; }
    // Draws and discards n samples: the sequence of a seed never changes.
    void skip(uint64_t n);

private:
    bool next_edge_pair(sample &next_sample);
    void draw(const operand_range &range, mpz_ptr value);
    uint64_t uniform_below(uint64_t bound);

    const operand_range &dividend_range_;
    const operand_range &divisor_range_;
    std::vector<big_integer> dividend_edges_;
    std::vector<big_integer> divisor_edges_;
    uint64_t count_;
    uint64_t produced_ = 0;
    // The engine's output sequence is fixed by the C++ standard, so a seed
    // gives the same samples on every platform and library version.
    std::mt19937_64 engine_;
    std::vector<uint64_t> words_;
};

// A small built-in set of samples that shows the divider's behaviour:
// ordinary quotients, every sign combination, truncation towards zero, the
// overflowing most-negative / -1, and zero divisors. Samples that do not fit
// the configured fields are left out.
class demo_samples {
public:
    demo_samples(const operand_range &dividend_range, const operand_range &divisor_range);

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return samples_.size(); }
    void skip(uint64_t n);

private:
    std::vector<sample> samples_;
    std::size_t taken_ = 0;
};

// Every operand pair of the fields, dividend outer and divisor inner, each
// from its lowest to its highest value: pair i has dividend lowest + i / D
// and divisor lowest + i % D, where D is the number of divisor values. The
// widths together may have at most 63 bits (throws tool_error otherwise).
class exhaustive_samples {
public:
    exhaustive_samples(const operand_range &dividend_range, const operand_range &divisor_range);

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const { return total_; }
    // Jumps over n pairs at once.
    void skip(uint64_t n);

private:
    const operand_range &dividend_range_;
    const operand_range &divisor_range_;
    uint64_t divisor_values_;
    uint64_t total_;
    uint64_t produced_ = 0;
    big_integer dividend_;
    big_integer divisor_;
};

// True when a sample line has something to divide (not blank, not only a
// comment), whether or not it is well formed.
bool has_sample_text(std::string_view line);

// The origin the options chose; every sample it hands out fits its fields.
// The ranges must outlive the source.
class sample_source {
public:
    // Throws tool_error when the input cannot be opened.
    // probe, if set, lets an input file in one of the tool's own formats be
    // read (see text_samples).
    sample_source(const tool_options &options, const operand_range &dividend_range,
                  const operand_range &divisor_range, line_format_probe probe = {});

    bool next(sample &next_sample);
    std::string position() const;
    uint64_t known_total() const;

private:
    void restrict_to_shard(const shard_choice &shard);

    // Random and demo samples are in range by construction. monostate is
    // only there until the constructor has built the chosen origin.
    std::variant<std::monostate, argument_samples, text_samples, random_samples, demo_samples,
                 exhaustive_samples>
        origin_;
    // --shard: the part has limit_ samples; all but the last part stop
    // handing out samples there.
    bool sharded_ = false;
    bool limited_ = false;
    uint64_t limit_ = 0;
    uint64_t handed_out_ = 0;
};

} // namespace quodra_div

#endif
