// One implementation of the array operations shared by all seven element
// families. A descriptor owns contiguous element storage and a vector of
// extents, both moved and released through the descriptor's operations table;
// the family functions only ever grow storage, to exactly the count asked
// for, and never report anything but a return value.
#ifndef QUODRA_ARRAYS_ARRAY_FAMILY_H
#define QUODRA_ARRAYS_ARRAY_FAMILY_H

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

#include "quodra.h"

namespace quodra_arrays {

template <class Descriptor>
struct array_family {
    using ops_table = std::remove_pointer_t<decltype(Descriptor::ops)>;
    using element = std::remove_pointer_t<decltype(Descriptor::data)>;

    // Largest counts whose byte size still fits in a size_t. Beyond them the
    // multiplication would wrap and a small block would pass for a large one.
    static constexpr std::size_t max_elements = SIZE_MAX / sizeof(element);
    static constexpr std::size_t max_extents = SIZE_MAX / sizeof(std::size_t);

    // A table that can move storage. realloc is required; a table without it
    // is treated like no table at all rather than called through null.
    static bool can_allocate(const ops_table *ops) noexcept {
        return ops != nullptr && ops->realloc != nullptr;
    }

    static bool can_release(const ops_table *ops) noexcept {
        return ops != nullptr && ops->free != nullptr;
    }

    static bool can_copy(const ops_table *ops) noexcept {
        return ops != nullptr && ops->copy != nullptr;
    }

    // An empty descriptor whose own memory comes from `ops`, so that destroy
    // can hand it back to the same allocator.
    static Descriptor *create_with(ops_table *ops) noexcept {
        if (!can_allocate(ops)) {
            return nullptr;
        }
        void *block = ops->realloc(ops, nullptr, sizeof(Descriptor));
        if (block == nullptr) {
            return nullptr;
        }
        Descriptor *array = ::new (block) Descriptor(); // every field zero
        array->ops = ops;
        return array;
    }

    // Growth is refused, not attempted, when the family may not touch the
    // storage (it belongs to someone else, or there is no allocator).
    static bool may_grow(const Descriptor *array) noexcept {
        return array->owner == 0 && can_allocate(array->ops);
    }

    static int reserve_data(Descriptor *array, std::size_t count) noexcept {
        if (array == nullptr) {
            return 1;
        }
        if (array->data_capacity >= count) {
            return 0;
        }
        if (!may_grow(array) || count > max_elements) {
            return 1;
        }
        ops_table *ops = array->ops;
        void *block = ops->realloc(ops, array->data, count * sizeof(element));
        if (block == nullptr) {
            return 1; // the old block is still the array's, unchanged
        }
        array->data = static_cast<element *>(block);
        prepare_slots(array, array->data_capacity, count);
        array->data_capacity = count;
        return 0;
    }

    static int reserve_dim(Descriptor *array, std::size_t count) noexcept {
        if (array == nullptr) {
            return 1;
        }
        if (array->dim_capacity >= count) {
            return 0;
        }
        if (!may_grow(array) || count > max_extents) {
            return 1;
        }
        ops_table *ops = array->ops;
        void *block = ops->realloc(ops, array->dim, count * sizeof(std::size_t));
        if (block == nullptr) {
            return 1;
        }
        array->dim = static_cast<std::size_t *>(block);
        array->dim_capacity = count;
        return 0;
    }

    // Releases the elements, the storage and the descriptor. Every slot below
    // the capacity was prepared when it was reserved, so every one of them is
    // released, whatever data_size says.
    static Descriptor *destroy(Descriptor *array) noexcept {
        if (array == nullptr) {
            return nullptr;
        }
        if (array->owner != 0 || !can_release(array->ops)) {
            return array; // not ours to release; the caller keeps a valid pointer
        }
        ops_table *ops = array->ops;
        release_slots(array);
        ops->free(ops, array->data);
        ops->free(ops, array->dim);
        ops->free(ops, array);
        return nullptr;
    }

    // Column-major linear index of `count` subscripts (the first varies
    // fastest). Subscripts of dimensions at or beyond dim_size count as zero;
    // nothing is bounds-checked and the arithmetic wraps, as in the hardware
    // address generator this mirrors.
    static std::size_t linear_index(const Descriptor *array, const std::size_t *subscripts,
                                    std::size_t count) noexcept {
        if (array == nullptr || array->dim == nullptr) {
            return 0;
        }
        std::size_t last = count - 1;
        std::size_t index = array->dim_size > last ? subscripts[last] : 0;
        for (std::size_t j = last; j-- > 0;) {
            if (array->dim_size > j) {
                index = index * array->dim[j] + subscripts[j];
            }
        }
        return index;
    }

    // The element at `index`, or null when the access must be refused.
    static element *element_at(const Descriptor *array, std::size_t index) noexcept {
        if (array == nullptr || !can_copy(array->ops) || index >= array->data_size) {
            return nullptr;
        }
        return &array->data[index];
    }

    static int set_element(Descriptor *array, const element *value, std::size_t index) noexcept {
        element *slot = element_at(array, index);
        if (slot == nullptr || value == nullptr) {
            return 1;
        }
        array->ops->copy(array->ops, slot, value);
        return 0;
    }

    static int get_element(const Descriptor *array, element *destination,
                           std::size_t index) noexcept {
        element *slot = element_at(array, index);
        if (slot == nullptr || destination == nullptr) {
            return 1;
        }
        array->ops->copy(array->ops, destination, slot);
        return 0;
    }

private:
    static void prepare_slots(Descriptor *array, std::size_t first, std::size_t end) noexcept {
        ops_table *ops = array->ops;
        if (ops->init == nullptr) {
            return;
        }
        for (std::size_t i = first; i < end; ++i) {
            ops->init(ops, &array->data[i]);
        }
    }

    static void release_slots(Descriptor *array) noexcept {
        ops_table *ops = array->ops;
        if (ops->clear == nullptr) {
            return;
        }
        for (std::size_t i = 0; i < array->data_capacity; ++i) {
            ops->clear(ops, &array->data[i]);
        }
    }
};

} // namespace quodra_arrays

#endif
