// Growing element storage and extent vectors: growth only, to the exact
// count, one reallocation per growing call, slots prepared in ascending
// order, and refusals that leave every field and element as it was.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

template <class Descriptor>
class ArraysReserve : public ::testing::Test {
protected:
    using F = family<Descriptor>;
    using element = typename F::element;

    void SetUp() override {
        array = F::create_ex(table.get());
        ASSERT_NE(array, nullptr);
        calls_after_create = table.log().realloc_calls;
    }
    void TearDown() override {
        if (array != nullptr) {
            array->owner = 0;
            array->ops = table.get();
            EXPECT_EQ(F::destroy(array), nullptr);
        }
        EXPECT_TRUE(table.log().live_blocks.empty());
    }

    long reallocs_since_create() { return table.log().realloc_calls - calls_after_create; }

    // Fills slots 0..n-1 with values 0..n-1 and makes them the array's samples.
    void fill(size_t n) {
        array->data_size = n;
        for (size_t i = 0; i < n; ++i) {
            value_holder<element> v(static_cast<int>(i));
            ASSERT_EQ(F::set_element(array, v.get(), i), 0);
        }
    }

    void expect_values(size_t n) {
        for (size_t i = 0; i < n; ++i) {
            EXPECT_TRUE(values<element>::holds(array->data[i], static_cast<int>(i))) << "slot " << i;
        }
    }

    instrumented_table<Descriptor> table;
    Descriptor *array = nullptr;
    long calls_after_create = 0;
};
TYPED_TEST_SUITE(ArraysReserve, all_descriptors, family_name);

TYPED_TEST(ArraysReserve, ZeroOnANewArrayAllocatesNothing) {
    EXPECT_EQ(family<TypeParam>::reserve_data(this->array, 0), 0);
    EXPECT_EQ(this->array->data, nullptr);
    EXPECT_EQ(this->array->data_capacity, 0u);
    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, 0), 0);
    EXPECT_EQ(this->array->dim, nullptr);
    EXPECT_EQ(this->reallocs_since_create(), 0);
}

TYPED_TEST(ArraysReserve, DataGrowsToExactlyTheCountWithOneReallocation) {
    using element = typename TestFixture::element;
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 5), 0);
    EXPECT_EQ(this->reallocs_since_create(), 1);
    EXPECT_EQ(this->table.log().requested_bytes.back(), 5 * sizeof(element));
    EXPECT_EQ(this->array->data_capacity, 5u);
    EXPECT_EQ(this->array->data_size, 0u);

    this->fill(3);
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 7), 0);
    EXPECT_EQ(this->reallocs_since_create(), 2);
    EXPECT_EQ(this->table.log().requested_bytes.back(), 7 * sizeof(element));
    EXPECT_EQ(this->array->data_capacity, 7u);
    EXPECT_EQ(this->array->data_size, 3u); // never set by the family
    this->expect_values(3);
}

TYPED_TEST(ArraysReserve, OnlyNewSlotsArePreparedInAscendingOrder) {
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 3), 0);
    EXPECT_EQ(this->table.log().init_slots, slot_range(0, 3));
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 5), 0);
    std::vector<std::ptrdiff_t> expected = slot_range(0, 3);
    for (std::ptrdiff_t s : slot_range(3, 5)) {
        expected.push_back(s);
    }
    EXPECT_EQ(this->table.log().init_slots, expected);
}

TYPED_TEST(ArraysReserve, CountAtOrBelowCapacityIsANoOpEvenWhenGrowthIsForbidden) {
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 4), 0);
    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 3), 0);
    const long calls = this->reallocs_since_create();
    const size_t inits = this->table.log().init_slots.size();

    struct situation {
        const char *what;
        int32_t owner;
        bool table;
    };
    for (situation s : {situation{"plain", 0, true}, situation{"owner", 5, true},
                        situation{"no table", 0, false}}) {
        SCOPED_TRACE(s.what);
        this->array->owner = s.owner;
        this->array->ops = s.table ? this->table.get() : nullptr;
        const TypeParam before = *this->array;
        for (size_t n : {size_t(0), size_t(3), size_t(4)}) {
            EXPECT_EQ(family<TypeParam>::reserve_data(this->array, n), 0);
        }
        for (size_t n : {size_t(0), size_t(2), size_t(3)}) {
            EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, n), 0);
        }
        expect_same_descriptor(before, *this->array);
    }
    EXPECT_EQ(this->reallocs_since_create(), calls);
    EXPECT_EQ(this->table.log().init_slots.size(), inits);
}

