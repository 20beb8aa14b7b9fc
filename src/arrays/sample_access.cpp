// Exported sample vectors of the uint and mpz families: allocation and
// per-sample reads and writes. Every access copies through the array's
// table, so a caller's variable and a stored sample never share storage.
// None of these functions grows an array: an index beyond the samples is
// refused with status 1 and nothing is touched.
#include <gmp.h>

#include "arrays/array_family.h"
#include "quodra.h"
#include "arrays/sample_vector.h"

namespace {

// The C interface passes an mpz_t parameter as a pointer to its one record,
// while the table's copy takes a pointer to the whole mpz_t; both address
// the same record.
const mpz_t *as_mpz_slot(mpz_srcptr value) { return reinterpret_cast<const mpz_t *>(value); }
mpz_t *as_mpz_slot(mpz_ptr value) { return reinterpret_cast<mpz_t *>(value); }

} // namespace

extern "C" {

QOR_API qor_array_uint *qor_quodra_v5_1_qor_array_uint_alloc(size_t count) {
    return quodra_arrays::make_sample_vector<qor_array_uint>(
        qor_quodra_v5_1_qor_array_uint_get_default_ops(), count);
}

QOR_API qor_array_mpz *qor_quodra_v5_1_qor_array_mpz_alloc(size_t count) {
    return quodra_arrays::make_sample_vector<qor_array_mpz>(
        qor_quodra_v5_1_qor_array_mpz_get_default_ops(), count);
}

QOR_API int qor_quodra_v5_1_qor_array_uint_set_data(qor_array_uint *array, uint32_t value,
                                                    size_t index) {
    unsigned int *slot = quodra_arrays::sample_slot(array, index);
    if (slot == nullptr) {
        return 1;
    }
    const unsigned int source = value;
    array->ops->copy(array->ops, slot, &source);
    return 0;
}

QOR_API int qor_quodra_v5_1_qor_array_uint_get_data(const qor_array_uint *array, uint32_t *dst,
                                                    size_t index) {
    unsigned int *slot = quodra_arrays::sample_slot(array, index);
    if (slot == nullptr || dst == nullptr) {
        return 1;
    }
    unsigned int sample;
    array->ops->copy(array->ops, &sample, slot);
    *dst = sample;
    return 0;
}

QOR_API int qor_quodra_v5_1_qor_array_mpz_set_data(qor_array_mpz *array, const mpz_t value,
                                                   size_t index) {
    mpz_t *slot = quodra_arrays::sample_slot(array, index);
    if (slot == nullptr || value == nullptr) {
        return 1;
    }
    array->ops->copy(array->ops, slot, as_mpz_slot(value));
    return 0;
}

QOR_API int qor_quodra_v5_1_qor_array_mpz_get_data(const qor_array_mpz *array, mpz_t dst,
                                                   size_t index) {
    mpz_t *slot = quodra_arrays::sample_slot(array, index);
    if (slot == nullptr || dst == nullptr) {
        return 1;
    }
    array->ops->copy(array->ops, as_mpz_slot(dst), slot);
    return 0;
}

} // extern "C"
