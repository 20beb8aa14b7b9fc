#include "input.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace quodra_div {

// ---------------------------------------------------------------------------
// Integers and their text

namespace {

std::string decimal_text(mpz_srcptr value) {
    std::unique_ptr<char, void (*)(void *)> text(mpz_get_str(nullptr, 10, value), std::free);
    return text.get();
}

} // namespace

void wrap_to_width(mpz_ptr value, unsigned width, bool as_signed) {
    mpz_fdiv_r_2exp(value, value, width);
    if (as_signed && mpz_tstbit(value, width - 1)) {
        // value - 2^width: the remainder of the division rounded upwards.
        mpz_cdiv_r_2exp(value, value, width);
    }
}

namespace {

bool is_digit_of(char c, int base) {
    switch (base) {
    case 2:
        return c == '0' || c == '1';
    case 8:
        return c >= '0' && c <= '7';
    case 10:
        return c >= '0' && c <= '9';
    default:
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
}

// The digits of one base with '_' allowed between two digits only (not
// first, last or doubled). Stores them without the separators in value.
bool read_digits(std::string_view digits, int base, mpz_ptr value) {
    if (digits.empty() || digits.front() == '_' || digits.back() == '_') {
        return false;
    }
    std::string plain;
    plain.reserve(digits.size());
    char previous = '\0';
    for (char c : digits) {
        if (c == '_') {
            if (previous == '_') {
                return false;
            }
        } else if (!is_digit_of(c, base)) {
            return false;
        } else {
            plain += c;
        }
        previous = c;
    }
    // Checked above, so GNU MP sees only digits of the chosen base.
    return mpz_set_str(value, plain.c_str(), base) == 0;
}

int base_of_letter(char letter) {
    switch (letter) {
    case 'h':
    case 'H':
        return 16;
    case 'd':
    case 'D':
        return 10;
    case 'o':
    case 'O':
        return 8;
    case 'b':
    case 'B':
        return 2;
    default:
        return 0;
    }
}

// [size]'[s]<base><digits>, the sign already taken off. Sets problem and
// returns false when malformed.
bool parse_based_literal(std::string_view text, bool signed_before, operand_literal &literal,
                         std::string &problem) {
    const std::size_t quote = text.find('\'');
    const std::string_view size_text = text.substr(0, quote);
    std::string_view rest = text.substr(quote + 1);
    literal.form = size_text.empty() ? operand_literal::shape::unsized : operand_literal::shape::sized;
    literal.width = 0;
    if (!size_text.empty()) {
        const bool digits_only = size_text.find_first_not_of("0123456789") == std::string::npos;
        const unsigned long width =
            digits_only && size_text.size() <= 6 ? std::stoul(std::string(size_text)) : 0;
        if (width < 1 || width > static_cast<unsigned long>(max_field_width)) {
            problem = "the width before ' must be a whole number from 1 to " +
                      std::to_string(max_field_width);
            return false;
        }
        literal.width = static_cast<unsigned>(width);
    }
    literal.is_signed = !rest.empty() && (rest.front() == 's' || rest.front() == 'S');
    if (literal.is_signed) {
        rest.remove_prefix(1);
    }
    const int base = rest.empty() ? 0 : base_of_letter(rest.front());
    if (base == 0) {
        problem = "expected h, d, o or b after ' (or 's)";
        return false;
    }
    rest.remove_prefix(1);
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        // 16'sd-5: vector files often carry a signed decimal value's sign
        // after its base; it means -16'sd5. Patterns (h, o, b) have no sign.
        if (literal.form != operand_literal::shape::sized || !literal.is_signed || base != 10 ||
            signed_before) {
            problem = "a sign goes before the literal (-16'sd5) or after the base of a sized "
                      "signed decimal (16'sd-5), once";
            return false;
        }
        literal.negative = rest.front() == '-';
        literal.sign_after_base = true;
        rest.remove_prefix(1);
    }
    if (rest.find_first_of("xXzZ?") != std::string_view::npos) {
        problem = "x and z digits have no value to divide";
        return false;
    }
    if (!read_digits(rest, base, literal.value.get())) {
        problem = "expected digits of its base, '_' only between two digits";
        return false;
    }
    if (literal.sign_after_base) {
        // A signed value of its width: -2^(w-1) .. 2^(w-1) - 1.
        big_integer value(literal.value);
        if (literal.negative) {
            mpz_neg(value.get(), value.get());
        }
        if (!operand_range(literal.width, true).contains(value.get())) {
            problem = "its value does not fit its own " + std::to_string(literal.width) +
                      " signed bits";
            return false;
        }
    } else if (literal.form == operand_literal::shape::sized &&
        mpz_sizeinbase(literal.value.get(), 2) > literal.width &&
        mpz_sgn(literal.value.get()) != 0) {
        problem = "its value does not fit its own " + std::to_string(literal.width) + " bits";
        return false;
    }
    return true;
}

} // namespace

