#include "diagnosis/corner_bins.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quodra_diagnosis {

namespace {

constexpr int high_radix = 3;
constexpr int radix2 = 1;

// The bins are written once, over either kind of number: a sample's GNU MP
// values, or the machine words of fields up to 64 bits held in a 128-bit
// integer, where every value and working result of the bins fits. The
// primitives below give both the same meaning.
using wide = word_value;
__extension__ typedef unsigned __int128 unsigned_wide;

int sign(mpz_srcptr v) { return mpz_sgn(v); }
int sign(wide v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
bool equals(mpz_srcptr v, long w) { return mpz_cmp_si(v, w) == 0; }
bool equals(wide v, long w) { return v == w; }
unsigned_wide magnitude(wide v) {
    return v < 0 ? static_cast<unsigned_wide>(0) - static_cast<unsigned_wide>(v)
                 : static_cast<unsigned_wide>(v);
}
// Bits of |v|, 1 for 0 (mpz_sizeinbase's count).
std::size_t bit_length(mpz_srcptr v) { return mpz_sizeinbase(v, 2); }
std::size_t bit_length(wide v) {
    const unsigned_wide m = magnitude(v);
    const auto high = static_cast<uint64_t>(m >> 64);
    const auto low = static_cast<uint64_t>(m);
    if (high != 0) return 128 - static_cast<std::size_t>(__builtin_clzll(high));
    return low == 0 ? 1 : 64 - static_cast<std::size_t>(__builtin_clzll(low));
}
// The lowest set bit of a non-zero v (that of |v| too).
std::size_t lowest_set_bit(mpz_srcptr v) { return mpz_scan1(v, 0); }
std::size_t lowest_set_bit(wide v) {
    const unsigned_wide m = magnitude(v);
    const auto low = static_cast<uint64_t>(m);
    return low != 0 ? static_cast<std::size_t>(__builtin_ctzll(low))
                    : 64 + static_cast<std::size_t>(__builtin_ctzll(static_cast<uint64_t>(m >> 64)));
}
// Set bits of a positive v.
std::size_t ones(mpz_srcptr v) { return mpz_popcount(v); }
std::size_t ones(wide v) {
    const unsigned_wide m = magnitude(v);
    return static_cast<std::size_t>(__builtin_popcountll(static_cast<uint64_t>(m)) +
                                    __builtin_popcountll(static_cast<uint64_t>(m >> 64)));
}
int compare_magnitudes(mpz_srcptr a, mpz_srcptr b) { return mpz_cmpabs(a, b); }
int compare_magnitudes(wide a, wide b) {
    return magnitude(a) < magnitude(b) ? -1 : magnitude(a) > magnitude(b) ? 1 : 0;
}

// What the bins look at, for one row: the sample in GNU MP values or in
// words (each optional output null or absent alike).
struct gnu_mp_row {
    const divider_shape &shape;
    const divided_sample &sample;
    int dividend_sign;
    int divisor_sign;
    corner_coverage::working_integers &working;

    mpz_srcptr dividend() const { return sample.dividend; }
    mpz_srcptr divisor() const { return sample.divisor; }
    bool has_quotient() const { return sample.quotient != nullptr; }
    mpz_srcptr quotient() const { return sample.quotient; }
    bool has_fraction() const { return sample.fraction != nullptr; }
    mpz_srcptr fraction() const { return sample.fraction; }
};

struct word_row {
    const divider_shape &shape;
    const divided_words &sample;
    int dividend_sign;
    int divisor_sign;

    wide dividend() const { return sample.dividend; }
    wide divisor() const { return sample.divisor; }
    bool has_quotient() const { return sample.has_quotient; }
    wide quotient() const { return sample.quotient; }
    bool has_fraction() const { return sample.has_fraction; }
    wide fraction() const { return sample.fraction; }
};

// |v| = 2^k: its lowest set bit is its highest (mpz_scan1 reads a negative
// value in two's complement, whose lowest set bit is that of |v|).
template <typename Number> bool magnitude_is_power_of_two(Number v, std::size_t k) {
    return sign(v) != 0 && lowest_set_bit(v) == k && bit_length(v) == k + 1;
}

template <typename Number> bool is_field_minimum(Number v, unsigned width, bool is_signed) {
    if (!is_signed) return sign(v) == 0;
    return sign(v) < 0 && magnitude_is_power_of_two(v, width - 1);
}

// The maximum is 2^(w-1) - 1 signed, 2^w - 1 unsigned: a run of ones.
template <typename Number> bool is_field_maximum(Number v, unsigned width, bool is_signed) {
    const unsigned run = is_signed ? width - 1 : width;
    if (run == 0) return sign(v) == 0;
    return sign(v) > 0 && bit_length(v) == run && ones(v) == run;
}

template <typename Number> bool fits_field(Number v, unsigned width, bool is_signed) {
    if (sign(v) == 0) return true;
    if (!is_signed) return sign(v) > 0 && bit_length(v) <= width;
    if (sign(v) > 0) return bit_length(v) <= width - 1;
    return bit_length(v) <= width - 1 || magnitude_is_power_of_two(v, width - 1);
}

// The High Radix quotient in units of 2^-F is N 2^F / D. With t = 2 N 2^F
// and u = 2 |D| (t negated with D), the nearest integer is
// floor((t + |D|) / u), and t mod u = |D| marks an exact half.
struct nearest_quotient {
    bool exact_half;
    bool differs_from_written;
};

nearest_quotient compare_with_nearest(const gnu_mp_row &row) {
    mpz_ptr t = row.working.t;
    mpz_ptr u = row.working.u;
    mpz_ptr q = row.working.q;
    mpz_ptr r = row.working.r;
    mpz_mul_2exp(t, row.sample.dividend, row.shape.fraction_width + 1);
    if (row.divisor_sign < 0) mpz_neg(t, t);
    mpz_abs(u, row.sample.divisor);
    mpz_mul_2exp(u, u, 1);
    mpz_fdiv_r(r, t, u);
    mpz_fdiv_q_2exp(q, u, 1); // |D|
    const bool half = mpz_cmp(r, q) == 0;
    mpz_add(t, t, q);
    mpz_fdiv_q(q, t, u);
    const bool differs = !half && row.sample.written_quotient != nullptr &&
                         mpz_cmp(q, row.sample.written_quotient) != 0;
    return {half, differs};
}

// The same in 128 bits: N 2^(F+1) stays below 2^126 (see words_reach).
nearest_quotient compare_with_nearest(const word_row &row) {
    wide t = row.sample.dividend * (wide{1} << (row.shape.fraction_width + 1));
    if (row.divisor_sign < 0) t = -t;
    const wide d = static_cast<wide>(magnitude(row.sample.divisor));
    const wide u = 2 * d;
    wide r = t % u; // floor division by the positive u
    if (r < 0) r += u;
    const bool half = r == d;
    const wide shifted = t + d;
    wide q = shifted / u;
    if (shifted % u != 0 && shifted < 0) --q;
    const bool differs = !half && row.sample.has_written_quotient && q != row.sample.written_quotient;
    return {half, differs};
}

mpz_srcptr truncated_quotient(const gnu_mp_row &row) {
    mpz_tdiv_q(row.working.q, row.sample.dividend, row.sample.divisor);
    return row.working.q;
}
// Operands within 64 signed bits (all but the top half of unsigned 64-bit
// fields) divide in one machine division; -2^63 / -1, whose quotient does
// not fit, and the rest take the 128-bit one.
wide truncated_quotient(const word_row &row) {
    const wide dividend = row.sample.dividend;
    const wide divisor = row.sample.divisor;
    const auto in_int64 = [](wide v) { return v >= INT64_MIN && v <= INT64_MAX; };
    if (in_int64(dividend) && in_int64(divisor) && divisor != -1) {
        return static_cast<int64_t>(dividend) / static_cast<int64_t>(divisor);
    }
    return dividend / divisor;
}

// A bin's test, written once as a generic lambda and kept for both rows.
struct hit_test {
    template <typename Test> hit_test(Test test) : on_gnu_mp(test), on_words(test) {}
    bool (*on_gnu_mp)(const gnu_mp_row &);
    bool (*on_words)(const word_row &);
};

struct bin_definition {
    const char *name;
    const char *example;
    bool (*exists)(const divider_shape &);
    bool required;
    hit_test hit;
};

bool always(const divider_shape &) { return true; }
bool signed_fields(const divider_shape &s) { return s.is_signed; }
// A 1-bit signed divisor holds only -1 and 0.
bool signed_with_positive_divisors(const divider_shape &s) {
    return s.is_signed && s.divisor_width >= 2;
}
bool divisor_holds_one(const divider_shape &s) { return !s.is_signed || s.divisor_width >= 2; }
bool divisor_holds_two(const divider_shape &s) { return s.divisor_width >= 2; }
bool quotient_can_wrap(const divider_shape &s) {
    return s.is_signed && !(s.fractional && s.algorithm == high_radix);
}
bool signed_radix2_fraction(const divider_shape &s) {
    return s.algorithm == radix2 && s.is_signed && s.fractional && s.fraction_width >= 2 &&
           s.divisor_width >= 2 && s.dividend_width >= 2;
}
bool high_radix_fraction(const divider_shape &s) {
    return s.algorithm == high_radix && s.fractional;
}
// An exact half needs a divisor that is a multiple of 2^(F+1).
bool high_radix_halves(const divider_shape &s) {
    return high_radix_fraction(s) && s.divisor_width >= s.fraction_width + 2 &&
           s.dividend_width >= 2;
}

const auto wraps = [](const auto &row) {
    if (row.divisor_sign == 0) return false;
    return !fits_field(truncated_quotient(row), row.shape.dividend_width, row.shape.is_signed);
};

const bin_definition definitions[] = {
    {"dividend >= 0, divisor > 0", "100 / 7", signed_with_positive_divisors, true,
     [](const auto &r) { return r.dividend_sign >= 0 && r.divisor_sign > 0; }},
    {"dividend >= 0, divisor < 0", "100 / -7", signed_fields, true,
     [](const auto &r) { return r.dividend_sign >= 0 && r.divisor_sign < 0; }},
    {"dividend < 0, divisor > 0", "-100 / 7", signed_with_positive_divisors, true,
     [](const auto &r) { return r.dividend_sign < 0 && r.divisor_sign > 0; }},
    {"dividend < 0, divisor < 0", "-100 / -7", signed_fields, true,
     [](const auto &r) { return r.dividend_sign < 0 && r.divisor_sign < 0; }},
    {"zero divisor", "5 / 0", always, true,
     [](const auto &r) { return r.divisor_sign == 0; }},
    {"divisor 1", "-7 / 1", divisor_holds_one, true,
     [](const auto &r) { return equals(r.divisor(), 1); }},
    {"divisor -1", "7 / -1", signed_fields, true,
     [](const auto &r) { return equals(r.divisor(), -1); }},
    {"dividend at its minimum", "-128 / 3", always, true,
     [](const auto &r) {
         return is_field_minimum(r.dividend(), r.shape.dividend_width, r.shape.is_signed);
     }},
    {"dividend at its maximum", "127 / 3", always, true,
     [](const auto &r) {
         return is_field_maximum(r.dividend(), r.shape.dividend_width, r.shape.is_signed);
     }},
    {"most negative dividend / -1", "-128 / -1", signed_fields, true,
     [](const auto &r) {
         return equals(r.divisor(), -1) &&
                is_field_minimum(r.dividend(), r.shape.dividend_width, true);
     }},
    {"power-of-two divisor", "100 / -4", divisor_holds_two, true,
     [](const auto &r) {
         const std::size_t bits = bit_length(r.divisor());
         return bits >= 2 && magnitude_is_power_of_two(r.divisor(), bits - 1);
     }},
    {"|dividend| < |divisor| (zero quotient)", "3 / -7", always, true,
     [](const auto &r) {
         return r.divisor_sign != 0 && compare_magnitudes(r.dividend(), r.divisor()) < 0;
     }},
    {"quotient wraps its field", "-128 / -1 (+128 is written as -128)", quotient_can_wrap,
     true, wraps},
    {"negative fraction, zero integer part", "-1 / 3 (-0.25, F = 4)", signed_radix2_fraction,
     true,
     [](const auto &r) {
         return r.has_quotient() && r.has_fraction() && sign(r.quotient()) == 0 &&
                sign(r.fraction()) < 0;
     }},
    {"exact half", "1 / -32 (-0.5 units of 2^-4, F = 4)", high_radix_halves, true,
     [](const auto &r) { return r.divisor_sign != 0 && compare_with_nearest(r).exact_half; }},
    {"rounded otherwise than to nearest", "rows where the core's rounding shows",
     high_radix_fraction, false,
     [](const auto &r) {
         return r.divisor_sign != 0 && compare_with_nearest(r).differs_from_written;
     }},
};

} // namespace

corner_coverage::corner_coverage(const divider_shape &shape) : shape_(shape) {
    for (std::size_t i = 0; i < sizeof definitions / sizeof definitions[0]; ++i) {
        if (definitions[i].exists(shape_)) {
            bins_.push_back({definitions[i].name, definitions[i].example, definitions[i].required});
            definition_of_bin_.push_back(i);
        }
    }
}

corner_coverage::working_integers::working_integers() { mpz_inits(t, u, q, r, nullptr); }

corner_coverage::working_integers::working_integers(const working_integers &)
    : working_integers() {}

corner_coverage::working_integers::~working_integers() { mpz_clears(t, u, q, r, nullptr); }

void corner_coverage::add(const divided_sample &sample) {
    const gnu_mp_row row{shape_, sample, mpz_sgn(sample.dividend), mpz_sgn(sample.divisor),
                         working_};
    for (std::size_t b = 0; b < bins_.size(); ++b) {
        if (definitions[definition_of_bin_[b]].hit.on_gnu_mp(row)) ++bins_[b].rows;
    }
}

bool corner_coverage::counts_words() const {
    // Every value fits 64 bits, and N 2^(F+1) of the nearest quotient 126.
    return shape_.dividend_width <= 64 && shape_.divisor_width <= 64 &&
           shape_.dividend_width + shape_.fraction_width + 1 <= 126;
}

void corner_coverage::add(const divided_words &sample) {
    const word_row row{shape_, sample, sign(sample.dividend), sign(sample.divisor)};
    for (std::size_t b = 0; b < bins_.size(); ++b) {
        if (definitions[definition_of_bin_[b]].hit.on_words(row)) ++bins_[b].rows;
    }
}

void corner_coverage::merge(const corner_coverage &other) {
    for (std::size_t b = 0; b < bins_.size() && b < other.bins_.size(); ++b) {
        bins_[b].rows += other.bins_[b].rows;
    }
}

void corner_coverage::clear() {
    for (bin_tally &bin : bins_) bin.rows = 0;
}

bool corner_coverage::every_required_bin_reached() const {
    return std::none_of(bins_.begin(), bins_.end(),
                        [](const bin_tally &bin) { return bin.required && bin.rows == 0; });
}

std::string coverage_table(const corner_coverage &coverage) {
    const std::vector<bin_tally> &bins = coverage.bins();
    const auto reached = std::count_if(bins.begin(), bins.end(),
                                       [](const bin_tally &bin) { return bin.rows > 0; });
    std::string text = "coverage: " + std::to_string(reached) + " of " +
                       std::to_string(bins.size()) + " bins reached\n";
    for (const bin_tally &bin : bins) {
        std::string line = "  " + std::string(bin.name);
        const std::string count = std::to_string(bin.rows);
        line.append(std::max<std::size_t>(1, 52 - line.size() - count.size()), ' ');
        line += count;
        if (bin.rows == 0) line += bin.required ? "  not reached" : "  (not required)";
        text += line + '\n';
    }
    return text;
}

} // namespace quodra_diagnosis
