// The operand plane of a check: dividend across, divisor down, cut into at
// most 64 x 64 cells, each counting its rows and how many differ (and how,
// by class). Fields up to 16 bits get cells of contiguous value ranges;
// wider fields get cells of sign and magnitude (bit length), since equal
// ranges would put every row of a wide random set in a few cells.
#ifndef QUODRA_DIAGNOSIS_OPERAND_MAP_H
#define QUODRA_DIAGNOSIS_OPERAND_MAP_H

#include <gmp.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnosis/corner_bins.h"
#include "diagnosis/mismatch_classes.h"

namespace quodra_diagnosis {

// How one operand's field is cut into cells.
class map_axis {
public:
    map_axis(unsigned width, bool is_signed);

    unsigned cells() const { return cells_; }
    unsigned cell_of(mpz_srcptr value) const;
    // The same cell for a value of a field up to 64 bits.
    unsigned cell_of(word_value value) const;
    // What the cell holds: "-128 to -125", or "negative, 17 to 20 bits".
    std::string label(unsigned cell) const;

private:
    unsigned cell_of_small(int64_t value) const;
    unsigned cell_of_length(int sign, unsigned length) const;

    unsigned width_;
    bool is_signed_;
    bool by_magnitude_;
    unsigned cells_;
    unsigned length_buckets_; // by magnitude: buckets per sign
};

constexpr std::size_t class_count = static_cast<std::size_t>(mismatch_class::unclassified) + 1;

struct map_cell {
    uint64_t rows = 0;
    uint64_t differing = 0;
    std::array<uint64_t, class_count> by_class{};
    // The class most of its differing rows fall in (unclassified if none).
    mismatch_class majority() const;
};

class operand_map {
public:
    explicit operand_map(const divider_shape &shape);

    // A row that agrees has no class: pass differs = false.
    void add(mpz_srcptr dividend, mpz_srcptr divisor, bool differs, mismatch_class kind);
    // The same for operands of fields up to 64 bits.
    void add(word_value dividend, word_value divisor, bool differs, mismatch_class kind);

    const map_axis &dividends() const { return dividends_; }
    const map_axis &divisors() const { return divisors_; }
    const map_cell &at(unsigned dividend_cell, unsigned divisor_cell) const;

private:
    void count(unsigned dividend_cell, unsigned divisor_cell, bool differs, mismatch_class kind);

    map_axis dividends_;
    map_axis divisors_;
    std::vector<map_cell> cells_;
};

} // namespace quodra_diagnosis

#endif
