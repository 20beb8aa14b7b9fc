// Building blocks of the default operations tables: the C run-time heap as
// allocator, and copy/exchange for element types that are plain numbers.
// Every table entry receives the table as first argument; the defaults have
// no state and ignore it.
#ifndef QUODRA_ARRAYS_DEFAULT_ELEMENT_OPS_H
#define QUODRA_ARRAYS_DEFAULT_ELEMENT_OPS_H

#include <cstddef>
#include <cstdlib>

namespace quodra_arrays {

template <class Ops>
void *heap_realloc(Ops *, void *block, std::size_t bytes) noexcept {
    return std::realloc(block, bytes);
}

template <class Ops>
void heap_free(Ops *, void *block) noexcept {
    std::free(block);
}

template <class Ops, class T>
void copy_plain(Ops *, T *destination, const T *source) noexcept {
    *destination = *source;
}

template <class Ops, class T>
void swap_plain(Ops *, T *a, T *b) noexcept {
    T held = *a;
    *a = *b;
    *b = held;
}

// Default table of a family whose elements are plain numbers: no
// preparation and nothing to release, so init and clear stay empty.
template <class Ops, class T>
constexpr Ops plain_element_table() noexcept {
    return Ops{heap_realloc<Ops>, heap_free<Ops>, nullptr, copy_plain<Ops, T>,
               swap_plain<Ops, T>, nullptr, nullptr};
}

} // namespace quodra_arrays

#endif
