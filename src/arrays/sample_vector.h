// One-dimensional sample vectors on top of the array families: making a
// vector of n samples in one call, and addressing the sample with a given
// index. The division engine reads and writes every sample this way.
#ifndef QUODRA_ARRAYS_SAMPLE_VECTOR_H
#define QUODRA_ARRAYS_SAMPLE_VECTOR_H

#include <cstddef>
#include <cstdint>

#include "arrays/array_family.h"

namespace quodra_arrays {

// A vector of `count` samples whose storage comes from `ops`: one extent
// equal to count, data_size equal to count. Either the whole vector is made
// or nothing is left allocated.
template <class Descriptor>
Descriptor *make_sample_vector(typename array_family<Descriptor>::ops_table *ops,
                               std::size_t count) noexcept {
    using family = array_family<Descriptor>;
    Descriptor *array = family::create_with(ops);
    if (array == nullptr) {
        return nullptr;
    }
    if (family::reserve_dim(array, 1) != 0 || family::reserve_data(array, count) != 0) {
        family::destroy(array);
        return nullptr;
    }
    array->dim_size = 1;
    array->dim[0] = count;
    array->data_size = count;
    return array;
}

// The element holding sample `index`, or null when the access is refused.
// An array without extents in use is a single sample: every index addresses
// element 0, the one-dimensional rule of the linear index.
template <class Descriptor>
typename array_family<Descriptor>::element *sample_slot(const Descriptor *array,
                                                        std::size_t index) noexcept {
    using family = array_family<Descriptor>;
    if (array == nullptr) {
        return nullptr;
    }
    return family::element_at(array, family::linear_index(array, &index, 1));
}

// True when the array has no extents in use, so that every sample index
// addresses its element 0.
template <class Descriptor> bool single_sample(const Descriptor *array) noexcept {
    return array->dim == nullptr || array->dim_size == 0;
}

// How many leading sample indices reach an element: data_size, or every
// index (SIZE_MAX) for a single-sample array, or none when element access is
// refused altogether. Past it, reads are refused and writes dropped.
template <class Descriptor> std::size_t reachable_samples(const Descriptor *array) noexcept {
    if (sample_slot(array, 0) == nullptr) {
        return 0;
    }
    return single_sample(array) ? SIZE_MAX : array->data_size;
}

// How many distinct elements the first `count` sample indices address.
template <class Descriptor>
std::size_t addressed_elements(const Descriptor *array, std::size_t count) noexcept {
    const std::size_t reached = count < reachable_samples(array) ? count : reachable_samples(array);
    return reached > 0 && single_sample(array) ? 1 : reached;
}

} // namespace quodra_arrays

#endif
