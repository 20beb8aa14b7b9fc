// Reading and writing samples by index: copies in both directions, the
// bound at data_size, the single-sample rule for arrays without extents, and
// refusals that leave both the array and the caller's variable alone.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "support/array_family_traits.h"
#include "arrays/sample_vector.h"

namespace {

using namespace arrays_test;

// A caller's GNU MP integer, cleared at scope exit.
class integer {
public:
    explicit integer(const char *decimal) { mpz_init_set_str(value_, decimal, 10); }
    ~integer() { mpz_clear(value_); }
    integer(const integer &) = delete;
    integer &operator=(const integer &) = delete;
    operator mpz_ptr() { return value_; }
    bool equals(const char *decimal) const {
        mpz_t expected;
        mpz_init_set_str(expected, decimal, 10);
        bool same = mpz_cmp(value_, expected) == 0;
        mpz_clear(expected);
        return same;
    }

private:
    mpz_t value_;
};

const char *const big = "-340282366920938463463374607431768211457"; // -(2^128 + 1)

class SampleAccessUint : public ::testing::Test {
protected:
    void SetUp() override { array = qor_quodra_v5_1_qor_array_uint_alloc(4); ASSERT_NE(array, nullptr); }
    void TearDown() override { EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_destroy(array), nullptr); }
    qor_array_uint *array = nullptr;
};

TEST_F(SampleAccessUint, StoredValueComesBackUnchanged) {
    for (uint32_t value : {2u, 0u, 1u, 0xFFFFFFFFu, 0x80000000u}) {
        ASSERT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(array, value, 3), 0);
        uint32_t read = 12345;
        ASSERT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, 3), 0);
        EXPECT_EQ(read, value);
        EXPECT_EQ(array->data[3], value);
    }
}

TEST_F(SampleAccessUint, LastSampleSucceedsAndOnePastIsRefused) {
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(array, uint32_t(i + 10), i), 0);
    }
    uint32_t read = 99;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, 3), 0);
    EXPECT_EQ(read, 13u);
    read = 99;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(array, 7, 4), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, 4), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, SIZE_MAX), 1);
    EXPECT_EQ(read, 99u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(array->data[i], i + 10);
    }
}

TEST_F(SampleAccessUint, NullArrayTableOrDestinationIsRefused) {
    uint32_t read = 99;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(nullptr, 1, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(nullptr, &read, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, nullptr, 0), 1);
    array->data[0] = 5;
    auto *table = array->ops;
    array->ops = nullptr;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(array, 1, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, 0), 1);
    array->ops = table;
    EXPECT_EQ(read, 99u);
    EXPECT_EQ(array->data[0], 5u);
}

TEST_F(SampleAccessUint, OwnerIsNotConsulted) {
    array->owner = 2;
    uint32_t read = 0;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(array, 8, 1), 0);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(array, &read, 1), 0);
    EXPECT_EQ(read, 8u);
    array->owner = 0;
}

class SampleAccessMpz : public ::testing::Test {
protected:
    void SetUp() override { array = qor_quodra_v5_1_qor_array_mpz_alloc(3); ASSERT_NE(array, nullptr); }
    void TearDown() override { EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_destroy(array), nullptr); }
    qor_array_mpz *array = nullptr;
};

TEST_F(SampleAccessMpz, StoredSampleIsADeepCopyOfTheCallersValue) {
    integer value(big);
    ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, value, 2), 0);
    mpz_add_ui(value, value, 1);
    integer read("0");
    ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, read, 2), 0);
    EXPECT_TRUE(read.equals(big));
}

TEST_F(SampleAccessMpz, ReadReplacesWhatTheDestinationHeld) {
    integer value(big);
    ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, value, 0), 0);
    integer read("987654321987654321987654321");
    ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, read, 0), 0);
    EXPECT_TRUE(read.equals(big));
    mpz_set_ui(read, 3); // the read copy is the caller's own
    integer again("0");
    ASSERT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, again, 0), 0);
    EXPECT_TRUE(again.equals(big));
}

TEST_F(SampleAccessMpz, LastSampleSucceedsAndOnePastIsRefused) {
    integer value("-7");
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, value, 2), 0);
    integer other("11");
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, other, 3), 1);
    integer read("42");
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, read, 3), 1);
    EXPECT_TRUE(read.equals("42"));
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, read, 2), 0);
    EXPECT_TRUE(read.equals("-7"));
}

