#include "diagnosis/corner_bins.h"

#include <algorithm>
#include <cstddef>

namespace quodra_diagnosis {

namespace {

constexpr int high_radix = 3;
constexpr int radix2 = 1;

// What the bins look at, for one row.
struct row_facts {
    const divider_shape &shape;
    const divided_sample &sample;
    int dividend_sign;
    int divisor_sign;
    corner_coverage::working_integers &working;
};

// |v| = 2^k: its lowest set bit is its highest (mpz_scan1 reads a negative
// value in two's complement, whose lowest set bit is that of |v|).
bool magnitude_is_power_of_two(mpz_srcptr v, std::size_t k) {
    return mpz_sgn(v) != 0 && mpz_scan1(v, 0) == k && mpz_sizeinbase(v, 2) == k + 1;
}

bool is_field_minimum(mpz_srcptr v, unsigned width, bool is_signed) {
    if (!is_signed) return mpz_sgn(v) == 0;
    return mpz_sgn(v) < 0 && magnitude_is_power_of_two(v, width - 1);
}

// The maximum is 2^(w-1) - 1 signed, 2^w - 1 unsigned: a run of ones.
bool is_field_maximum(mpz_srcptr v, unsigned width, bool is_signed) {
    const unsigned ones = is_signed ? width - 1 : width;
    if (ones == 0) return mpz_sgn(v) == 0;
    return mpz_sgn(v) > 0 && mpz_sizeinbase(v, 2) == ones && mpz_popcount(v) == ones;
}

bool fits_field(mpz_srcptr v, unsigned width, bool is_signed) {
    if (mpz_sgn(v) == 0) return true;
    if (!is_signed) return mpz_sgn(v) > 0 && mpz_sizeinbase(v, 2) <= width;
    if (mpz_sgn(v) > 0) return mpz_sizeinbase(v, 2) <= width - 1;
    return mpz_sizeinbase(v, 2) <= width - 1 || magnitude_is_power_of_two(v, width - 1);
}

// The High Radix quotient in units of 2^-F is N 2^F / D. With t = 2 N 2^F
// and u = 2 |D| (t negated with D), the nearest integer is
// floor((t + |D|) / u), and t mod u = |D| marks an exact half.
struct nearest_quotient {
    bool exact_half;
    bool differs_from_written;
};

nearest_quotient compare_with_nearest(const row_facts &row) {
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

struct bin_definition {
    const char *name;
    const char *example;
    bool (*exists)(const divider_shape &);
    bool required;
    bool (*hit)(const row_facts &);
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

bool wraps(const row_facts &row) {
    if (row.divisor_sign == 0) return false;
    mpz_ptr q = row.working.q;
    mpz_tdiv_q(q, row.sample.dividend, row.sample.divisor);
    return !fits_field(q, row.shape.dividend_width, row.shape.is_signed);
}

const bin_definition definitions[] = {
    {"dividend >= 0, divisor > 0", "100 / 7", signed_with_positive_divisors, true,
     [](const row_facts &r) { return r.dividend_sign >= 0 && r.divisor_sign > 0; }},
    {"dividend >= 0, divisor < 0", "100 / -7", signed_fields, true,
     [](const row_facts &r) { return r.dividend_sign >= 0 && r.divisor_sign < 0; }},
    {"dividend < 0, divisor > 0", "-100 / 7", signed_with_positive_divisors, true,
     [](const row_facts &r) { return r.dividend_sign < 0 && r.divisor_sign > 0; }},
    {"dividend < 0, divisor < 0", "-100 / -7", signed_fields, true,
     [](const row_facts &r) { return r.dividend_sign < 0 && r.divisor_sign < 0; }},
    {"zero divisor", "5 / 0", always, true,
     [](const row_facts &r) { return r.divisor_sign == 0; }},
    {"divisor 1", "-7 / 1", divisor_holds_one, true,
     [](const row_facts &r) { return mpz_cmp_si(r.sample.divisor, 1) == 0; }},
    {"divisor -1", "7 / -1", signed_fields, true,
     [](const row_facts &r) { return mpz_cmp_si(r.sample.divisor, -1) == 0; }},
    {"dividend at its minimum", "-128 / 3", always, true,
     [](const row_facts &r) {
         return is_field_minimum(r.sample.dividend, r.shape.dividend_width, r.shape.is_signed);
     }},
    {"dividend at its maximum", "127 / 3", always, true,
     [](const row_facts &r) {
         return is_field_maximum(r.sample.dividend, r.shape.dividend_width, r.shape.is_signed);
     }},
    {"most negative dividend / -1", "-128 / -1", signed_fields, true,
     [](const row_facts &r) {
         return mpz_cmp_si(r.sample.divisor, -1) == 0 &&
                is_field_minimum(r.sample.dividend, r.shape.dividend_width, true);
     }},
    {"power-of-two divisor", "100 / -4", divisor_holds_two, true,
     [](const row_facts &r) {
         const std::size_t bits = mpz_sizeinbase(r.sample.divisor, 2);
         return bits >= 2 && magnitude_is_power_of_two(r.sample.divisor, bits - 1);
     }},
    {"|dividend| < |divisor| (zero quotient)", "3 / -7", always, true,
     [](const row_facts &r) {
         return r.divisor_sign != 0 && mpz_cmpabs(r.sample.dividend, r.sample.divisor) < 0;
     }},
    {"quotient wraps its field", "-128 / -1 (+128 is written as -128)", quotient_can_wrap,
     true, wraps},
    {"negative fraction, zero integer part", "-1 / 3 (-0.25, F = 4)", signed_radix2_fraction,
     true,
     [](const row_facts &r) {
         return r.sample.quotient != nullptr && r.sample.fraction != nullptr &&
                mpz_sgn(r.sample.quotient) == 0 && mpz_sgn(r.sample.fraction) < 0;
     }},
    {"exact half", "1 / -32 (-0.5 units of 2^-4, F = 4)", high_radix_halves, true,
     [](const row_facts &r) { return r.divisor_sign != 0 && compare_with_nearest(r).exact_half; }},
    {"rounded otherwise than to nearest", "rows where the core's rounding shows",
     high_radix_fraction, false,
     [](const row_facts &r) {
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
    const row_facts row{shape_, sample, mpz_sgn(sample.dividend), mpz_sgn(sample.divisor),
                        working_};
    for (std::size_t b = 0; b < bins_.size(); ++b) {
        if (definitions[definition_of_bin_[b]].hit(row)) ++bins_[b].rows;
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
