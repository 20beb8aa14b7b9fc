// The seven array families gathered under one name each, sample element
// values that can be written and recognised, and an instrumented operations
// table that counts and can fail allocations. Free of any test framework, so
// that both the unit tests and the fuzz targets use it.
#ifndef QUODRA_TESTS_SUPPORT_ARRAY_FAMILY_SUPPORT_H
#define QUODRA_TESTS_SUPPORT_ARRAY_FAMILY_SUPPORT_H

#include <gmp.h>

#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <map>
#include <type_traits>
#include <vector>

#include "quodra.h"

namespace arrays_test {

template <class Descriptor>
struct family;

#define ARRAYS_TEST_FAMILY(T)                                                                  \
    template <>                                                                                \
    struct family<qor_array_##T> {                                                             \
        using descriptor = qor_array_##T;                                                      \
        using ops = qor_array_##T##_ops;                                                       \
        using element = std::remove_pointer_t<decltype(qor_array_##T::data)>;                  \
        static constexpr const char *name = #T;                                                \
        static ops *default_ops() { return qor_quodra_v5_1_qor_array_##T##_get_default_ops(); } \
        static descriptor *create() { return qor_quodra_v5_1_qor_array_##T##_create(); }       \
        static descriptor *create_ex(ops *table) {                                             \
            return qor_quodra_v5_1_qor_array_##T##_create_ex(table);                           \
        }                                                                                      \
        static int reserve_data(descriptor *a, size_t n) {                                     \
            return qor_quodra_v5_1_qor_array_##T##_reserve_data(a, n);                         \
        }                                                                                      \
        static int reserve_dim(descriptor *a, size_t n) {                                      \
            return qor_quodra_v5_1_qor_array_##T##_reserve_dim(a, n);                          \
        }                                                                                      \
        static descriptor *destroy(descriptor *a) {                                            \
            return qor_quodra_v5_1_qor_array_##T##_destroy(a);                                 \
        }                                                                                      \
        static size_t sub2ind_1d(const descriptor *a, size_t i0) {                             \
            return qor_quodra_v5_1_qor_array_##T##_sub2ind_1d(a, i0);                          \
        }                                                                                      \
        static size_t sub2ind_2d(const descriptor *a, size_t i0, size_t i1) {                  \
            return qor_quodra_v5_1_qor_array_##T##_sub2ind_2d(a, i0, i1);                      \
        }                                                                                      \
        static size_t sub2ind_3d(const descriptor *a, size_t i0, size_t i1, size_t i2) {       \
            return qor_quodra_v5_1_qor_array_##T##_sub2ind_3d(a, i0, i1, i2);                  \
        }                                                                                      \
        static size_t sub2ind_4d(const descriptor *a, size_t i0, size_t i1, size_t i2,         \
                                 size_t i3) {                                                  \
            return qor_quodra_v5_1_qor_array_##T##_sub2ind_4d(a, i0, i1, i2, i3);              \
        }                                                                                      \
        static int set_element(descriptor *a, const element *v, size_t i) {                    \
            return qor_quodra_v5_1_qor_array_##T##_set_element(a, v, i);                       \
        }                                                                                      \
        static int get_element(const descriptor *a, element *d, size_t i) {                    \
            return qor_quodra_v5_1_qor_array_##T##_get_element(a, d, i);                       \
        }                                                                                      \
    };

ARRAYS_TEST_FAMILY(bit)
ARRAYS_TEST_FAMILY(real)
ARRAYS_TEST_FAMILY(complex)
ARRAYS_TEST_FAMILY(uint)
ARRAYS_TEST_FAMILY(uint32)
ARRAYS_TEST_FAMILY(mpz)
ARRAYS_TEST_FAMILY(mpz_complex)
#undef ARRAYS_TEST_FAMILY

// Caller-side handling of element values: prepare a variable, write the
// value numbered k into it, recognise it, release it. Value k is distinct
// for k in 0..200 in every family.
template <class Element>
struct values {
    static void prepare(Element &) {}
    static void release(Element &) {}
    static void write(Element &e, int k) { e = static_cast<Element>(k); }
    static bool holds(const Element &e, int k) { return e == static_cast<Element>(k); }
};

template <>
struct values<qor_complex> {
    static void prepare(qor_complex &) {}
    static void release(qor_complex &) {}
    static void write(qor_complex &e, int k) { e = qor_complex{double(k), -0.5 * k}; }
    static bool holds(const qor_complex &e, int k) { return e.re == k && e.im == -0.5 * k; }
};

template <>
struct values<mpz_t> {
    static void prepare(mpz_t &e) { mpz_init(e); }
    static void release(mpz_t &e) { mpz_clear(e); }
    // Large enough to need limbs of its own, so shallow copies would show.
    static void write(mpz_t &e, int k) {
        mpz_set_si(e, k);
        mpz_mul_2exp(e, e, 200);
        mpz_add_ui(e, e, static_cast<unsigned long>(k));
    }
    static bool holds(const mpz_t &e, int k) {
        mpz_t expected;
        mpz_init(expected);
        write(expected, k);
        bool same = mpz_cmp(e, expected) == 0;
        mpz_clear(expected);
        return same;
    }
};

template <>
struct values<qor_mpz_complex> {
    static void prepare(qor_mpz_complex &e) {
        mpz_init(e.re);
        mpz_init(e.im);
    }
    static void release(qor_mpz_complex &e) {
        mpz_clear(e.re);
        mpz_clear(e.im);
    }
    static void write(qor_mpz_complex &e, int k) {
        values<mpz_t>::write(e.re, k);
        values<mpz_t>::write(e.im, -k - 1);
    }
    static bool holds(const qor_mpz_complex &e, int k) {
        return values<mpz_t>::holds(e.re, k) && values<mpz_t>::holds(e.im, -k - 1);
    }
};

// A caller's variable holding value k, released at scope exit.
template <class Element>
class value_holder {
public:
    explicit value_holder(int k) {
        values<Element>::prepare(value_);
        values<Element>::write(value_, k);
    }
    ~value_holder() { values<Element>::release(value_); }
    value_holder(const value_holder &) = delete;
    value_holder &operator=(const value_holder &) = delete;

    Element *get() { return &value_; }
    Element &ref() { return value_; }
    bool holds(int k) const { return values<Element>::holds(value_, k); }

private:
    Element value_;
};

// What an instrumented table observed. Reached from the callbacks through
// the table's reserved slot, which the library never reads.
struct allocation_log {
    long realloc_calls = 0;
    long fail_on_call = 0; // 1-based realloc call to refuse; 0: none
    bool fail_always = false;
    std::vector<size_t> requested_bytes;
    std::map<const void *, size_t> live_blocks;
    long frees_of_null = 0;
    long frees_of_unknown = 0;
    std::vector<std::ptrdiff_t> init_slots;  // slot numbers within their block
    std::vector<std::ptrdiff_t> clear_slots; // slot numbers within their block
    long copies = 0;
};

// An operations table that delegates element work to the family's default
// table, allocates from the heap, and records everything in a log. With
// element hooks, init and clear are always present (counting, and delegating
// when the default has them) so that the order of preparation is visible
// for every family.
template <class Descriptor>
class instrumented_table {
public:
    using ops = typename family<Descriptor>::ops;
    using element = typename family<Descriptor>::element;

    explicit instrumented_table(bool element_hooks = true) {
        table_ = ops{};
        table_.realloc = &counted_realloc;
        table_.free = &counted_free;
        table_.init = element_hooks ? &counted_init : nullptr;
        table_.copy = &counted_copy;
        table_.swap = family<Descriptor>::default_ops()->swap;
        table_.clear = element_hooks ? &counted_clear : nullptr;
        table_.reserved = &log_;
    }
    instrumented_table(const instrumented_table &) = delete;
    instrumented_table &operator=(const instrumented_table &) = delete;

    ops *get() { return &table_; }
    allocation_log &log() { return log_; }

private:
    static allocation_log &log_of(ops *table) { return *static_cast<allocation_log *>(table->reserved); }
    static ops *base() { return family<Descriptor>::default_ops(); }

    // Position of a slot within the live block that holds it; -1 when no
    // block of this table holds it.
    static std::ptrdiff_t slot_number(allocation_log &log, element *slot) {
        const char *address = reinterpret_cast<const char *>(slot);
        auto after = log.live_blocks.upper_bound(address);
        if (after == log.live_blocks.begin()) {
            return -1;
        }
        auto holder = std::prev(after);
        const char *start = static_cast<const char *>(holder->first);
        if (address >= start + holder->second) {
            return -1;
        }
        return (address - start) / std::ptrdiff_t(sizeof(element));
    }

    static void *counted_realloc(ops *table, void *block, size_t bytes) {
        allocation_log &log = log_of(table);
        ++log.realloc_calls;
        log.requested_bytes.push_back(bytes);
        if (log.fail_always || log.realloc_calls == log.fail_on_call) {
            return nullptr;
        }
        void *moved = std::realloc(block, bytes);
        if (moved != nullptr) {
            if (block != nullptr) {
                log.live_blocks.erase(block);
            }
            log.live_blocks[moved] = bytes;
        }
        return moved;
    }

    static void counted_free(ops *table, void *block) {
        allocation_log &log = log_of(table);
        if (block == nullptr) {
            ++log.frees_of_null;
            return;
        }
        if (log.live_blocks.erase(block) == 0) {
            ++log.frees_of_unknown;
            return; // not ours: do not hand it to the heap
        }
        std::free(block);
    }

    static void counted_init(ops *table, element *slot) {
        allocation_log &log = log_of(table);
        log.init_slots.push_back(slot_number(log, slot));
        if (base()->init != nullptr) {
            base()->init(base(), slot);
        }
    }

    static void counted_copy(ops *table, element *destination, const element *source) {
        ++log_of(table).copies;
        base()->copy(base(), destination, source);
    }

    static void counted_clear(ops *table, element *slot) {
        allocation_log &log = log_of(table);
        log.clear_slots.push_back(slot_number(log, slot));
        if (base()->clear != nullptr) {
            base()->clear(base(), slot);
        }
    }

    ops table_;
    allocation_log log_;
};

// Slot numbers first..end-1, the expected order of preparation or release.
inline std::vector<std::ptrdiff_t> slot_range(std::ptrdiff_t first, std::ptrdiff_t end) {
    std::vector<std::ptrdiff_t> slots;
    for (std::ptrdiff_t i = first; i < end; ++i) {
        slots.push_back(i);
    }
    return slots;
}

// True when a family's default table prepares and releases its elements.
template <class Descriptor>
constexpr bool holds_gmp_values() {
    using element = typename family<Descriptor>::element;
    return std::is_same<element, mpz_t>::value || std::is_same<element, qor_mpz_complex>::value;
}

} // namespace arrays_test

#endif