bool parse_literal(std::string_view text, operand_literal &literal, std::string &problem) {
    problem.clear();
    literal.negative = false;
    literal.is_signed = false;
    literal.width = 0;
    bool has_sign = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        has_sign = true;
        literal.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.find('\'') != std::string_view::npos) {
        if (!parse_based_literal(text, has_sign, literal, problem)) {
            return false;
        }
        if (has_sign && !(literal.is_signed && literal.form == operand_literal::shape::sized)) {
            problem = "a sign goes only before numbers and sized signed literals (-16'sd5); "
                      "write the bit pattern without it";
            return false;
        }
        return true;
    }
    literal.form = operand_literal::shape::number;
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        base = 2;
    }
    if (base != 10) {
        text.remove_prefix(2);
    }
    if (!read_digits(text, base, literal.value.get())) {
        return false;
    }
    if (literal.negative) {
        mpz_neg(literal.value.get(), literal.value.get());
    }
    return true;
}

bool parse_operand(std::string_view text, mpz_ptr value) {
    operand_literal literal;
    std::string problem;
    if (!parse_literal(text, literal, problem) ||
        literal.form != operand_literal::shape::number) {
        return false;
    }
    mpz_set(value, literal.value.get());
    return true;
}

void literal_value_in_field(const operand_literal &literal, std::string_view text,
                            const char *role, const operand_range &range, bool wrap,
                            mpz_ptr value) {
    mpz_set(value, literal.value.get());
    switch (literal.form) {
    case operand_literal::shape::number:
        fit_operand(value, role, range, wrap);
        return;
    case operand_literal::shape::unsized:
        // A pattern as wide as the field, read the way the field reads.
        if (mpz_sizeinbase(value, 2) > range.width() && mpz_sgn(value) != 0 && !wrap) {
            throw usage_error(std::string(role) + " " + quoted_excerpt(text) +
                              " has more bits than the " + range.kind() + " " + role +
                              " field; --wrap-operands keeps its low bits");
        }
        range.wrap(value);
        return;
    case operand_literal::shape::sized:
        break;
    }
    if (literal.width > range.width() && !wrap) {
        throw usage_error(std::string(role) + " " + quoted_excerpt(text) + " is " +
                          std::to_string(literal.width) + " bits wide, wider than the " +
                          range.kind() + " " + role + " field; --wrap-operands keeps its low bits");
    }
    if (!literal.is_signed) {
        // Zero-extended to the field, then read the way the field reads.
        range.wrap(value);
        return;
    }
    if (literal.sign_after_base) {
        // 16'sd-5 is the signed value itself, already within its width.
        if (literal.negative) {
            mpz_neg(value, value);
        }
        fit_operand(value, role, range, wrap);
        return;
    }
    // A signed literal is the value of its two's-complement pattern.
    wrap_to_width(value, literal.width, true);
    if (literal.negative) {
        mpz_neg(value, value);
    }
    fit_operand(value, role, range, wrap);
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view without_comment(std::string_view line) {
    const std::size_t hash = line.find('#');
    return hash == std::string_view::npos ? line : line.substr(0, hash);
}

void skip_blanks(std::string_view &rest) {
    while (!rest.empty() && is_blank(rest.front())) {
        rest.remove_prefix(1);
    }
}

// The next operand: everything up to a blank or a comma.
std::string_view take_token(std::string_view &rest) {
    std::size_t length = 0;
    while (length < rest.size() && !is_blank(rest[length]) && rest[length] != ',') {
        ++length;
    }
    const std::string_view token = rest.substr(0, length);
    rest.remove_prefix(length);
    return token;
}

// Between the operands: blanks, or one comma with optional blanks around it.
void skip_separator(std::string_view &rest) {
    skip_blanks(rest);
    if (!rest.empty() && rest.front() == ',') {
        rest.remove_prefix(1);
        skip_blanks(rest);
    }
}

} // namespace

