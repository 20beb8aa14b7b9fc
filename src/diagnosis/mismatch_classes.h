// What a differing row's fields have in common with the model's: the few
// ways dividers are known to fail, each a class with its count, an example
// and the corner bins its rows share. Compiled into the tool and the Python
// extension with the corner bins.
#ifndef QUODRA_DIAGNOSIS_MISMATCH_CLASSES_H
#define QUODRA_DIAGNOSIS_MISMATCH_CLASSES_H

#include <gmp.h>

#include <cstdint>
#include <string>
#include <vector>

#include "diagnosis/corner_bins.h"

namespace quodra_diagnosis {

enum class mismatch_class {
    last_place,     // the quotient (its whole register) off by 1 in its last place
    remainder_sign, // a consistent division whose remainder takes the divisor's sign
    swapped,        // quotient and remainder exchanged
    wrong_wrap,     // a field that holds the model's value cut to a narrower width
    fraction_only,  // the fraction field wrong under a right integer part
    only_flag,      // every field right, div_by_zero wrong
    unclassified,
};

// The fields of one row as a design wrote them: bit patterns at the field
// widths (non-negative), null where the row leaves a field undefined.
struct written_row {
    mpz_srcptr quotient = nullptr;
    mpz_srcptr second = nullptr; // the remainder, or the fraction field
    bool div_by_zero = false;
};

// The class of a row that differs from the model: model is the sample as
// the model divided it (its fields as values, see divided_sample), written
// the design's fields. The first class that fits, in the order above.
mismatch_class classify(const divider_shape &shape, const divided_sample &model,
                        const written_row &written);

const char *class_name(mismatch_class kind);

// One class of a check's differing rows.
struct class_summary {
    const char *name;
    uint64_t rows;
    std::string example;
};

// The differing rows of a check, class by class: how many, the first
// example, and the corner bins of each class's rows.
class mismatch_tally {
public:
    explicit mismatch_tally(const divider_shape &shape);

    // example: how the report names the row ("line 2: -7 / 2").
    void add(mismatch_class kind, const divided_sample &model, const std::string &example);

    uint64_t rows() const;
    // The classes that hold rows, in the order of mismatch_class.
    std::vector<class_summary> summaries() const;
    // "classes of the N differing rows:" and a paragraph a class; "" when
    // no row differs.
    std::string report() const;

private:
    struct class_rows {
        uint64_t rows = 0;
        std::string example;
        corner_coverage bins;
    };
    std::vector<class_rows> classes_;
};

} // namespace quodra_diagnosis

#endif
