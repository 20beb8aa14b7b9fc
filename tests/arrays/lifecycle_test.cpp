// Making and destroying array descriptors of every family: what a new
// descriptor holds, whose allocator it comes from, and when destroy declines.
#include <gtest/gtest.h>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

template <class Descriptor>
class ArraysLifecycle : public ::testing::Test {};
TYPED_TEST_SUITE(ArraysLifecycle, all_descriptors, family_name);

template <class Descriptor>
void expect_empty(const Descriptor *a) {
    EXPECT_EQ(a->data, nullptr);
    EXPECT_EQ(a->data_size, 0u);
    EXPECT_EQ(a->data_capacity, 0u);
    EXPECT_EQ(a->dim, nullptr);
    EXPECT_EQ(a->dim_size, 0u);
    EXPECT_EQ(a->dim_capacity, 0u);
    EXPECT_EQ(a->owner, 0);
}

TYPED_TEST(ArraysLifecycle, CreateMakesAnEmptyDescriptorOnTheDefaultTable) {
    using F = family<TypeParam>;
    TypeParam *a = F::create();
    ASSERT_NE(a, nullptr);
    expect_empty(a);
    EXPECT_EQ(a->ops, F::default_ops());
    EXPECT_EQ(F::destroy(a), nullptr);
}

TYPED_TEST(ArraysLifecycle, CreateExAllocatesTheDescriptorThroughTheCallersTable) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    expect_empty(a);
    EXPECT_EQ(a->ops, table.get()); // not a copy of the table
    EXPECT_EQ(table.log().realloc_calls, 1);
    EXPECT_EQ(table.log().requested_bytes.at(0), sizeof(TypeParam));
    EXPECT_EQ(table.log().live_blocks.count(a), 1u);
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_TRUE(table.log().live_blocks.empty());
}

TYPED_TEST(ArraysLifecycle, CreateExWithoutTableGivesNull) {
    EXPECT_EQ(family<TypeParam>::create_ex(nullptr), nullptr);
}

TYPED_TEST(ArraysLifecycle, CreateExWhoseAllocationFailsGivesNullAndAllocatesNothing) {
    instrumented_table<TypeParam> table;
    table.log().fail_always = true;
    EXPECT_EQ(family<TypeParam>::create_ex(table.get()), nullptr);
    EXPECT_EQ(table.log().realloc_calls, 1);
    EXPECT_TRUE(table.log().live_blocks.empty());
}

TYPED_TEST(ArraysLifecycle, CreateExWithoutReallocEntryGivesNull) {
    instrumented_table<TypeParam> table;
    table.get()->realloc = nullptr;
    EXPECT_EQ(family<TypeParam>::create_ex(table.get()), nullptr);
}

TYPED_TEST(ArraysLifecycle, DestroyOfNullGivesNull) {
    EXPECT_EQ(family<TypeParam>::destroy(nullptr), nullptr);
}

TYPED_TEST(ArraysLifecycle, DestroyOfAFreshArrayFreesNullStorageThenTheDescriptor) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_EQ(table.log().frees_of_null, 2); // data and dim
    EXPECT_EQ(table.log().frees_of_unknown, 0);
    EXPECT_TRUE(table.log().live_blocks.empty());
    EXPECT_TRUE(table.log().clear_slots.empty());
}

TYPED_TEST(ArraysLifecycle, DestroyReleasesStorageExtentsAndDescriptor) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 4), 0);
    ASSERT_EQ(F::reserve_dim(a, 2), 0);
    EXPECT_EQ(table.log().live_blocks.size(), 3u);
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_TRUE(table.log().live_blocks.empty());
    EXPECT_EQ(table.log().frees_of_null, 0);
    EXPECT_EQ(table.log().clear_slots, slot_range(0, 4));
}

TYPED_TEST(ArraysLifecycle, DestroyOfAnArrayWithAnOwnerReleasesNothing) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 3), 0);
    ASSERT_EQ(F::reserve_dim(a, 1), 0);
    a->owner = -7;
    const TypeParam before = *a;

    EXPECT_EQ(F::destroy(a), a);
    EXPECT_EQ(table.log().live_blocks.size(), 3u);
    EXPECT_EQ(table.log().frees_of_null, 0);
    EXPECT_TRUE(table.log().clear_slots.empty());
    expect_same_descriptor(before, *a);

    a->owner = 0; // hand it back so the test does not leak
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_TRUE(table.log().live_blocks.empty());
}

TYPED_TEST(ArraysLifecycle, DestroyOfAnArrayWithoutTableReleasesNothing) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 2), 0);
    a->ops = nullptr;

    EXPECT_EQ(F::destroy(a), a);
    EXPECT_EQ(a->ops, nullptr);
    EXPECT_EQ(table.log().live_blocks.size(), 2u);
    EXPECT_TRUE(table.log().clear_slots.empty());

    a->ops = table.get();
    EXPECT_EQ(F::destroy(a), nullptr);
}

TYPED_TEST(ArraysLifecycle, DestroyWithoutFreeEntryDeclinesInsteadOfCallingNull) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = F::create_ex(table.get());
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(F::reserve_data(a, 2), 0);
    auto free_entry = table.get()->free;
    table.get()->free = nullptr;

    EXPECT_EQ(F::destroy(a), a);
    EXPECT_TRUE(table.log().clear_slots.empty()); // nothing half-released

    table.get()->free = free_entry;
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_TRUE(table.log().live_blocks.empty());
}

} // namespace