TEST_F(SampleAccessMpz, NullArrayTableValueOrDestinationIsRefused) {
    integer value("5");
    integer read("42");
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(nullptr, value, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(nullptr, read, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, nullptr, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, nullptr, 0), 1);
    auto *table = array->ops;
    array->ops = nullptr;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(array, value, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(array, read, 0), 1);
    array->ops = table;
    EXPECT_TRUE(read.equals("42"));
    EXPECT_EQ(mpz_sgn(array->data[0]), 0);
}

// Storage but no extent vector in use: the array is one sample, element 0,
// whatever index is passed.
struct missing_extents {
    const char *what;
    bool dim_vector;
    size_t dim_size;
};

// Prints the case by its name, so test listings stay short and identical
// from build to build.
void PrintTo(const missing_extents &c, std::ostream *out) { *out << c.what; }

class SampleAccessWithoutExtents : public ::testing::TestWithParam<missing_extents> {};

TEST_P(SampleAccessWithoutExtents, EveryIndexAddressesElementZero) {
    const missing_extents shape = GetParam();
    qor_array_mpz *m = qor_quodra_v5_1_qor_array_mpz_alloc(3);
    qor_array_uint *u = qor_quodra_v5_1_qor_array_uint_alloc(3);
    ASSERT_NE(m, nullptr);
    ASSERT_NE(u, nullptr);
    size_t *m_dim = m->dim;
    size_t *u_dim = u->dim;
    if (!shape.dim_vector) {
        m->dim = nullptr;
        u->dim = nullptr;
    }
    m->dim_size = u->dim_size = shape.dim_size;
    u->data[0] = u->data[1] = u->data[2] = 0;

    integer value("123456789123456789123456789");
    integer read("0");
    uint32_t flag = 0;
    for (size_t index : {size_t(0), size_t(2), size_t(3), size_t(1000), SIZE_MAX}) {
        SCOPED_TRACE(index);
        mpz_add_ui(value, value, 1);
        EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(m, value, index), 0);
        EXPECT_EQ(mpz_cmp(m->data[0], value), 0);
        EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(m, read, index), 0);
        EXPECT_EQ(mpz_cmp(read, value), 0);

        EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_set_data(u, uint32_t(index % 1000 + 1), index), 0);
        EXPECT_EQ(u->data[0], index % 1000 + 1);
        EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(u, &flag, index), 0);
        EXPECT_EQ(flag, index % 1000 + 1);
    }
    EXPECT_EQ(mpz_sgn(m->data[1]), 0);
    EXPECT_EQ(mpz_sgn(m->data[2]), 0);
    EXPECT_EQ(u->data[1], 0u);
    EXPECT_EQ(u->data[2], 0u);

    // With no sample in use even element 0 is refused.
    m->data_size = u->data_size = 0;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(m, value, 0), 1);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_get_data(u, &flag, 5), 1);

    m->dim = m_dim;
    u->dim = u_dim;
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_destroy(m), nullptr);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_uint_destroy(u), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Shapes, SampleAccessWithoutExtents,
                         ::testing::Values(missing_extents{"no_vector", false, 0},
                                           missing_extents{"no_dimension_in_use", true, 0}),
                         [](const ::testing::TestParamInfo<missing_extents> &info) {
                             return std::string(info.param.what);
                         });

// Every access is one call through the array's own table.
TEST(SampleAccessTable, EachAccessCopiesOnceThroughTheArraysTable) {
    instrumented_table<qor_array_mpz> table;
    qor_array_mpz *a = quodra_arrays::make_sample_vector<qor_array_mpz>(table.get(), 2);
    ASSERT_NE(a, nullptr);
    integer value("77");
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_set_data(a, value, 1), 0);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(a, value, 0), 0);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_get_data(a, value, 2), 1);
    EXPECT_EQ(table.log().copies, 2);
    EXPECT_EQ(qor_quodra_v5_1_qor_array_mpz_destroy(a), nullptr);
    EXPECT_TRUE(table.log().live_blocks.empty());
}

} // namespace
