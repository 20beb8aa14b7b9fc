// Reading and writing single elements: bounds against data_size (never the
// capacity), copies rather than shared storage, and refusals that touch
// nothing.
#include <gtest/gtest.h>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

template <class Descriptor>
class ArraysElementAccess : public ::testing::Test {
protected:
    using F = family<Descriptor>;
    using element = typename F::element;

    void SetUp() override {
        array = F::create();
        ASSERT_NE(array, nullptr);
        ASSERT_EQ(F::reserve_data(array, 6), 0);
        array->data_size = 4;
        for (size_t i = 0; i < 6; ++i) {
            value_holder<element> v(static_cast<int>(10 + i));
            F::default_ops()->copy(F::default_ops(), &array->data[i], v.get());
        }
    }
    void TearDown() override { EXPECT_EQ(F::destroy(array), nullptr); }

    bool slot_holds(size_t i, int k) const { return values<element>::holds(array->data[i], k); }
    void expect_untouched() const {
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_TRUE(slot_holds(i, static_cast<int>(10 + i))) << "slot " << i;
        }
    }

    Descriptor *array = nullptr;
};
TYPED_TEST_SUITE(ArraysElementAccess, all_descriptors, family_name);

TYPED_TEST(ArraysElementAccess, SetThenGetRoundTripsEverySample) {
    using F = family<TypeParam>;
    using element = typename F::element;
    for (size_t i = 0; i < 4; ++i) {
        value_holder<element> in(static_cast<int>(50 + i));
        EXPECT_EQ(F::set_element(this->array, in.get(), i), 0);
    }
    for (size_t i = 0; i < 4; ++i) {
        value_holder<element> out(1);
        EXPECT_EQ(F::get_element(this->array, out.get(), i), 0);
        EXPECT_TRUE(out.holds(static_cast<int>(50 + i))) << "sample " << i;
    }
    EXPECT_TRUE(this->slot_holds(4, 14)); // beyond data_size: untouched
}

TYPED_TEST(ArraysElementAccess, IndexAtDataSizeIsRefusedEvenBelowCapacity) {
    using F = family<TypeParam>;
    using element = typename F::element;
    value_holder<element> in(99);
    value_holder<element> out(77);
    for (size_t index : {size_t(4), size_t(5), size_t(6), SIZE_MAX}) {
        EXPECT_EQ(F::set_element(this->array, in.get(), index), 1) << index;
        EXPECT_EQ(F::get_element(this->array, out.get(), index), 1) << index;
    }
    EXPECT_TRUE(out.holds(77));
    this->expect_untouched();
}

TYPED_TEST(ArraysElementAccess, LastSampleIsReachable) {
    using F = family<TypeParam>;
    using element = typename F::element;
    value_holder<element> out(0);
    EXPECT_EQ(F::get_element(this->array, out.get(), 3), 0);
    EXPECT_TRUE(out.holds(13));
}

TYPED_TEST(ArraysElementAccess, NullDescriptorOrTableIsRefused) {
    using F = family<TypeParam>;
    using element = typename F::element;
    value_holder<element> in(99);
    value_holder<element> out(77);
    EXPECT_EQ(F::set_element(nullptr, in.get(), 0), 1);
    EXPECT_EQ(F::get_element(nullptr, out.get(), 0), 1);

    auto *table = this->array->ops;
    this->array->ops = nullptr;
    EXPECT_EQ(F::set_element(this->array, in.get(), 0), 1);
    EXPECT_EQ(F::get_element(this->array, out.get(), 0), 1);
    this->array->ops = table;

    EXPECT_TRUE(out.holds(77));
    this->expect_untouched();
}

TYPED_TEST(ArraysElementAccess, NullValueOrDestinationIsRefused) {
    using F = family<TypeParam>;
    EXPECT_EQ(F::set_element(this->array, nullptr, 0), 1);
    EXPECT_EQ(F::get_element(this->array, nullptr, 0), 1);
    this->expect_untouched();
}

TYPED_TEST(ArraysElementAccess, TableWithoutCopyIsRefusedInsteadOfCalledThroughNull) {
    using F = family<TypeParam>;
    using element = typename F::element;
    auto table = *F::default_ops();
    table.copy = nullptr;
    auto *saved = this->array->ops;
    this->array->ops = &table;
    value_holder<element> in(99);
    value_holder<element> out(77);
    EXPECT_EQ(F::set_element(this->array, in.get(), 0), 1);
    EXPECT_EQ(F::get_element(this->array, out.get(), 0), 1);
    this->array->ops = saved;
    EXPECT_TRUE(out.holds(77));
    this->expect_untouched();
}

TYPED_TEST(ArraysElementAccess, OwnerDoesNotMatterForElementAccess) {
    using F = family<TypeParam>;
    using element = typename F::element;
    this->array->owner = 3;
    value_holder<element> in(60);
    value_holder<element> out(0);
    EXPECT_EQ(F::set_element(this->array, in.get(), 2), 0);
    EXPECT_EQ(F::get_element(this->array, out.get(), 2), 0);
    EXPECT_TRUE(out.holds(60));
    this->array->owner = 0;
}

TYPED_TEST(ArraysElementAccess, StoredAndReadValuesAreIndependentCopies) {
    using F = family<TypeParam>;
    using element = typename F::element;
    value_holder<element> in(60);
    ASSERT_EQ(F::set_element(this->array, in.get(), 1), 0);
    values<element>::write(in.ref(), 61); // the caller's variable changes
    EXPECT_TRUE(this->slot_holds(1, 60));

    value_holder<element> out(0);
    ASSERT_EQ(F::get_element(this->array, out.get(), 1), 0);
    values<element>::write(out.ref(), 62); // the copy changes
    EXPECT_TRUE(this->slot_holds(1, 60));
}

// A descriptor built by a caller around storage it manages itself.
TYPED_TEST(ArraysElementAccess, CallerOwnedStorageIsReadAndWrittenButNeverReleased) {
    using F = family<TypeParam>;
    using element = typename F::element;
    element storage[2];
    for (int i = 0; i < 2; ++i) {
        values<element>::prepare(storage[i]);
        values<element>::write(storage[i], i + 1);
    }
    size_t extent = 2;
    TypeParam wrapped = TypeParam{};
    wrapped.data = storage;
    wrapped.data_size = wrapped.data_capacity = 2;
    wrapped.dim = &extent;
    wrapped.dim_size = wrapped.dim_capacity = 1;
    wrapped.owner = 1;
    wrapped.ops = F::default_ops();

    value_holder<element> in(30);
    value_holder<element> out(0);
    EXPECT_EQ(F::set_element(&wrapped, in.get(), 1), 0);
    EXPECT_EQ(F::get_element(&wrapped, out.get(), 1), 0);
    EXPECT_TRUE(out.holds(30));
    EXPECT_EQ(F::reserve_data(&wrapped, 3), 1);
    EXPECT_EQ(F::destroy(&wrapped), &wrapped);
    EXPECT_TRUE(values<element>::holds(storage[0], 1));
    EXPECT_TRUE(values<element>::holds(storage[1], 30));
    for (element &e : storage) {
        values<element>::release(e);
    }
}

} // namespace
