// The default operations tables: one shared table per family, heap
// allocation, and element operations matching each element type.
#include <gmp.h>
#include <gtest/gtest.h>

#include <set>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

template <class Descriptor>
class ArraysDefaultOps : public ::testing::Test {};
TYPED_TEST_SUITE(ArraysDefaultOps, all_descriptors, family_name);

TYPED_TEST(ArraysDefaultOps, OneTableSharedByEveryArrayOfTheFamily) {
    using F = family<TypeParam>;
    auto *table = F::default_ops();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(F::default_ops(), table);
    TypeParam *a = F::create();
    TypeParam *b = F::create();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->ops, table);
    EXPECT_EQ(b->ops, table);
    EXPECT_EQ(F::destroy(a), nullptr);
    EXPECT_EQ(F::destroy(b), nullptr);
}

TYPED_TEST(ArraysDefaultOps, EntriesPresentAccordingToTheElementType) {
    auto *table = family<TypeParam>::default_ops();
    EXPECT_NE(table->realloc, nullptr);
    EXPECT_NE(table->free, nullptr);
    EXPECT_NE(table->copy, nullptr);
    EXPECT_NE(table->swap, nullptr);
    EXPECT_EQ(table->reserved, nullptr);
    const bool gmp = holds_gmp_values<TypeParam>();
    EXPECT_EQ(table->init != nullptr, gmp);
    EXPECT_EQ(table->clear != nullptr, gmp);
}

TYPED_TEST(ArraysDefaultOps, SwapExchangesTwoElements) {
    using element = typename family<TypeParam>::element;
    auto *table = family<TypeParam>::default_ops();
    value_holder<element> a(31);
    value_holder<element> b(32);
    table->swap(table, a.get(), b.get());
    EXPECT_TRUE(a.holds(32));
    EXPECT_TRUE(b.holds(31));
}

TEST(ArraysDefaultOps, EveryFamilyHasATableOfItsOwn) {
    std::set<const void *> tables = {
        qor_quodra_v5_1_qor_array_bit_get_default_ops(),
        qor_quodra_v5_1_qor_array_real_get_default_ops(),
        qor_quodra_v5_1_qor_array_complex_get_default_ops(),
        qor_quodra_v5_1_qor_array_uint_get_default_ops(),
        qor_quodra_v5_1_qor_array_uint32_get_default_ops(),
        qor_quodra_v5_1_qor_array_mpz_get_default_ops(),
        qor_quodra_v5_1_qor_array_mpz_complex_get_default_ops(),
    };
    EXPECT_EQ(tables.size(), 7u);
}

TEST(ArraysDefaultOps, BitElementsKeepEveryBytePattern) {
    auto *table = qor_quodra_v5_1_qor_array_bit_get_default_ops();
    for (int pattern = 0; pattern < 256; ++pattern) {
        unsigned char source = static_cast<unsigned char>(pattern);
        unsigned char destination = 0;
        table->copy(table, &destination, &source);
        EXPECT_EQ(int(destination), pattern);
    }
}

TEST(ArraysDefaultOps, MpzInitGivesZeroAndCopyIsDeep) {
    auto *table = qor_quodra_v5_1_qor_array_mpz_get_default_ops();
    mpz_t slot;
    table->init(table, &slot);
    EXPECT_EQ(mpz_sgn(slot), 0);

    mpz_t source;
    mpz_init_set_str(source, "123456789012345678901234567890", 10);
    table->copy(table, &slot, &source);
    EXPECT_NE(slot->_mp_d, source->_mp_d); // limbs of its own
    mpz_t expected;
    mpz_init_set(expected, source);
    mpz_add_ui(source, source, 1); // the copy does not follow
    EXPECT_EQ(mpz_cmp(slot, expected), 0);
    mpz_clear(expected);
    mpz_clear(source);
    table->clear(table, &slot);
}

TEST(ArraysDefaultOps, MpzComplexOperationsActOnBothParts) {
    auto *table = qor_quodra_v5_1_qor_array_mpz_complex_get_default_ops();
    qor_mpz_complex slot;
    table->init(table, &slot);
    EXPECT_EQ(mpz_sgn(slot.re), 0);
    EXPECT_EQ(mpz_sgn(slot.im), 0);

    value_holder<qor_mpz_complex> source(5);
    table->copy(table, &slot, source.get());
    EXPECT_NE(slot.re->_mp_d, source.ref().re->_mp_d);
    EXPECT_NE(slot.im->_mp_d, source.ref().im->_mp_d);
    EXPECT_TRUE(values<qor_mpz_complex>::holds(slot, 5));
    table->clear(table, &slot);
}

} // namespace
