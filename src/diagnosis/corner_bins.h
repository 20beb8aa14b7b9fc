// The corners where dividers break, as named bins a vector set either
// reaches or misses. Defined once here and compiled into the tool and the
// Python extension (never exported from the shared library), so every
// surface counts the same rows into the same bins.
#ifndef QUODRA_DIAGNOSIS_CORNER_BINS_H
#define QUODRA_DIAGNOSIS_CORNER_BINS_H

#include <gmp.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quodra_diagnosis {

// The configuration a vector set is for: what decides which corners exist.
struct divider_shape {
    int algorithm = 1; // 1 Radix-2, 3 High Radix, 4 LutMult
    bool is_signed = true;
    bool fractional = false;
    unsigned dividend_width = 16;
    unsigned divisor_width = 16;
    unsigned fraction_width = 0; // fractional output only
};

// One sample as divided: its operands (values within their fields) and the
// model's outputs. quotient is the integer part as a value (signed fields
// read as signed), null where the core leaves it undefined; in fractional
// output fraction is the fraction field's value, and for High Radix
// written_quotient is the core's whole quotient Q in units of
// 2^-fraction_width (read only there).
struct divided_sample {
    mpz_srcptr dividend = nullptr;
    mpz_srcptr divisor = nullptr;
    mpz_srcptr quotient = nullptr;
    mpz_srcptr remainder = nullptr; // remainder output only
    mpz_srcptr fraction = nullptr;
    mpz_srcptr written_quotient = nullptr;
    bool div_by_zero = false;
};

// A value of a field up to 64 bits, signed or unsigned, in one integer.
__extension__ typedef __int128 word_value;

// divided_sample for fields up to 64 bits, in machine words: the same
// values, and whether each optional output is there.
struct divided_words {
    word_value dividend = 0;
    word_value divisor = 0;
    bool has_quotient = false;
    word_value quotient = 0;
    bool has_fraction = false;
    word_value fraction = 0;
    bool has_written_quotient = false;
    word_value written_quotient = 0;
    bool div_by_zero = false;
};

struct bin_tally {
    const char *name;
    const char *example; // one row that falls in it, in an 8-bit signed core
    bool required;       // every vector set of the shape can reach it
    uint64_t rows = 0;
};

// Counts rows into the bins that exist for one shape. A bin is listed only
// when some operand pair of the shape reaches it; it is required when that
// follows from the widths alone. (Whether the core's rounding ever departs
// from the nearest value depends on the operands it meets, so that High
// Radix bin is shown but not required.)
class corner_coverage {
public:
    explicit corner_coverage(const divider_shape &shape);

    void add(const divided_sample &sample);
    // The same count from words: only when counts_words(), that is, the
    // operand fields are at most 64 bits wide (and N 2^(F+1) within 126
    // bits), which every row the engine's word batch divides meets.
    bool counts_words() const;
    void add(const divided_words &sample);
    // Adds the counts of another tally of the same shape (a worker's).
    void merge(const corner_coverage &other);
    // Empties every bin.
    void clear();

    const std::vector<bin_tally> &bins() const { return bins_; }
    // Whether every required bin holds a row.
    bool every_required_bin_reached() const;

    // The GNU MP integers the bins that compute (a wrapping quotient, the
    // nearest High Radix quotient) work in, kept from row to row so that a
    // row allocates nothing once they have grown. A copy starts its own.
    class working_integers {
    public:
        working_integers();
        ~working_integers();
        working_integers(const working_integers &);
        working_integers &operator=(const working_integers &) { return *this; }
        mpz_t t, u, q, r;
    };

private:
    divider_shape shape_;
    working_integers working_;
    std::vector<bin_tally> bins_;
    std::vector<std::size_t> definition_of_bin_;
};

// The bins as a report's block: "coverage: R of N bins reached", then one
// line per bin with its count, "not reached" on the required empty ones.
std::string coverage_table(const corner_coverage &coverage);

} // namespace quodra_diagnosis

#endif
