// Caller arrays for the division fuzz targets: well-formed sample vectors
// or ones with a fault a careless caller makes (no array, no extent vector,
// an extent or a data_size that does not match the count, no operations
// table), allocated through a counting table so that the targets can prove
// the library neither allocates nor releases caller storage.
#ifndef QUODRA_FUZZ_SAMPLE_ARRAYS_H
#define QUODRA_FUZZ_SAMPLE_ARRAYS_H

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "support/array_family_support.h"
#include "fuzz_support.h"

struct array_shape {
    bool present = true;
    bool has_dim = true; // an extent vector is reserved
    size_t dim_size = 1;
    size_t extent = 0; // dim[0]
    size_t data_size = 0;
    bool has_ops = true;
};

inline array_shape decode_shape(FuzzedDataProvider &input, uint32_t count) {
    static const size_t lying_extents[] = {std::numeric_limits<uint32_t>::max(),
                                           std::numeric_limits<size_t>::max(), 64};
    array_shape shape;
    shape.extent = count + input.ConsumeIntegralInRange<size_t>(0, 2);
    shape.data_size = shape.extent;
    switch (input.ConsumeIntegralInRange<int>(0, 19)) {
    case 0:
        shape.present = false;
        break;
    case 1:
        shape.has_dim = false;
        break;
    case 2: // the extent claims more samples than the storage holds
        shape.extent = input.PickValueInArray(lying_extents);
        shape.data_size = input.ConsumeIntegralInRange<size_t>(0, count);
        break;
    case 3:
        shape.data_size = input.ConsumeIntegralInRange<size_t>(0, count);
        break;
    case 4:
        shape.extent = input.ConsumeIntegralInRange<size_t>(0, count);
        break;
    case 5:
        shape.dim_size = 0;
        break;
    case 6:
        shape.dim_size = 2;
        break;
    case 7:
        shape.has_ops = false;
        break;
    default:
        break;
    }
    return shape;
}

// The element a sample index reaches: the index itself when the array has
// an extent in use, element 0 otherwise.
inline size_t element_of(const array_shape &shape, uint32_t sample) {
    return shape.has_dim && shape.dim_size >= 1 ? sample : 0;
}

// Whether the sample access functions can read or write that element.
inline bool reachable(const array_shape &shape, size_t element) {
    return shape.has_ops && element < shape.data_size;
}

// One caller array, made through `table` and destroyed at scope exit; the
// destroy must release it.
template <class Descriptor> class fuzz_array {
public:
    using family = arrays_test::family<Descriptor>;

    fuzz_array(arrays_test::instrumented_table<Descriptor> &table, const array_shape &shape)
        : table(table), shape(shape) {
        if (!shape.present) {
            return;
        }
        array = family::create_ex(table.get());
        fuzz_require(array != nullptr, "a counting table creates arrays");
        fuzz_require(!shape.has_dim || family::reserve_dim(array, 2) == 0, "extents reserved");
        fuzz_require(family::reserve_data(array, shape.data_size) == 0, "storage reserved");
        if (shape.has_dim) {
            array->dim[0] = shape.extent;
            array->dim[1] = 1;
        }
        array->dim_size = shape.dim_size;
        array->data_size = shape.data_size;
        if (!shape.has_ops) {
            array->ops = nullptr;
        }
    }
    ~fuzz_array() {
        if (array != nullptr) {
            array->ops = table.get();
            fuzz_require(family::destroy(array) == nullptr, "destroy releases a caller array");
        }
    }
    fuzz_array(const fuzz_array &) = delete;
    fuzz_array &operator=(const fuzz_array &) = delete;

    Descriptor *get() const { return array; }
    bool reaches(uint32_t sample) const {
        return array != nullptr && reachable(shape, element_of(shape, sample));
    }
    size_t element(uint32_t sample) const { return element_of(shape, sample); }
    size_t size() const { return array == nullptr ? 0 : array->data_size; }

private:
    arrays_test::instrumented_table<Descriptor> &table;
    array_shape shape;
    Descriptor *array = nullptr;
};

// Every element of an array, for comparing it before and after a call.
inline std::vector<std::string> contents(const qor_array_mpz *array) {
    std::vector<std::string> texts;
    for (size_t k = 0; array != nullptr && k < array->data_size; ++k) {
        std::unique_ptr<char, void (*)(void *)> text(mpz_get_str(nullptr, 16, array->data[k]),
                                                     free);
        texts.emplace_back(text.get());
    }
    return texts;
}

template <class Descriptor> auto contents(const Descriptor *array) {
    using element = std::remove_pointer_t<decltype(array->data)>;
    std::vector<element> elements;
    for (size_t k = 0; array != nullptr && k < array->data_size; ++k) {
        elements.push_back(array->data[k]);
    }
    return elements;
}

// Every block a counting table handed out has come back to it, through it.
template <class Descriptor>
void require_balanced(arrays_test::instrumented_table<Descriptor> &table) {
    const arrays_test::allocation_log &log = table.log();
    fuzz_require(log.live_blocks.empty(), "every block is released");
    fuzz_require(log.frees_of_unknown == 0, "only blocks of the table are released through it");
    fuzz_require(log.init_slots.size() == log.clear_slots.size(),
                 "every prepared element is released once");
}

// One counting table per family, checked for balance when they go: declared
// before the arrays made with them, they are destroyed after them.
template <class... Descriptors> class counting_tables {
public:
    counting_tables() = default;
    counting_tables(const counting_tables &) = delete;
    counting_tables &operator=(const counting_tables &) = delete;
    ~counting_tables() { (require_balanced(get<Descriptors>()), ...); }

    template <class Descriptor> arrays_test::instrumented_table<Descriptor> &get() {
        return std::get<arrays_test::instrumented_table<Descriptor>>(tables);
    }

private:
    std::tuple<arrays_test::instrumented_table<Descriptors>...> tables;
};

// The library neither allocates nor releases caller storage during a call.
struct allocation_counts {
    template <class Descriptor>
    explicit allocation_counts(arrays_test::instrumented_table<Descriptor> &table)
        : reallocs(table.log().realloc_calls), live(table.log().live_blocks.size()) {}
    bool operator==(const allocation_counts &other) const {
        return reallocs == other.reallocs && live == other.live;
    }
    long reallocs;
    size_t live;
};

#endif
