// GNU MP elements over an array's whole life: every slot is initialised once
// when reserved and cleared once at destroy, whatever data_size was, and no
// limb outlives the array.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

// Counts GNU MP's own limb allocations while in scope.
class gmp_allocation_count {
public:
    gmp_allocation_count() {
        mp_get_memory_functions(&saved_alloc_, &saved_realloc_, &saved_free_);
        live_ = 0;
        mp_set_memory_functions(&count_alloc, &count_realloc, &count_free);
    }
    ~gmp_allocation_count() { mp_set_memory_functions(saved_alloc_, saved_realloc_, saved_free_); }
    gmp_allocation_count(const gmp_allocation_count &) = delete;
    gmp_allocation_count &operator=(const gmp_allocation_count &) = delete;

    long live() const { return live_; }

private:
    static void *count_alloc(size_t bytes) {
        ++live_;
        return std::malloc(bytes);
    }
    static void *count_realloc(void *block, size_t, size_t bytes) {
        return std::realloc(block, bytes);
    }
    static void count_free(void *block, size_t) {
        --live_;
        std::free(block);
    }

    static long live_;
    void *(*saved_alloc_)(size_t) = nullptr;
    void *(*saved_realloc_)(void *, size_t, size_t) = nullptr;
    void (*saved_free_)(void *, size_t) = nullptr;
};
long gmp_allocation_count::live_ = 0;

template <class Descriptor>
class ArraysGmpLifetime : public ::testing::Test {};
TYPED_TEST_SUITE(ArraysGmpLifetime, gmp_descriptors, family_name);

TYPED_TEST(ArraysGmpLifetime, EachSlotIsInitialisedOnceAndClearedOnce) {
    using F = family<TypeParam>;
    using element = typename F::element;
    gmp_allocation_count gmp;
    {
        instrumented_table<TypeParam> table;
        TypeParam *a = F::create_ex(table.get());
        ASSERT_NE(a, nullptr);
        ASSERT_EQ(F::reserve_data(a, 3), 0);
        ASSERT_EQ(F::reserve_data(a, 2), 0);
        ASSERT_EQ(F::reserve_data(a, 7), 0);
        ASSERT_EQ(F::reserve_data(a, 7), 0);
        table.log().fail_always = true;
        ASSERT_EQ(F::reserve_data(a, 20), 1);
        table.log().fail_always = false;
        EXPECT_EQ(table.log().init_slots, slot_range(0, 7));

        // Only two samples in use; values with limbs of their own in all
        // seven slots, so a slot missed by destroy would leak.
        a->data_size = 2;
        for (size_t i = 0; i < 7; ++i) {
            value_holder<element> v(static_cast<int>(i + 1));
            table.get()->copy(table.get(), &a->data[i], v.get());
        }
        value_holder<element> out(0);
        ASSERT_EQ(F::get_element(a, out.get(), 1), 0);
        EXPECT_TRUE(out.holds(2));

        EXPECT_EQ(F::destroy(a), nullptr);
        EXPECT_EQ(table.log().clear_slots, slot_range(0, 7));
        EXPECT_TRUE(table.log().live_blocks.empty());
    }
    EXPECT_EQ(gmp.live(), 0);
}

TYPED_TEST(ArraysGmpLifetime, DestroyClearsEverySlotBelowTheCapacity) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 5), 0);
    a->data_size = 2;
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_EQ(table.log().clear_slots, slot_range(0, 5));
}

TYPED_TEST(ArraysGmpLifetime, DefaultTableReleasesEveryLimbAtDestroy) {
    using F = family<TypeParam>;
    using element = typename F::element;
    gmp_allocation_count gmp;
    TypeParam *a = F::create();
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 4), 0);
    a->data_size = 4;
    for (size_t i = 0; i < 4; ++i) {
        value_holder<element> v(static_cast<int>(i + 1));
        ASSERT_EQ(F::set_element(a, v.get(), i), 0);
    }
    ASSERT_EQ(F::reserve_data(a, 9), 0); // records move; their limbs stay valid
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(values<element>::holds(a->data[i], static_cast<int>(i + 1)));
    }
    EXPECT_GT(gmp.live(), 0);
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_EQ(gmp.live(), 0);
}

} // namespace
