// The public records are part of the binary interface that simulators built
// against other compilers and languages (ctypes, SystemC) rely on.
#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

#include "quodra.h"

namespace {

TEST(AbiLayout, ConfigurationIsAPointerThenEightInt32s) {
    using C = qor_quodra_v5_1_config;
    EXPECT_EQ(offsetof(C, name), 0u);
    const std::size_t first = sizeof(void *);
    EXPECT_EQ(offsetof(C, algorithm_type), first);
    EXPECT_EQ(offsetof(C, divisor_width), first + 4);
    EXPECT_EQ(offsetof(C, dividend_width), first + 8);
    EXPECT_EQ(offsetof(C, operand_sign), first + 12);
    EXPECT_EQ(offsetof(C, remainder_type), first + 16);
    EXPECT_EQ(offsetof(C, fractional_width), first + 20);
    EXPECT_EQ(offsetof(C, aux_param_1), first + 24);
    EXPECT_EQ(offsetof(C, aux_param_2), first + 28);
    EXPECT_EQ(sizeof(C), first + 32);
    static_assert(std::is_same<decltype(C::name), const char *>::value, "name type");
    static_assert(std::is_same<decltype(C::aux_param_2), int32_t>::value, "field type");
}

TEST(AbiLayout, HandlerTakesHandleFlagAndText) {
    static_assert(std::is_same<qor_msg_handler, void (*)(void *, int32_t, const char *)>::value,
                  "handler signature");
    SUCCEED();
}

TEST(AbiLayout, ComplexElementsAreRealThenImaginary) {
    EXPECT_EQ(offsetof(qor_complex, re), 0u);
    EXPECT_EQ(offsetof(qor_complex, im), sizeof(double));
    EXPECT_EQ(offsetof(qor_mpz_complex, re), 0u);
    EXPECT_EQ(offsetof(qor_mpz_complex, im), sizeof(mpz_t));
}

template <class Array, class Ops, class Element>
void expect_descriptor_layout() {
    const std::size_t p = sizeof(void *);
    EXPECT_EQ(offsetof(Array, data), 0u);
    EXPECT_EQ(offsetof(Array, data_size), p);
    EXPECT_EQ(offsetof(Array, data_capacity), p + 8);
    EXPECT_EQ(offsetof(Array, dim), p + 16);
    EXPECT_EQ(offsetof(Array, dim_size), 2 * p + 16);
    EXPECT_EQ(offsetof(Array, dim_capacity), 2 * p + 24);
    EXPECT_EQ(offsetof(Array, owner), 2 * p + 32);
    EXPECT_EQ(offsetof(Array, ops), 2 * p + 32 + (p > 4 ? p : 4));
    static_assert(std::is_same<decltype(Array::data), Element *>::value, "data type");
    static_assert(std::is_same<decltype(Array::data_size), std::size_t>::value, "size type");
    static_assert(std::is_same<decltype(Array::dim), std::size_t *>::value, "dim type");
    static_assert(std::is_same<decltype(Array::owner), int32_t>::value, "owner type");
    static_assert(std::is_same<decltype(Array::ops), Ops *>::value, "ops type");
    static_assert(sizeof(std::size_t) == 8, "counts are 64-bit");

    // Seven pointer-sized slots in the order realloc, free, init, copy, swap, clear, reserved.
    EXPECT_EQ(sizeof(Ops), 7 * p);
    EXPECT_EQ(offsetof(Ops, realloc), 0 * p);
    EXPECT_EQ(offsetof(Ops, free), 1 * p);
    EXPECT_EQ(offsetof(Ops, init), 2 * p);
    EXPECT_EQ(offsetof(Ops, copy), 3 * p);
    EXPECT_EQ(offsetof(Ops, swap), 4 * p);
    EXPECT_EQ(offsetof(Ops, clear), 5 * p);
    EXPECT_EQ(offsetof(Ops, reserved), 6 * p);
    static_assert(std::is_same<decltype(Ops::realloc), void *(*)(Ops *, void *, std::size_t)>::value,
                  "realloc slot");
    static_assert(std::is_same<decltype(Ops::copy), void (*)(Ops *, Element *, const Element *)>::value,
                  "copy slot");
}

TEST(AbiLayout, DescriptorsAndTablesOfEveryFamily) {
    expect_descriptor_layout<qor_array_bit, qor_array_bit_ops, unsigned char>();
    expect_descriptor_layout<qor_array_real, qor_array_real_ops, double>();
    expect_descriptor_layout<qor_array_complex, qor_array_complex_ops, qor_complex>();
    expect_descriptor_layout<qor_array_uint, qor_array_uint_ops, unsigned int>();
    expect_descriptor_layout<qor_array_uint32, qor_array_uint32_ops, uint32_t>();
    expect_descriptor_layout<qor_array_mpz, qor_array_mpz_ops, mpz_t>();
    expect_descriptor_layout<qor_array_mpz_complex, qor_array_mpz_complex_ops, qor_mpz_complex>();
    static_assert(sizeof(unsigned int) == 4, "uint elements are 32 bits");
}

} // namespace