TYPED_TEST(ArraysReserve, GrowthIsRefusedWithAnOwnerOrWithoutTable) {
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 2), 0);
    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 1), 0);
    const long calls = this->reallocs_since_create();

    struct situation {
        const char *what;
        int32_t owner;
        bool table;
    };
    for (situation s : {situation{"owner", 1, true}, situation{"negative owner", -1, true},
                        situation{"no table", 0, false}}) {
        SCOPED_TRACE(s.what);
        this->array->owner = s.owner;
        this->array->ops = s.table ? this->table.get() : nullptr;
        const TypeParam before = *this->array;
        EXPECT_EQ(family<TypeParam>::reserve_data(this->array, 3), 1);
        EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, 2), 1);
        expect_same_descriptor(before, *this->array);
    }
    EXPECT_EQ(this->reallocs_since_create(), calls);
}

TYPED_TEST(ArraysReserve, GrowthIsRefusedWhenTheTableCannotReallocate) {
    this->table.get()->realloc = nullptr;
    const TypeParam before = *this->array;
    EXPECT_EQ(family<TypeParam>::reserve_data(this->array, 3), 1);
    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, 3), 1);
    expect_same_descriptor(before, *this->array);
}

TYPED_TEST(ArraysReserve, NullDescriptorIsRefused) {
    EXPECT_EQ(family<TypeParam>::reserve_data(nullptr, 0), 1);
    EXPECT_EQ(family<TypeParam>::reserve_data(nullptr, 4), 1);
    EXPECT_EQ(family<TypeParam>::reserve_dim(nullptr, 0), 1);
    EXPECT_EQ(family<TypeParam>::reserve_dim(nullptr, 4), 1);
}

TYPED_TEST(ArraysReserve, FailedDataReallocationLeavesStorageAndElementsIntact) {
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 3), 0);
    this->fill(3);
    const TypeParam before = *this->array;
    const size_t inits = this->table.log().init_slots.size();
    this->table.log().fail_on_call = this->table.log().realloc_calls + 1;

    EXPECT_EQ(family<TypeParam>::reserve_data(this->array, 10), 1);
    expect_same_descriptor(before, *this->array);
    this->expect_values(3);
    EXPECT_EQ(this->table.log().init_slots.size(), inits);

    // The same request succeeds once the allocator recovers.
    EXPECT_EQ(family<TypeParam>::reserve_data(this->array, 10), 0);
    EXPECT_EQ(this->array->data_capacity, 10u);
    this->expect_values(3);
}

TYPED_TEST(ArraysReserve, DimGrowsToExactlyTheCountKeepingExtents) {
    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 2), 0);
    EXPECT_EQ(this->reallocs_since_create(), 1);
    EXPECT_EQ(this->table.log().requested_bytes.back(), 2 * sizeof(size_t));
    EXPECT_EQ(this->array->dim_capacity, 2u);
    EXPECT_EQ(this->array->dim_size, 0u);
    this->array->dim[0] = 11;
    this->array->dim[1] = 13;
    this->array->dim_size = 2;

    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 4), 0);
    EXPECT_EQ(this->reallocs_since_create(), 2);
    EXPECT_EQ(this->table.log().requested_bytes.back(), 4 * sizeof(size_t));
    EXPECT_EQ(this->array->dim_capacity, 4u);
    EXPECT_EQ(this->array->dim_size, 2u);
    EXPECT_EQ(this->array->dim[0], 11u);
    EXPECT_EQ(this->array->dim[1], 13u);
    EXPECT_TRUE(this->table.log().init_slots.empty()); // extents are not elements
    EXPECT_EQ(this->array->data, nullptr);
}

TYPED_TEST(ArraysReserve, FailedDimReallocationLeavesExtentsIntact) {
    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 1), 0);
    this->array->dim[0] = 42;
    this->array->dim_size = 1;
    const TypeParam before = *this->array;
    this->table.log().fail_always = true;

    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, 3), 1);
    expect_same_descriptor(before, *this->array);
    EXPECT_EQ(this->array->dim[0], 42u);
}

