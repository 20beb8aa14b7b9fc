// The C++ owners of the seven array families, of a model and of a
// configuration, through the shared library only.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <utility>

#include "support/array_family_traits.h"
#include "quodra.hpp"

namespace {

using arrays_test::value_holder;
using arrays_test::values;

template <class Descriptor>
struct owner_of;
template <> struct owner_of<qor_array_bit> { using type = quodra::bit_array; };
template <> struct owner_of<qor_array_real> { using type = quodra::real_array; };
template <> struct owner_of<qor_array_complex> { using type = quodra::complex_array; };
template <> struct owner_of<qor_array_uint> { using type = quodra::uint_array; };
template <> struct owner_of<qor_array_uint32> { using type = quodra::uint32_array; };
template <> struct owner_of<qor_array_mpz> { using type = quodra::mpz_array; };
template <> struct owner_of<qor_array_mpz_complex> { using type = quodra::mpz_complex_array; };

template <class Descriptor>
class cxx_array_family : public ::testing::Test {
protected:
    using owner = typename owner_of<Descriptor>::type;
    using element = typename owner::element;
};
TYPED_TEST_SUITE(cxx_array_family, arrays_test::all_descriptors, arrays_test::family_name);

TYPED_TEST(cxx_array_family, ShapesIndexesAndCopiesElements) {
    using owner = typename TestFixture::owner;
    using element = typename TestFixture::element;
    owner grid({3, 4});
    ASSERT_EQ(grid.size(), 12u);
    EXPECT_EQ(grid.dimensions(), 2u);
    EXPECT_EQ(grid.extent(1), 4u);
    EXPECT_THROW(grid.extent(2), std::out_of_range);
    EXPECT_EQ(grid.index(2, 1), 5u); // column-major
    EXPECT_EQ(grid.index(2, 1, 7), 5u);

    for (int k = 0; k < 12; ++k) {
        value_holder<element> v(k);
        grid.set_element(static_cast<std::size_t>(k), v.ref());
    }
    owner copy({12});
    for (int k = 0; k < 12; ++k) {
        grid.get_element(static_cast<std::size_t>(k), copy.at(static_cast<std::size_t>(11 - k)));
    }
    for (int k = 0; k < 12; ++k) {
        EXPECT_TRUE(values<element>::holds(copy[static_cast<std::size_t>(11 - k)], k)) << k;
    }
    value_holder<element> spare(0);
    EXPECT_THROW(grid.set_element(12, spare.ref()), std::out_of_range);
    EXPECT_THROW(grid.get_element(12, spare.ref()), std::out_of_range);
    EXPECT_THROW(grid.at(12), std::out_of_range);
    EXPECT_THROW(grid.reshape({std::numeric_limits<std::size_t>::max(), 2}), std::length_error);
}

TYPED_TEST(cxx_array_family, MovesReleasesAndAdopts) {
    using owner = typename TestFixture::owner;
    using element = typename TestFixture::element;
    owner first({2});
    values<element>::write(first[1], 9);
    auto *raw = first.get();

    owner second(std::move(first));
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.get(), raw);
    EXPECT_THROW(first.reserve_data(1), std::logic_error);

    owner third({5});
    third = std::move(second); // the five-element array is destroyed here
    EXPECT_EQ(third.get(), raw);
    EXPECT_TRUE(values<element>::holds(third[1], 9));

    auto *given_up = third.release();
    EXPECT_EQ(third.get(), nullptr);
    owner adopted(given_up);
    EXPECT_EQ(adopted.size(), 2u);
    EXPECT_TRUE(values<element>::holds(adopted[1], 9));
}

TYPED_TEST(cxx_array_family, CustomTableSeesEveryBlockReleased) {
    using owner = typename TestFixture::owner;
    arrays_test::instrumented_table<TypeParam> table;
    {
        owner a(*table.get());
        a.reshape({4, 2});
        a.reshape({2}); // storage only grows
        EXPECT_EQ(a->data_capacity, 8u);
        EXPECT_EQ(a.size(), 2u);
        EXPECT_FALSE(table.log().live_blocks.empty());
    }
    EXPECT_TRUE(table.log().live_blocks.empty());
    EXPECT_EQ(table.log().frees_of_unknown, 0);

    table.log().fail_on_call = table.log().realloc_calls + 2; // the descriptor, then its extents
    owner refused(*table.get());
    EXPECT_THROW(refused.reshape({3}), std::bad_alloc);
    table.log().fail_always = true;
    EXPECT_THROW(owner{*table.get()}, std::bad_alloc);
}

TEST(cxx_sample_access, MpzAndUintSamplesRoundTrip) {
    const mpz_class wide("-123456789012345678901234567890");
    quodra::mpz_array values_of({3});
    values_of.set_sample(2, wide);
    EXPECT_EQ(values_of.sample(2), wide);
    EXPECT_EQ(values_of.sample(0), 0);
    EXPECT_THROW(values_of.set_sample(3, wide), std::out_of_range);
    EXPECT_THROW(values_of.sample(3), std::out_of_range);

    quodra::uint_array flags({2});
    flags.set_sample(1, 7u);
    EXPECT_EQ(flags.sample(1), 7u);
    EXPECT_THROW(flags.sample(2), std::out_of_range);
}

TEST(cxx_config, DefaultsAreTheLibrarysAndConvertBothWays) {
    qor_quodra_v5_1_config record{};
    record.aux_param_2 = 0;
    ASSERT_EQ(qor_quodra_v5_1_default_config(&record), 0);
    const quodra::config defaults;
    EXPECT_EQ(defaults.name, record.name);
    EXPECT_EQ(defaults.algorithm_type, record.algorithm_type);
    EXPECT_EQ(defaults.divisor_width, record.divisor_width);
    EXPECT_EQ(defaults.dividend_width, record.dividend_width);
    EXPECT_EQ(defaults.operand_sign, record.operand_sign);
    EXPECT_EQ(defaults.remainder_type, record.remainder_type);
    EXPECT_EQ(defaults.fractional_width, record.fractional_width);
    EXPECT_EQ(defaults.aux_param_1, record.aux_param_1);

    quodra::config named;
    named.name = "bench A";
    named.aux_param_2 = 9;
    const qor_quodra_v5_1_config c = named.to_c();
    EXPECT_EQ(c.name, named.name.c_str());
    EXPECT_EQ(c.aux_param_2, 9);

    const quodra::config stored = quodra::model(named).configuration();
    EXPECT_EQ(stored.name, "bench A");
    EXPECT_EQ(stored.aux_param_2, 9);
    EXPECT_EQ(quodra::library_version(), QUODRA_VERSION_STRING);
}

TEST(cxx_model, MovesAndReleases) {
    quodra::model first{quodra::config()};
    quodra_v5_1 *raw = first.get();
    ASSERT_NE(raw, nullptr);
    quodra::model second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    EXPECT_THROW(first.configuration(), quodra::error);

    quodra::model third{quodra::config()};
    third = std::move(second); // third's own model is destroyed here
    EXPECT_EQ(third.get(), raw);
    EXPECT_EQ(qor_quodra_v5_1_destroy(third.release()), 0);
    EXPECT_FALSE(third);
}

} // namespace