void parse_named_operand(std::string_view text, const char *role, operand_literal &literal) {
    std::string problem;
    if (!parse_literal(text, literal, problem)) {
        throw usage_error(std::string("malformed ") + role + " " + quoted_excerpt(text) + ": " +
                          (problem.empty() ? "expected a decimal, 0x hex or 0b binary integer "
                                             "or a Verilog literal such as 8'hff"
                                           : problem));
    }
}

void fit_operand(mpz_ptr value, const char *role, const operand_range &range, bool wrap) {
    if (range.contains(value)) {
        return;
    }
    if (wrap) {
        range.wrap(value);
        return;
    }
    throw usage_error(std::string(role) + " " + shortened(decimal_text(value)) +
                      " does not fit the " + range.kind() + " " + role + " field (" +
                      range.limits() + "); --wrap-operands keeps its low bits");
}

void read_sample(std::string_view dividend_text, std::string_view divisor_text,
                 const operand_fields &fields, sample &result) {
    operand_literal dividend;
    operand_literal divisor;
    parse_named_operand(dividend_text, "dividend", dividend);
    parse_named_operand(divisor_text, "divisor", divisor);
    literal_value_in_field(dividend, dividend_text, "dividend", fields.dividend, fields.wrap,
                           result.dividend.get());
    literal_value_in_field(divisor, divisor_text, "divisor", fields.divisor, fields.wrap,
                           result.divisor.get());
}

bool parse_sample_line(std::string_view line, const operand_fields &fields, sample &result) {
    std::string_view rest = without_comment(line);
    skip_blanks(rest);
    if (rest.empty()) {
        return false;
    }
    const std::string_view dividend_text = take_token(rest);
    operand_literal dividend;
    parse_named_operand(dividend_text, "dividend", dividend);
    skip_separator(rest);
    if (rest.empty()) {
        throw usage_error("missing divisor after dividend " + quoted_excerpt(dividend_text));
    }
    const std::string_view divisor_text = take_token(rest);
    operand_literal divisor;
    parse_named_operand(divisor_text, "divisor", divisor);
    skip_blanks(rest);
    if (!rest.empty()) {
        throw usage_error("unexpected " + quoted_excerpt(rest) +
                          " after the divisor: one DIVIDEND DIVISOR pair per line");
    }
    literal_value_in_field(dividend, dividend_text, "dividend", fields.dividend, fields.wrap,
                           result.dividend.get());
    literal_value_in_field(divisor, divisor_text, "divisor", fields.divisor, fields.wrap,
                           result.divisor.get());
    return true;
}

// ---------------------------------------------------------------------------
// Operand ranges

operand_range::operand_range(unsigned width, bool is_signed) : width_(width), signed_(is_signed) {
    if (signed_) {
        mpz_setbit(highest_.get(), width - 1);
        mpz_neg(lowest_.get(), highest_.get());
        mpz_sub_ui(highest_.get(), highest_.get(), 1);
    } else {
        mpz_setbit(highest_.get(), width);
        mpz_sub_ui(highest_.get(), highest_.get(), 1);
    }
}

bool operand_range::contains(mpz_srcptr value) const {
    return mpz_cmp(value, lowest_.get()) >= 0 && mpz_cmp(value, highest_.get()) <= 0;
}

std::string operand_range::kind() const {
    return std::to_string(width_) + "-bit " + (signed_ ? "signed" : "unsigned");
}

std::string operand_range::limits() const {
    // Wide limits read better as powers of two than as long decimals.
    constexpr unsigned widest_decimal_limits = 64;
    if (width_ > widest_decimal_limits) {
        const std::string top = std::to_string(signed_ ? width_ - 1 : width_);
        return (signed_ ? "-2^" + top : std::string("0")) + " to 2^" + top + " - 1";
    }
    return decimal_text(lowest_.get()) + " to " + decimal_text(highest_.get());
}

