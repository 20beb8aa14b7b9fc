// The model object: an immutable description of one divider core, with the
// derived parameters of the High Radix datapath computed once at creation.
#ifndef QUODRA_MODEL_QUODRA_V5_1_H
#define QUODRA_MODEL_QUODRA_V5_1_H

#include <cstdint>
#include <string>

#include "quodra.h"
#include "model/zan_logger.h"

struct quodra_v5_1 {
public:
    // Validates the record (raises QUODRAException) and derives parameters.
    quodra_v5_1(const qor_quodra_v5_1_config &config,
                qor_quodra_v5_1_zanlogger::ZanLogger *logger);
    virtual ~quodra_v5_1();

    quodra_v5_1(const quodra_v5_1 &) = delete;
    quodra_v5_1 &operator=(const quodra_v5_1 &) = delete;

    // Sample driver: checks the arrays, then divides in remainder mode or
    // dispatches to the configured fractional algorithm. Returns 0 or raises.
    int data_do(qor_array_mpz *divisor, qor_array_mpz *dividend, qor_array_mpz *quotient,
                qor_array_mpz *remainder, qor_array_uint *div_by_zero, uint32_t count) const;

    // Real-valued front end: doubles in, doubles out, through data_do.
    int data_real_do(qor_array_real *divisor, qor_array_real *dividend, qor_array_real *quotient,
                     qor_array_real *remainder, qor_array_uint *div_by_zero, uint32_t count) const;

    // Fractional algorithms (algorithm_type 1 and 3).
    int divide_radix2(qor_array_mpz *divisor, qor_array_mpz *dividend, qor_array_mpz *quotient,
                      qor_array_mpz *remainder, qor_array_uint *div_by_zero, uint32_t count) const;
    int divide_high_radix(qor_array_mpz *divisor, qor_array_mpz *dividend, qor_array_mpz *quotient,
                          qor_array_mpz *remainder, qor_array_uint *div_by_zero,
                          uint32_t count) const;

    // One sample of the radix-2^14 slice datapath: T receives the digit string.
    int iterative_unit(mpz_t T, const mpz_t R, const mpz_t X, const mpz_t M) const;

private:
    void derive_high_radix_parameters();

public:
    // Capacity of the iterative unit's fixed register files.
    static constexpr uint32_t hr_max_divisor_digits = 19;
    static constexpr uint32_t hr_max_low_digits = 19;

    qor_quodra_v5_1_zanlogger::ZanLogger *logger;
    qor_quodra_v5_1_config config; // name points at name_copy
    std::string name_copy;

    // Derived parameters of the High Radix datapath, 32-bit unsigned wrapping.
    uint32_t hr_divisor_width_p1;
    uint32_t hr_divisor_pad;
    uint32_t hr_product_width;
    uint32_t hr_working_width;
    uint32_t hr_divisor_digits;
    uint32_t hr_low_digits;
    uint32_t hr_low_width;
    uint32_t hr_aligned_width;
    uint32_t hr_iterations;
    uint32_t hr_quotient_pad;
    uint32_t hr_quotient_digits_width;
};

#endif
