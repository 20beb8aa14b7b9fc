// Sample vectors made in one call: their shape, their initial samples, and
// an all-or-nothing result when any allocation fails.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "support/array_family_traits.h"
#include "arrays/sample_vector.h"

namespace {

using namespace arrays_test;

template <class Descriptor>
void expect_vector_shape(const Descriptor *a, size_t n) {
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->dim_size, 1u);
    ASSERT_NE(a->dim, nullptr);
    EXPECT_EQ(a->dim[0], n);
    EXPECT_EQ(a->dim_capacity, 1u);
    EXPECT_EQ(a->data_size, n);
    EXPECT_EQ(a->data_capacity, n);
    EXPECT_EQ(a->owner, 0);
}

TEST(SampleAccessAlloc, MpzVectorOfThreeZeroSamples) {
    qor_array_mpz *a = qor_quodra_v5_1_qor_array_mpz_alloc(3);
    expect_vector_shape(a, 3);
    EXPECT_EQ(a->ops, qor_quodra_v5_1_qor_array_mpz_get_default_ops());
    mpz_t sample;
    mpz_init_set_si(sample, -5);
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(a, sample, i), 0);
        EXPECT_EQ(mpz_sgn(sample), 0) << "sample " << i;
    }
    mpz_clear(sample);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_destroy(a), nullptr);
}

TEST(SampleAccessAlloc, UintVectorShape) {
    qor_array_uint *a = qor_quodra_v5_1_qor_array_uint_alloc(5);
    expect_vector_shape(a, 5);
    EXPECT_EQ(a->ops, qor_quodra_v5_1_qor_array_uint_get_default_ops());
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_destroy(a), nullptr);
}

TEST(SampleAccessAlloc, EmptyUintVectorRefusesEveryAccess) {
    qor_array_uint *a = qor_quodra_v5_1_qor_array_uint_alloc(0);
    expect_vector_shape(a, 0);
    EXPECT_EQ(a->data, nullptr);
    uint32_t sample = 17;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(a, 1, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(a, &sample, 0), 1);
    EXPECT_EQ(sample, 17u);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_destroy(a), nullptr);
}

TEST(SampleAccessAlloc, EmptyMpzVectorRefusesEveryAccess) {
    qor_array_mpz *a = qor_quodra_v5_1_qor_array_mpz_alloc(0);
    expect_vector_shape(a, 0);
    EXPECT_EQ(a->data, nullptr);
    mpz_t sample;
    mpz_init_set_ui(sample, 9);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(a, sample, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(a, sample, 0), 1);
    EXPECT_EQ(mpz_cmp_ui(sample, 9), 0);
    mpz_clear(sample);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_destroy(a), nullptr);
}

// The descriptor and extent are made before the element request is refused;
// the leak checker of the sanitizer build sees whether they were released.
TEST(SampleAccessAlloc, CountsWhoseByteSizeOverflowGiveNull) {
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_alloc(SIZE_MAX / 2), nullptr);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_alloc(SIZE_MAX), nullptr);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_alloc(SIZE_MAX / sizeof(unsigned int) + 1), nullptr);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_alloc(SIZE_MAX), nullptr);
}

// The same construction on an allocator that fails its Nth request: call 1
// makes the descriptor, call 2 the extent vector, call 3 the elements.
template <class Descriptor>
class SampleVectorFailure : public ::testing::Test {};
using sample_descriptors = ::testing::Types<qor_array_uint, qor_array_mpz>;
TYPED_TEST_SUITE(SampleVectorFailure, sample_descriptors, family_name);

TYPED_TEST(SampleVectorFailure, AnyFailedAllocationLeavesNothingAllocated) {
    for (long failing_call = 1; failing_call <= 3; ++failing_call) {
        SCOPED_TRACE(failing_call);
        instrumented_table<TypeParam> table;
        table.log().fail_on_call = failing_call;
        EXPECT_EQ(quodra_arrays::make_sample_vector<TypeParam>(table.get(), 4), nullptr);
        EXPECT_EQ(table.log().realloc_calls, failing_call);
        EXPECT_TRUE(table.log().live_blocks.empty());
        EXPECT_EQ(table.log().frees_of_unknown, 0);
        EXPECT_TRUE(table.log().init_slots.empty());
        EXPECT_TRUE(table.log().clear_slots.empty());
    }
}

TYPED_TEST(SampleVectorFailure, SuccessTakesThreeAllocationsAndDestroyReturnsThemAll) {
    using F = family<TypeParam>;
    instrumented_table<TypeParam> table;
    TypeParam *a = quodra_arrays::make_sample_vector<TypeParam>(table.get(), 6);
    expect_vector_shape(a, 6);
    EXPECT_EQ(a->ops, table.get());
    EXPECT_EQ(table.log().realloc_calls, 3);
    EXPECT_EQ(table.log().init_slots, slot_range(0, 6));
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_EQ(table.log().clear_slots, slot_range(0, 6));
    EXPECT_TRUE(table.log().live_blocks.empty());
}

TYPED_TEST(SampleVectorFailure, TableThatCannotAllocateGivesNull) {
    EXPECT_EQ(quodra_arrays::make_sample_vector<TypeParam>(nullptr, 4), nullptr);
    instrumented_table<TypeParam> table;
    table.get()->realloc = nullptr;
    EXPECT_EQ(quodra_arrays::make_sample_vector<TypeParam>(table.get(), 4), nullptr);
}

} // namespace