// ---------------------------------------------------------------------------
// Sample origins

// Every pair is read before anything is divided, so a bad one anywhere on
// the command line leaves no output at all.
argument_samples::argument_samples(const std::vector<std::string> &texts,
                                   const operand_fields &fields)
    : samples_(texts.size() / 2) {
    for (std::size_t pair = 0; pair < samples_.size(); ++pair) {
        try {
            read_sample(texts[2 * pair], texts[2 * pair + 1], fields, samples_[pair]);
        } catch (const tool_error &e) {
            throw tool_error(e.status(), "command-line pair " + std::to_string(pair + 1) + ": " +
                                             e.what());
        }
    }
}

bool argument_samples::next(sample &next_sample) {
    if (pairs_taken_ >= samples_.size()) {
        return false;
    }
    next_sample = samples_[pairs_taken_++];
    return true;
}

std::string argument_samples::position() const {
    return "command-line pair " + std::to_string(pairs_taken_);
}


text_samples::text_samples(const std::string &path, const operand_fields &fields,
                           line_format_probe probe)
    : display_name_(path == "-" ? "<stdin>" : path),
      fields_(fields),
      probe_(std::move(probe)),
      stream_(path == "-" ? stdin : std::fopen(path.c_str(), "r")),
      owns_stream_(path != "-") {
    if (stream_ == nullptr) {
        throw usage_error("--input: cannot read '" + path + "': " + std::strerror(errno));
    }
    // A folder opens for reading but yields no lines: refuse it before any
    // output exists.
    struct stat status {};
    if (fstat(fileno(stream_), &status) == 0 && S_ISDIR(status.st_mode)) {
        if (owns_stream_) {
            std::fclose(stream_);
        }
        throw usage_error("--input: '" + display_name_ +
                          "' is a folder; expected a file of DIVIDEND DIVISOR lines");
    }
}

text_samples::~text_samples() {
    std::free(line_);
    if (owns_stream_) {
        std::fclose(stream_);
    }
}

bool text_samples::read_line() {
    errno = 0;
    const ssize_t length = getline(&line_, &line_capacity_, stream_);
    if (length < 0) {
        if (std::ferror(stream_)) {
            throw usage_error("cannot read '" + display_name_ + "': " + std::strerror(errno));
        }
        return false;
    }
    line_length_ = static_cast<std::size_t>(length);
    ++line_number_;
    if (line_length_ > 0 && line_[line_length_ - 1] == '\n') {
        --line_length_;
    }
    // Editors on some systems start UTF-8 text with a byte-order mark.
    static constexpr char byte_order_mark[] = "\xef\xbb\xbf";
    if (line_number_ == 1 && line_length_ >= 3 && std::memcmp(line_, byte_order_mark, 3) == 0) {
        line_start_ = 3;
    } else {
        line_start_ = 0;
    }
    return true;
}

std::string_view text_samples::current_line() const {
    return std::string_view(line_ + line_start_, line_length_ - line_start_);
}

// The first line with something on it decides how the whole file is read.
void text_samples::choose_reader(std::string_view line) {
    if (format_chosen_ || !has_sample_text(line)) {
        return;
    }
    format_chosen_ = true;
    choosing_line_ = line_number_;
    if (probe_ && line.find('\0') == std::string_view::npos) {
        try {
            reader_ = probe_(line, hint_);
        } catch (const tool_error &e) {
            throw tool_error(e.status(), position() + ": " + e.what());
        }
    }
}

bool text_samples::holds_sample(std::string_view line) {
    choose_reader(line);
    return reader_ ? reader_->holds_sample(line) : has_sample_text(line);
}

bool text_samples::next(sample &next_sample) {
    while (read_line()) {
        const std::string_view line = current_line();
        choose_reader(line);
        try {
            if (line.find('\0') != std::string_view::npos) {
                throw usage_error("line holds a NUL byte: is this a text file?");
            }
            if (reader_ ? reader_->parse(line, next_sample)
                        : parse_sample_line(line, fields_, next_sample)) {
                return true;
            }
        } catch (const tool_error &e) {
            std::string message = position() + ": " + e.what();
            if (!reader_ && line_number_ == choosing_line_ && !hint_.empty()) {
                message += " (" + hint_ + ")";
            }
            throw tool_error(e.status(), message);
        }
    }
    return false;
}

