// Reading a stored mpz sample where it lies instead of copying it out. The
// library's default table copies with mpz_set, so through it the stored
// integer is exactly what get_data would deliver, and a reader that needs
// only some of its bits can take those without paying for the rest. Any
// other table's copy is the caller's to define and has to run.
#ifndef QUODRA_ARRAYS_IN_PLACE_READS_H
#define QUODRA_ARRAYS_IN_PLACE_READS_H

#include <gmp.h>

#include <cstddef>

#include "arrays/sample_vector.h"
#include "quodra.h"

namespace quodra_arrays {

// The stored integer of sample `index` when the array copies through the
// default mpz table; null when the read would be refused or the table is
// the caller's own.
inline const mpz_t *sample_readable_in_place(const qor_array_mpz *array, std::size_t index) {
    if (array == nullptr || array->ops != qor_quodra_v5_1_qor_array_mpz_get_default_ops()) {
        return nullptr;
    }
    return sample_slot(array, index);
}

} // namespace quodra_arrays

#endif