// A count whose byte size wraps past 64 bits would otherwise ask for a tiny
// block and then prepare slots far beyond it.
TYPED_TEST(ArraysReserve, CountsWhoseByteSizeOverflowsAreRefusedWithoutAllocating) {
    using element = typename TestFixture::element;
    ASSERT_EQ(family<TypeParam>::reserve_data(this->array, 2), 0);
    ASSERT_EQ(family<TypeParam>::reserve_dim(this->array, 1), 0);
    const TypeParam before = *this->array;
    const long calls = this->reallocs_since_create();

    if (sizeof(element) > 1) {
        EXPECT_EQ(family<TypeParam>::reserve_data(this->array, SIZE_MAX / sizeof(element) + 1), 1);
        EXPECT_EQ(family<TypeParam>::reserve_data(this->array, SIZE_MAX / 2 + 1), 1);
        EXPECT_EQ(family<TypeParam>::reserve_data(this->array, SIZE_MAX), 1);
    }
    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, SIZE_MAX / sizeof(size_t) + 1), 1);
    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, SIZE_MAX), 1);
    EXPECT_EQ(this->reallocs_since_create(), calls);
    expect_same_descriptor(before, *this->array);
    EXPECT_EQ(this->table.log().init_slots, slot_range(0, 2));
}

// The largest count that does fit reaches the allocator with its exact size.
TYPED_TEST(ArraysReserve, LargestRepresentableCountReachesTheAllocatorUnwrapped) {
    using element = typename TestFixture::element;
    this->table.log().fail_always = true;
    const size_t largest = SIZE_MAX / sizeof(element);
    EXPECT_EQ(family<TypeParam>::reserve_data(this->array, largest), 1);
    EXPECT_EQ(this->table.log().requested_bytes.back(), largest * sizeof(element));
    EXPECT_EQ(family<TypeParam>::reserve_dim(this->array, SIZE_MAX / sizeof(size_t)), 1);
    EXPECT_EQ(this->table.log().requested_bytes.back(), SIZE_MAX / sizeof(size_t) * sizeof(size_t));
    EXPECT_EQ(this->reallocs_since_create(), 2);
    EXPECT_EQ(this->array->data_capacity, 0u);
    EXPECT_EQ(this->array->dim_capacity, 0u);
}

// GNU MP elements on the default table: new slots hold zero, old ones keep
// their values.
template <class Descriptor>
class ArraysReserveGmp : public ::testing::Test {};
TYPED_TEST_SUITE(ArraysReserveGmp, gmp_descriptors, family_name);

template <class Element>
bool is_zero(const Element &e);
template <>
bool is_zero<mpz_t>(const mpz_t &e) {
    return mpz_sgn(e) == 0;
}
template <>
bool is_zero<qor_mpz_complex>(const qor_mpz_complex &e) {
    return mpz_sgn(e.re) == 0 && mpz_sgn(e.im) == 0;
}

TYPED_TEST(ArraysReserveGmp, GrowingFromThreeToFivePreparesSlotsThreeAndFourAsZero) {
    using F = family<TypeParam>;
    using element = typename F::element;
    TypeParam *a = F::create();
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 3), 0);
    a->data_size = 3;
    for (int i = 0; i < 3; ++i) {
        value_holder<element> v(100 + i);
        ASSERT_EQ(F::set_element(a, v.get(), size_t(i)), 0);
    }

    ASSERT_EQ(F::reserve_data(a, 5), 0);
    EXPECT_EQ(a->data_capacity, 5u);
    EXPECT_EQ(a->data_size, 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(values<element>::holds(a->data[i], 100 + i)) << "slot " << i;
    }
    EXPECT_TRUE(is_zero<element>(a->data[3]));
    EXPECT_TRUE(is_zero<element>(a->data[4]));
    EXPECT_EQ(F::destroy(a), nullptr);
}

TYPED_TEST(ArraysReserveGmp, HalfTheAddressSpaceOfRecordsIsRefusedOnTheDefaultTable) {
    using F = family<TypeParam>;
    TypeParam *a = F::create();
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 1), 0);
    const TypeParam before = *a;
    EXPECT_EQ(F::reserve_data(a, SIZE_MAX / 2), 1);
    expect_same_descriptor(before, *a);
    EXPECT_EQ(F::destroy(a), nullptr);
}

} // namespace