std::string text_samples::position() const {
    return display_name_ + ":" + std::to_string(line_number_);
}

namespace {

// Edge values that the range holds, in a fixed order, without repeats.
std::vector<big_integer> edge_values(const operand_range &range) {
    std::vector<big_integer> candidates(5);
    mpz_set(candidates[0].get(), range.lowest());
    mpz_set_si(candidates[1].get(), -1);
    mpz_set_si(candidates[2].get(), 0);
    mpz_set_si(candidates[3].get(), 1);
    mpz_set(candidates[4].get(), range.highest());
    std::vector<big_integer> edges;
    for (const big_integer &candidate : candidates) {
        bool repeated = false;
        for (const big_integer &kept : edges) {
            repeated = repeated || mpz_cmp(kept.get(), candidate.get()) == 0;
        }
        if (!repeated && range.contains(candidate.get())) {
            edges.push_back(candidate);
        }
    }
    return edges;
}

} // namespace

random_samples::random_samples(const operand_range &dividend_range,
                               const operand_range &divisor_range, uint64_t count, uint64_t seed)
    : dividend_range_(dividend_range),
      divisor_range_(divisor_range),
      dividend_edges_(edge_values(dividend_range)),
      divisor_edges_(edge_values(divisor_range)),
      count_(count),
      engine_(seed) {}

bool random_samples::next(sample &next_sample) {
    if (produced_ >= count_) {
        return false;
    }
    if (!next_edge_pair(next_sample)) {
        draw(dividend_range_, next_sample.dividend.get());
        draw(divisor_range_, next_sample.divisor.get());
    }
    ++produced_;
    return true;
}

bool random_samples::next_edge_pair(sample &next_sample) {
    const uint64_t pairs = dividend_edges_.size() * divisor_edges_.size();
    if (produced_ >= pairs) {
        return false;
    }
    const std::size_t divisor_index = produced_ % divisor_edges_.size();
    const std::size_t dividend_index = produced_ / divisor_edges_.size();
    mpz_set(next_sample.dividend.get(), dividend_edges_[dividend_index].get());
    mpz_set(next_sample.divisor.get(), divisor_edges_[divisor_index].get());
    return true;
}

// Unbiased: rejects the few raw values that would favour small results.
uint64_t random_samples::uniform_below(uint64_t bound) {
    const uint64_t threshold = (0 - bound) % bound; // 2^64 mod bound
    uint64_t raw = 0;
    do {
        raw = engine_();
    } while (raw < threshold);
    return raw % bound;
}

// The magnitude's bit length is uniform, then its bits: quotients of every
// size occur, not only those of two full-width operands. Negative values are
// -(m + 1), so the most negative value is reachable and 0 is not doubled.
void random_samples::draw(const operand_range &range, mpz_ptr value) {
    const unsigned magnitude_width = range.is_signed() ? range.width() - 1 : range.width();
    const auto length = static_cast<unsigned>(uniform_below(uint64_t{magnitude_width} + 1));
    mpz_set_ui(value, 0);
    if (length > 0) {
        words_.resize((length + 63) / 64);
        for (uint64_t &word : words_) {
            word = engine_();
        }
        mpz_import(value, words_.size(), -1, sizeof(uint64_t), 0, 0, words_.data());
        mpz_fdiv_r_2exp(value, value, length);
        mpz_setbit(value, length - 1);
    }
    if (range.is_signed() && (engine_() & 1) != 0) {
        mpz_add_ui(value, value, 1);
        mpz_neg(value, value);
    }
}

std::string random_samples::position() const {
    return "random sample " + std::to_string(produced_);
}

