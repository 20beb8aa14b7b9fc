// Column-major linear indices: the first subscript varies fastest, only
// dimensions below dim_size take part, nothing is bounds-checked and the
// arithmetic wraps modulo 2^64.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "support/array_family_traits.h"

namespace {

using namespace arrays_test;

// A descriptor with caller-managed extents; element storage is irrelevant.
template <class Descriptor>
struct shaped {
    explicit shaped(std::vector<size_t> e, size_t dim_size) : extents(std::move(e)) {
        array = Descriptor{};
        array.dim = extents.empty() ? nullptr : extents.data();
        array.dim_capacity = extents.size();
        array.dim_size = dim_size;
    }
    std::vector<size_t> extents;
    Descriptor array;
};

template <class Descriptor>
size_t linear(const Descriptor *a, const std::vector<size_t> &s) {
    using F = family<Descriptor>;
    switch (s.size()) {
    case 1: return F::sub2ind_1d(a, s[0]);
    case 2: return F::sub2ind_2d(a, s[0], s[1]);
    case 3: return F::sub2ind_3d(a, s[0], s[1], s[2]);
    default: return F::sub2ind_4d(a, s[0], s[1], s[2], s[3]);
    }
}

// Sum of subscript times stride, where the stride of a dimension is the
// product of the extents before it; dimensions not in use contribute nothing.
size_t stride_sum(const std::vector<size_t> &extents, size_t dim_size,
                  const std::vector<size_t> &subscripts) {
    size_t index = 0;
    size_t stride = 1;
    for (size_t j = 0; j < subscripts.size() && j < dim_size; ++j) {
        index += subscripts[j] * stride;
        stride *= extents[j];
    }
    return index;
}

struct index_case {
    const char *what;
    std::vector<size_t> extents;
    size_t dim_size;
    std::vector<size_t> subscripts;
    size_t expected;
};

const size_t two_to_32 = size_t(1) << 32;

const std::vector<index_case> hand_cases = {
    {"3x4 (2,1)", {3, 4}, 2, {2, 1}, 5},
    {"3x4 subscript beyond its extent", {3, 4}, 2, {5, 0}, 5},
    {"3x4 third subscript has no dimension", {3, 4}, 2, {2, 1, 7}, 5},
    {"3x4 fourth subscript has no dimension", {3, 4}, 2, {2, 1, 9, 9}, 5},
    {"3x4 one subscript", {3, 4}, 2, {7}, 7},
    {"one dimension, two subscripts", {6}, 1, {4, 9}, 4},
    {"one dimension, four subscripts", {6}, 1, {4, 9, 9, 9}, 4},
    {"no dimension in use", {6, 6}, 0, {4}, 0},
    {"no dimension in use, four subscripts", {6, 6}, 0, {4, 3, 2, 1}, 0},
    {"2x3x4x5", {2, 3, 4, 5}, 4, {1, 2, 3, 4}, 119},
    {"2x3x4x5 three subscripts", {2, 3, 4, 5}, 4, {1, 2, 3}, 23},
    {"last extent never enters", {2, 3, 4, 0}, 4, {1, 2, 3, 4}, 119},
    {"extents beyond dim_size ignored", {2, 3, 4, 5}, 2, {1, 2, 3, 4}, 5},
    {"five dimensions, two subscripts", {7, 2, 2, 2, 2}, 5, {3, 4}, 31},
    {"wraps modulo 2^64", {two_to_32, two_to_32, 9}, 3, {1, 2, 3}, 1 + 2 * two_to_32},
    {"largest subscript", {5}, 1, {SIZE_MAX}, SIZE_MAX},
};

template <class Descriptor>
class ArraysSub2Ind : public ::testing::Test {};
TYPED_TEST_SUITE(ArraysSub2Ind, all_descriptors, family_name);

TYPED_TEST(ArraysSub2Ind, HandComputedIndices) {
    for (const index_case &c : hand_cases) {
        SCOPED_TRACE(c.what);
        shaped<TypeParam> s(c.extents, c.dim_size);
        EXPECT_EQ(linear(&s.array, c.subscripts), c.expected);
    }
}

TYPED_TEST(ArraysSub2Ind, MatchesStrideSumForEveryShapeAndSubscriptCount) {
    std::mt19937_64 random(2024);
    for (size_t dim_size = 0; dim_size <= 4; ++dim_size) {
        for (size_t count = 1; count <= 4; ++count) {
            for (int trial = 0; trial < 50; ++trial) {
                std::vector<size_t> extents(4), subscripts(count);
                for (size_t &e : extents) e = random() % 9;
                for (size_t &i : subscripts) i = random() % 12;
                if (trial % 10 == 0) { // some huge values to exercise wrapping
                    extents[0] = random();
                    subscripts[count - 1] = random();
                }
                shaped<TypeParam> s(extents, dim_size);
                EXPECT_EQ(linear(&s.array, subscripts), stride_sum(extents, dim_size, subscripts))
                    << "dim_size " << dim_size << " subscripts " << count;
            }
        }
    }
}

TYPED_TEST(ArraysSub2Ind, WithoutExtentsEveryIndexIsZero) {
    shaped<TypeParam> no_vector({}, 0);
    TypeParam claims_dimensions = TypeParam{};
    claims_dimensions.dim_size = 3; // dim null: nothing to read
    const TypeParam *cases[] = {&no_vector.array, &claims_dimensions, nullptr};
    for (const TypeParam *a : cases) {
        for (size_t count = 1; count <= 4; ++count) {
            EXPECT_EQ(linear(a, std::vector<size_t>(count, 5)), 0u);
        }
    }
}

} // namespace
