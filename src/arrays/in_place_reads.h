// Reading a stored mpz sample where it lies instead of copying it out, and
// writing a result straight into its element. The library's default table
// copies with mpz_set, so through it the stored integer is exactly what
// get_data would deliver (and what set_data would store), and a reader that
// needs only some of its bits can take those without paying for the rest.
// Any other table's copy is the caller's to define and has to run.
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

// True when every one of the first `count` samples is stored in place
// behind the default table: no read or write of the call is refused or
// dropped, so a loop may take each element where it lies.
inline bool every_sample_in_place(const qor_array_mpz *array, std::size_t count) {
    return array != nullptr && array->ops == qor_quodra_v5_1_qor_array_mpz_get_default_ops() &&
           reachable_samples(array) >= count;
}
inline bool every_sample_in_place(const qor_array_uint *array, std::size_t count) {
    return array != nullptr && array->ops == qor_quodra_v5_1_qor_array_uint_get_default_ops() &&
           reachable_samples(array) >= count;
}

// The element of sample `index` of an array that every_sample_in_place()
// accepted for more than `index` samples.
inline mpz_t &stored_sample(const qor_array_mpz *array, std::size_t index) {
    return *sample_slot(array, index);
}
inline unsigned int &stored_sample(const qor_array_uint *array, std::size_t index) {
    return *sample_slot(array, index);
}

} // namespace quodra_arrays

#endif