namespace {

struct small_pair {
    long dividend;
    long divisor;
};

constexpr small_pair fixed_pairs[] = {
    {100, 7}, {-7, 2}, {7, -2}, {-7, -2}, {-6, 3}, {1, 3},
};
constexpr small_pair zero_divisor_pairs[] = {{5, 0}, {-5, 0}};

void keep_if_in_range(std::vector<sample> &kept, const sample &candidate,
                      const operand_range &dividend_range, const operand_range &divisor_range) {
    if (dividend_range.contains(candidate.dividend.get()) &&
        divisor_range.contains(candidate.divisor.get())) {
        kept.push_back(candidate);
    }
}

sample small_sample(const small_pair &pair) {
    sample result;
    mpz_set_si(result.dividend.get(), pair.dividend);
    mpz_set_si(result.divisor.get(), pair.divisor);
    return result;
}

} // namespace

demo_samples::demo_samples(const operand_range &dividend_range,
                           const operand_range &divisor_range) {
    for (const small_pair &pair : fixed_pairs) {
        keep_if_in_range(samples_, small_sample(pair), dividend_range, divisor_range);
    }
    sample overflow; // most negative / -1: the one quotient that does not fit
    mpz_set(overflow.dividend.get(), dividend_range.lowest());
    mpz_set_si(overflow.divisor.get(), -1);
    keep_if_in_range(samples_, overflow, dividend_range, divisor_range);
    sample extremes; // largest dividend over the most negative divisor
    mpz_set(extremes.dividend.get(), dividend_range.highest());
    mpz_set(extremes.divisor.get(), divisor_range.lowest());
    keep_if_in_range(samples_, extremes, dividend_range, divisor_range);
    for (const small_pair &pair : zero_divisor_pairs) {
        keep_if_in_range(samples_, small_sample(pair), dividend_range, divisor_range);
    }
}

bool demo_samples::next(sample &next_sample) {
    if (taken_ >= samples_.size()) {
        return false;
    }
    next_sample = samples_[taken_++];
    return true;
}

std::string demo_samples::position() const {
    return "demo sample " + std::to_string(taken_);
}


namespace {

// The call for every origin but the placeholder.
template <typename Result, typename Call> struct on_origin {
    Result none;
    Call call;
    Result operator()(std::monostate &) const { return none; }
    Result operator()(const std::monostate &) const { return none; }
    template <typename Origin> Result operator()(Origin &origin) const { return call(origin); }
};

template <typename Result, typename Call>
on_origin<Result, Call> for_origins(Result none, Call call) {
    return {none, call};
}

} // namespace

sample_source::sample_source(const tool_options &options, const operand_range &dividend_range,
                             const operand_range &divisor_range, line_format_probe probe) {
    const operand_fields fields{dividend_range, divisor_range, options.wrap_operands};
    // Each origin is built in place: a text stream owns an open file.
    switch (options.origin) {
    case sample_origin::arguments:
        origin_.emplace<argument_samples>(options.operand_texts, fields);
        break;
    case sample_origin::random:
        origin_.emplace<random_samples>(dividend_range, divisor_range, options.random_count,
                                        options.random_seed);
        break;
    case sample_origin::demo:
        origin_.emplace<demo_samples>(dividend_range, divisor_range);
        break;
    case sample_origin::exhaustive:
        origin_.emplace<exhaustive_samples>(dividend_range, divisor_range);
        break;
    case sample_origin::text_stream:
        origin_.emplace<text_samples>(options.input_path, fields, std::move(probe));
        break;
    }
    restrict_to_shard(options.shard);
}

bool sample_source::next(sample &next_sample) {
    if (limited_) {
        if (handed_out_ >= limit_) {
            return false;
        }
        ++handed_out_;
    }
    return std::visit(for_origins(false, [&](auto &origin) { return origin.next(next_sample); }),
                      origin_);
}

std::string sample_source::position() const {
    return std::visit(
        for_origins(std::string(), [](const auto &origin) { return origin.position(); }), origin_);
}

uint64_t sample_source::known_total() const {
    if (sharded_) {
        return limit_;
    }
    return std::visit(
        for_origins(uint64_t{0}, [](const auto &origin) { return origin.known_total(); }),
        origin_);
}

// ---------------------------------------------------------------------------
// Exhaustive runs and shards

bool has_sample_text(std::string_view line) {
    std::string_view rest = without_comment(line);
    skip_blanks(rest);
    return !rest.empty();
}

void argument_samples::skip(uint64_t n) {
    const std::size_t pairs = samples_.size();
    pairs_taken_ = n >= pairs - pairs_taken_ ? pairs : pairs_taken_ + static_cast<std::size_t>(n);
}

