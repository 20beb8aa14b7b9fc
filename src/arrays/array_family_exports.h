// Stamps out the twelve exported C functions of one array family as thin
// wrappers over array_family<qor_array_T>. Each family's source file defines
// its default table and expands QOR_DEFINE_ARRAY_FAMILY once.
//
// Default tables are constant data and live in read-only memory, although
// get_default_ops hands out a plain pointer (the C interface has no const
// there). One table is shared by every array of its type in the process,
// including the library's own temporaries and arrays used on other threads;
// swapping its allocator under live arrays would pair one allocator's
// blocks with another's free. A caller that wants different operations
// copies the default table, edits the copy and passes it to create_ex; a
// write through the default pointer faults at once instead of corrupting
// the heap later.
#ifndef QUODRA_ARRAYS_ARRAY_FAMILY_EXPORTS_H
#define QUODRA_ARRAYS_ARRAY_FAMILY_EXPORTS_H

#include "arrays/array_family.h"
#include "quodra.h"

#define QOR_DEFINE_ARRAY_FAMILY(T, default_table)                                              \
    extern "C" {                                                                                \
    QOR_API qor_array_##T##_ops *qor_quodra_v5_1_qor_array_##T##_get_default_ops(void) {       \
        return const_cast<qor_array_##T##_ops *>(&(default_table));                             \
    }                                                                                           \
    QOR_API qor_array_##T *qor_quodra_v5_1_qor_array_##T##_create(void) {                      \
        return ::quodra_arrays::array_family<qor_array_##T>::create_with(                       \
            qor_quodra_v5_1_qor_array_##T##_get_default_ops());                                 \
    }                                                                                           \
    QOR_API qor_array_##T *qor_quodra_v5_1_qor_array_##T##_create_ex(qor_array_##T##_ops *ops) { \
        return ::quodra_arrays::array_family<qor_array_##T>::create_with(ops);                  \
    }                                                                                           \
    QOR_API int qor_quodra_v5_1_qor_array_##T##_reserve_data(qor_array_##T *array,              \
                                                             size_t count) {                    \
        return ::quodra_arrays::array_family<qor_array_##T>::reserve_data(array, count);        \
    }                                                                                           \
    QOR_API int qor_quodra_v5_1_qor_array_##T##_reserve_dim(qor_array_##T *array,               \
                                                            size_t count) {                     \
        return ::quodra_arrays::array_family<qor_array_##T>::reserve_dim(array, count);         \
    }                                                                                           \
    QOR_API qor_array_##T *qor_quodra_v5_1_qor_array_##T##_destroy(qor_array_##T *array) {     \
        return ::quodra_arrays::array_family<qor_array_##T>::destroy(array);                    \
    }                                                                                           \
    QOR_API size_t qor_quodra_v5_1_qor_array_##T##_sub2ind_1d(const qor_array_##T *array,       \
                                                             size_t i0) {                       \
        const size_t subscripts[] = {i0};                                                       \
        return ::quodra_arrays::array_family<qor_array_##T>::linear_index(array, subscripts, 1); \
    }                                                                                           \
    QOR_API size_t qor_quodra_v5_1_qor_array_##T##_sub2ind_2d(const qor_array_##T *array,       \
                                                             size_t i0, size_t i1) {            \
        const size_t subscripts[] = {i0, i1};                                                   \
        return ::quodra_arrays::array_family<qor_array_##T>::linear_index(array, subscripts, 2); \
    }                                                                                           \
    QOR_API size_t qor_quodra_v5_1_qor_array_##T##_sub2ind_3d(const qor_array_##T *array,       \
                                                             size_t i0, size_t i1, size_t i2) { \
        const size_t subscripts[] = {i0, i1, i2};                                               \
        return ::quodra_arrays::array_family<qor_array_##T>::linear_index(array, subscripts, 3); \
    }                                                                                           \
    QOR_API size_t qor_quodra_v5_1_qor_array_##T##_sub2ind_4d(                                  \
        const qor_array_##T *array, size_t i0, size_t i1, size_t i2, size_t i3) {              \
        const size_t subscripts[] = {i0, i1, i2, i3};                                           \
        return ::quodra_arrays::array_family<qor_array_##T>::linear_index(array, subscripts, 4); \
    }                                                                                           \
    QOR_API int qor_quodra_v5_1_qor_array_##T##_set_element(                                    \
        qor_array_##T *array,                                                                   \
        const ::quodra_arrays::array_family<qor_array_##T>::element *value, size_t index) {    \
        return ::quodra_arrays::array_family<qor_array_##T>::set_element(array, value, index);  \
    }                                                                                           \
    QOR_API int qor_quodra_v5_1_qor_array_##T##_get_element(                                    \
        const qor_array_##T *array, ::quodra_arrays::array_family<qor_array_##T>::element *dst, \
        size_t index) {                                                                         \
        return ::quodra_arrays::array_family<qor_array_##T>::get_element(array, dst, index);    \
    }                                                                                           \
    }

#endif
