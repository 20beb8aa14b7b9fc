// Fuzz target for the array families: random sequences of operations on a
// few arrays of each of the seven element types, most of them made through
// a counting operations table whose realloc fails on demand. Every result
// is checked against a shadow of what the array must hold:
//  - create_ex, reserve_data and reserve_dim succeed exactly when they
//    should (room already there, owner, table, byte-size overflow, failing
//    allocator) and a refusal changes nothing;
//  - growth is to the exact count and prepares exactly the new slots;
//  - element access is bounded by data_size and copies values faithfully;
//  - sub2ind is the column-major index over the extents in use;
//  - destroy releases exactly the arrays it may, clearing every slot below
//    the capacity, and every block goes back to the table that made it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "support/array_family_support.h"
#include "fuzz_support.h"
#include "sample_arrays.h"

namespace {

using namespace arrays_test;

constexpr size_t max_arrays = 3;
constexpr size_t max_elements = 24;
constexpr int unknown_value = -1;

template <class Descriptor> class family_pool {
public:
    using F = family<Descriptor>;
    using element = typename F::element;
    using ops = typename F::ops;

    family_pool() = default;
    family_pool(const family_pool &) = delete;
    family_pool &operator=(const family_pool &) = delete;
    ~family_pool() {
        table.log().fail_always = false;
        table.log().fail_on_call = 0;
        for (entry &e : arrays) {
            e.array->owner = 0;
            e.array->ops = e.table;
            fuzz_require(F::destroy(e.array) == nullptr, "a releasable array is released");
        }
        require_balanced(table);
    }

    void step(FuzzedDataProvider &input) {
        const int operation = input.ConsumeIntegralInRange<int>(0, 10);
        if (operation == 0 || arrays.empty()) {
            create(input.ConsumeBool());
            return;
        }
        entry &e = arrays[input.ConsumeIntegralInRange<size_t>(0, arrays.size() - 1)];
        switch (operation) {
        case 1:
            reserve_data(e, decode_count<element>(input));
            break;
        case 2:
            reserve_dim(e, decode_count<size_t>(input));
            break;
        case 3:
            set_sizes(e, input);
            break;
        case 4:
            set_element(e, input);
            break;
        case 5:
            get_element(e, input);
            break;
        case 6:
            sub2ind(e, input);
            break;
        case 7:
            destroy(e);
            break;
        case 8:
            e.array->owner = input.ConsumeBool() ? 0 : input.ConsumeIntegral<int32_t>();
            break;
        case 9:
            e.array->ops = e.array->ops == nullptr ? e.table : nullptr;
            break;
        default:
            fail_allocations(input);
            break;
        }
    }

private:
    struct entry {
        Descriptor *array;
        ops *table;              // the table it was made with
        std::vector<int> values; // value number held by each slot below the capacity, if known
    };

    // Small counts, or one whose byte size does not fit a size_t.
    template <class Slot> static size_t decode_count(FuzzedDataProvider &input) {
        if (input.ConsumeIntegralInRange<int>(0, 9) == 0) {
            return std::numeric_limits<size_t>::max() / sizeof(Slot) + 1;
        }
        return input.ConsumeIntegralInRange<size_t>(0, max_elements);
    }

    bool next_allocation_fails() {
        const allocation_log &log = table.log();
        return log.fail_always || log.fail_on_call == log.realloc_calls + 1;
    }

    bool counted(const entry &e) { return e.table == table.get(); }

    void create(bool through_counting_table) {
        if (arrays.size() == max_arrays) {
            return;
        }
        const bool must_fail = through_counting_table && next_allocation_fails();
        Descriptor *array = through_counting_table ? F::create_ex(table.get()) : F::create();
        fuzz_require((array == nullptr) == must_fail, "create fails only when its allocation does");
        if (array == nullptr) {
            return;
        }
        fuzz_require(array->data == nullptr && array->dim == nullptr && array->data_size == 0 &&
                         array->data_capacity == 0 && array->dim_size == 0 &&
                         array->dim_capacity == 0 && array->owner == 0,
                     "a new array is empty");
        ops *expected_table = through_counting_table ? table.get() : F::default_ops();
        fuzz_require(array->ops == expected_table, "a new array uses the table it was made with");
        arrays.push_back(entry{array, expected_table, {}});
    }

    // Growth needs room, an owner of 0, a table, a representable byte size
    // and an allocator that delivers.
    bool growth_allowed(const entry &e, size_t count) {
        return e.array->owner == 0 && e.array->ops != nullptr &&
               count <= std::numeric_limits<size_t>::max() / sizeof(element) &&
               !(e.array->ops == table.get() && next_allocation_fails());
    }

    void reserve_data(entry &e, size_t count) {
        Descriptor &a = *e.array;
        const size_t old_capacity = a.data_capacity;
        element *const old_data = a.data;
        const size_t inits_before = table.log().init_slots.size();
        const int expected = count <= old_capacity || growth_allowed(e, count) ? 0 : 1;
        fuzz_require(F::reserve_data(&a, count) == expected,
                     "reserve_data succeeds exactly when it may");
        if (expected != 0 || count <= old_capacity) {
            fuzz_require(a.data == old_data && a.data_capacity == old_capacity,
                         "a reserve_data that does not grow changes nothing");
            return;
        }
        fuzz_require(a.data_capacity == count, "storage grows to exactly the requested count");
        e.values.resize(count, unknown_value);
        if (counted(e)) {
            const std::vector<std::ptrdiff_t> &inits = table.log().init_slots;
            fuzz_require(inits.size() - inits_before == count - old_capacity,
                         "exactly the new slots are prepared");
            for (size_t k = inits_before; k < inits.size(); ++k) {
                fuzz_require(inits[k] ==
                                 static_cast<std::ptrdiff_t>(old_capacity + k - inits_before),
                             "new slots are prepared in ascending order");
            }
        }
    }

    void reserve_dim(entry &e, size_t count) {
        Descriptor &a = *e.array;
        const size_t old_capacity = a.dim_capacity;
        size_t *const old_dim = a.dim;
        const bool fits = count <= std::numeric_limits<size_t>::max() / sizeof(size_t);
        const int expected = count <= old_capacity || (fits && growth_allowed(e, 0)) ? 0 : 1;
        fuzz_require(F::reserve_dim(&a, count) == expected,
                     "reserve_dim succeeds exactly when it may");
        if (expected != 0 || count <= old_capacity) {
            fuzz_require(a.dim == old_dim && a.dim_capacity == old_capacity,
                         "a reserve_dim that does not grow changes nothing");
            return;
        }
        fuzz_require(a.dim_capacity == count, "extents grow to exactly the requested count");
    }

    static void set_sizes(entry &e, FuzzedDataProvider &input) {
        Descriptor &a = *e.array;
        a.data_size = input.ConsumeIntegralInRange<size_t>(0, a.data_capacity);
        a.dim_size = input.ConsumeIntegralInRange<size_t>(0, a.dim_capacity);
        for (size_t d = 0; d < a.dim_size; ++d) {
            a.dim[d] = input.ConsumeIntegralInRange<size_t>(0, 6);
        }
    }

    static bool accessible(const entry &e, size_t index) {
        return e.array->ops != nullptr && index < e.array->data_size;
    }

    static void set_element(entry &e, FuzzedDataProvider &input) {
        const size_t index = input.ConsumeIntegralInRange<size_t>(0, e.array->data_size + 1);
        const int value = input.ConsumeIntegralInRange<int>(0, 200);
        value_holder<element> source(value);
        const int status = F::set_element(e.array, source.get(), index);
        fuzz_require(status == (accessible(e, index) ? 0 : 1),
                     "set_element is bounded by data_size");
        fuzz_require(source.holds(value), "set_element leaves the source alone");
        if (status == 0) {
            e.values[index] = value;
        }
    }

    static void get_element(entry &e, FuzzedDataProvider &input) {
        const size_t index = input.ConsumeIntegralInRange<size_t>(0, e.array->data_size + 1);
        const int marker = 201;
        value_holder<element> destination(marker);
        const int status = F::get_element(e.array, destination.get(), index);
        fuzz_require(status == (accessible(e, index) ? 0 : 1),
                     "get_element is bounded by data_size");
        if (status != 0) {
            fuzz_require(destination.holds(marker), "a refused get_element leaves the destination");
        } else if (e.values[index] != unknown_value) {
            fuzz_require(destination.holds(e.values[index]), "get_element returns what was stored");
        }
    }

    // Column-major: subscript j weighs the product of the extents below it,
    // and only dimensions in use take part.
    static void sub2ind(const entry &e, FuzzedDataProvider &input) {
        size_t subscripts[4];
        for (size_t &s : subscripts) {
            s = input.ConsumeIntegralInRange<size_t>(0, 8);
        }
        const Descriptor &a = *e.array;
        const size_t rank = input.ConsumeIntegralInRange<size_t>(1, 4);
        size_t expected = 0;
        size_t weight = 1;
        for (size_t j = 0; a.dim != nullptr && j < rank && j < a.dim_size; ++j) {
            expected += subscripts[j] * weight;
            weight *= a.dim[j];
        }
        const size_t *s = subscripts;
        const size_t index = rank == 1   ? F::sub2ind_1d(&a, s[0])
                             : rank == 2 ? F::sub2ind_2d(&a, s[0], s[1])
                             : rank == 3 ? F::sub2ind_3d(&a, s[0], s[1], s[2])
                                         : F::sub2ind_4d(&a, s[0], s[1], s[2], s[3]);
        fuzz_require(index == expected, "sub2ind is the column-major index");
    }

    void destroy(entry &e) {
        const bool releasable = e.array->owner == 0 && e.array->ops != nullptr;
        const size_t clears_before = table.log().clear_slots.size();
        const size_t capacity = e.array->data_capacity;
        const bool was_counted = counted(e) && e.array->ops == table.get();
        Descriptor *const array = e.array;
        Descriptor *const result = F::destroy(array);
        if (!releasable) {
            fuzz_require(result == array, "destroy hands back an array it may not release");
            return;
        }
        fuzz_require(result == nullptr, "destroy releases an owned array with a table");
        if (was_counted) {
            const std::vector<std::ptrdiff_t> &clears = table.log().clear_slots;
            fuzz_require(clears.size() - clears_before == capacity,
                         "destroy clears every slot below the capacity");
        }
        arrays.erase(arrays.begin() + (&e - arrays.data()));
    }

    void fail_allocations(FuzzedDataProvider &input) {
        allocation_log &log = table.log();
        log.fail_always = input.ConsumeIntegralInRange<int>(0, 3) == 0;
        log.fail_on_call =
            input.ConsumeBool() ? log.realloc_calls + input.ConsumeIntegralInRange<long>(1, 3) : 0;
    }

    instrumented_table<Descriptor> table;
    std::vector<entry> arrays;
};

struct all_families {
    family_pool<qor_array_bit> bit;
    family_pool<qor_array_real> real;
    family_pool<qor_array_complex> complex;
    family_pool<qor_array_uint> uint;
    family_pool<qor_array_uint32> uint32;
    family_pool<qor_array_mpz> mpz;
    family_pool<qor_array_mpz_complex> mpz_complex;

    void step(FuzzedDataProvider &input) {
        switch (input.ConsumeIntegralInRange<int>(0, 6)) {
        case 0:
            bit.step(input);
            break;
        case 1:
            real.step(input);
            break;
        case 2:
            complex.step(input);
            break;
        case 3:
            uint.step(input);
            break;
        case 4:
            uint32.step(input);
            break;
        case 5:
            mpz.step(input);
            break;
        default:
            mpz_complex.step(input);
            break;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    all_families families;
    for (int steps = 0; steps < 200 && input.remaining_bytes() > 0; ++steps) {
        families.step(input);
    }
    return 0;
}