uint64_t text_samples::count_samples() {
    struct stat status {};
    if (fstat(fileno(stream_), &status) != 0 || !S_ISREG(status.st_mode)) {
        throw usage_error("--shard counts the samples of its input first, so the input must "
                          "be a regular file ('" + display_name_ + "' is not): use -i FILE");
    }
    const off_t start = ftello(stream_);
    const uint64_t start_line = line_number_;
    uint64_t count = 0;
    while (read_line()) {
        count += holds_sample(current_line()) ? 1 : 0;
    }
    if (start < 0 || fseeko(stream_, start, SEEK_SET) != 0) {
        throw usage_error("cannot read '" + display_name_ + "' again: " + std::strerror(errno));
    }
    std::clearerr(stream_);
    line_number_ = start_line;
    return count;
}

void text_samples::skip(uint64_t n) {
    while (n > 0 && read_line()) {
        n -= holds_sample(current_line()) ? 1 : 0;
    }
}

void random_samples::skip(uint64_t n) {
    sample discarded;
    for (uint64_t i = 0; i < n && next(discarded); ++i) {
    }
}

void demo_samples::skip(uint64_t n) {
    const std::size_t left = samples_.size() - taken_;
    taken_ += n >= left ? left : static_cast<std::size_t>(n);
}

exhaustive_samples::exhaustive_samples(const operand_range &dividend_range,
                                       const operand_range &divisor_range)
    : dividend_range_(dividend_range), divisor_range_(divisor_range) {
    const unsigned bits = dividend_range.width() + divisor_range.width();
    if (bits > static_cast<unsigned>(exhaustive_forced_bits)) {
        throw usage_error("--exhaustive cannot count 2^" + std::to_string(bits) + " pairs");
    }
    divisor_values_ = uint64_t{1} << divisor_range.width();
    total_ = uint64_t{1} << bits;
    skip(0);
}

bool exhaustive_samples::next(sample &next_sample) {
    if (produced_ >= total_) {
        return false;
    }
    mpz_set(next_sample.dividend.get(), dividend_.get());
    mpz_set(next_sample.divisor.get(), divisor_.get());
    ++produced_;
    // The divisor counts up; past its highest value it starts again and the
    // dividend steps up.
    if (mpz_cmp(divisor_.get(), divisor_range_.highest()) < 0) {
        mpz_add_ui(divisor_.get(), divisor_.get(), 1);
    } else {
        mpz_set(divisor_.get(), divisor_range_.lowest());
        mpz_add_ui(dividend_.get(), dividend_.get(), 1);
    }
    return true;
}

void exhaustive_samples::skip(uint64_t n) {
    produced_ = n >= total_ - produced_ ? total_ : produced_ + n;
    // Operands of pair produced_; both offsets are below 2^63.
    mpz_set_ui(dividend_.get(), static_cast<unsigned long>(produced_ / divisor_values_));
    mpz_add(dividend_.get(), dividend_.get(), dividend_range_.lowest());
    mpz_set_ui(divisor_.get(), static_cast<unsigned long>(produced_ % divisor_values_));
    mpz_add(divisor_.get(), divisor_.get(), divisor_range_.lowest());
}

std::string exhaustive_samples::position() const {
    return "exhaustive pair " + std::to_string(produced_);
}

// Skips the samples before shard K and limits the run to shard K's samples.
// The last part takes everything after its start, so a file is read to its
// end exactly as without --shard.
void sample_source::restrict_to_shard(const shard_choice &shard) {
    if (shard.whole()) {
        return;
    }
    uint64_t total = 0;
    if (auto *text = std::get_if<text_samples>(&origin_)) {
        total = text->count_samples();
    } else {
        total = known_total();
    }
    const uint64_t begin = shard_begin(shard.index, shard.count, total);
    const uint64_t end = shard.index == shard.count
                             ? total
                             : shard_begin(shard.index + 1, shard.count, total);
    std::visit(for_origins(0, [&](auto &origin) {
                   origin.skip(begin);
                   return 0;
               }),
               origin_);
    sharded_ = true;
    limited_ = shard.index != shard.count;
    limit_ = end - begin;
}

} // namespace quodra_div
