// Test support for the seven array families: the framework-free helpers of
// array_family_support.h plus the GoogleTest type lists, readable type names
// and descriptor comparison.
#ifndef QUODRA_TESTS_SUPPORT_ARRAY_FAMILY_TRAITS_H
#define QUODRA_TESTS_SUPPORT_ARRAY_FAMILY_TRAITS_H

#include <gtest/gtest.h>

#include <string>

#include "support/array_family_support.h"

namespace arrays_test {

using all_descriptors =
    ::testing::Types<qor_array_bit, qor_array_real, qor_array_complex, qor_array_uint,
                     qor_array_uint32, qor_array_mpz, qor_array_mpz_complex>;

using gmp_descriptors = ::testing::Types<qor_array_mpz, qor_array_mpz_complex>;

// Gives typed tests readable names ("mpz" rather than "5").
struct family_name {
    template <class Descriptor>
    static std::string GetName(int) {
        return family<Descriptor>::name;
    }
};

// Every field of a descriptor is as it was (compared one by one: the
// structure has padding).
template <class Descriptor>
void expect_same_descriptor(const Descriptor &before, const Descriptor &after) {
    EXPECT_EQ(after.data, before.data);
    EXPECT_EQ(after.data_size, before.data_size);
    EXPECT_EQ(after.data_capacity, before.data_capacity);
    EXPECT_EQ(after.dim, before.dim);
    EXPECT_EQ(after.dim_size, before.dim_size);
    EXPECT_EQ(after.dim_capacity, before.dim_capacity);
    EXPECT_EQ(after.owner, before.owner);
    EXPECT_EQ(after.ops, before.ops);
}

} // namespace arrays_test

#endif
