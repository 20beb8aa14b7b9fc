// Test support for the division engine: a model made through the public
// interface with a recording handler, and sample vectors of the three types
// the engine reads and writes, all released automatically.
#ifndef QUODRA_TESTS_SUPPORT_DRIVER_TEST_SUPPORT_H
#define QUODRA_TESTS_SUPPORT_DRIVER_TEST_SUPPORT_H

#include <gmp.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "quodra.h"
#include "support/config_builder.h"
#include "support/recording_handler.h"

namespace driver_test {

// A model of the given record (config_builder) whose handler records every
// call.
class test_model {
public:
    explicit test_model(const qor_quodra_v5_1_config &config) {
        model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    }
    ~test_model() { qor_quodra_v5_1_destroy(model); }
    test_model(const test_model &) = delete;
    test_model &operator=(const test_model &) = delete;

    quodra_v5_1 *get() const { return model; }
    std::vector<handler_call> &calls() { return handler.calls; }

    recording_handler handler;

private:
    quodra_v5_1 *model = nullptr;
};

class mpz_vector {
public:
    explicit mpz_vector(size_t n) : array(qor_quodra_v5_1_qor_array_mpz_alloc(n)) {}
    mpz_vector(std::initializer_list<long> values) : mpz_vector(values.size()) {
        size_t i = 0;
        for (long v : values) {
            set(i++, v);
        }
    }
    ~mpz_vector() { qor_quodra_v5_1_qor_array_mpz_destroy(array); }
    mpz_vector(const mpz_vector &) = delete;
    mpz_vector &operator=(const mpz_vector &) = delete;

    qor_array_mpz *get() const { return array; }
    qor_array_mpz *operator->() const { return array; }

    void set(size_t i, long value) { mpz_set_si(array->data[i], value); }
    void set(size_t i, mpz_srcptr value) { mpz_set(array->data[i], value); }
    mpz_srcptr at(size_t i) const { return array->data[i]; }
    // Text of element i in `base`, for readable comparisons and failures.
    std::string text(size_t i, int base = 10) const {
        std::string s(mpz_sizeinbase(array->data[i], base) + 2, '\0');
        mpz_get_str(&s[0], base, array->data[i]);
        s.resize(std::strlen(s.c_str()));
        return s;
    }

private:
    qor_array_mpz *array;
};

class uint_vector {
public:
    uint_vector(size_t n, unsigned int fill) : array(qor_quodra_v5_1_qor_array_uint_alloc(n)) {
        for (size_t i = 0; i < n; ++i) {
            array->data[i] = fill;
        }
    }
    ~uint_vector() { qor_quodra_v5_1_qor_array_uint_destroy(array); }
    uint_vector(const uint_vector &) = delete;
    uint_vector &operator=(const uint_vector &) = delete;

    qor_array_uint *get() const { return array; }
    qor_array_uint *operator->() const { return array; }
    unsigned int at(size_t i) const { return array->data[i]; }

private:
    qor_array_uint *array;
};

// A one-dimensional real array of n elements, extent n.
class real_vector {
public:
    explicit real_vector(size_t n, double fill = 0.0)
        : array(qor_quodra_v5_1_qor_array_real_create()) {
        qor_quodra_v5_1_qor_array_real_reserve_dim(array, 1);
        qor_quodra_v5_1_qor_array_real_reserve_data(array, n);
        array->dim_size = 1;
        array->dim[0] = n;
        array->data_size = n;
        for (size_t i = 0; i < n; ++i) {
            array->data[i] = fill;
        }
    }
    real_vector(std::initializer_list<double> values) : real_vector(values.size()) {
        size_t i = 0;
        for (double v : values) {
            array->data[i++] = v;
        }
    }
    ~real_vector() { qor_quodra_v5_1_qor_array_real_destroy(array); }
    real_vector(const real_vector &) = delete;
    real_vector &operator=(const real_vector &) = delete;

    qor_array_real *get() const { return array; }
    qor_array_real *operator->() const { return array; }
    double &operator[](size_t i) const { return array->data[i]; }

private:
    qor_array_real *array;
};

// Messages the handler received, in order.
inline std::vector<std::string> messages(const std::vector<handler_call> &calls) {
    std::vector<std::string> result;
    for (const handler_call &call : calls) {
        result.push_back(call.message);
    }
    return result;
}

} // namespace driver_test

#endif
