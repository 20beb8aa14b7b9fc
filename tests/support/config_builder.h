// The one configuration builder of the tests and fuzz targets: the
// library's default record (aux_param_2 zeroed) with the algorithm, operand
// sign and output mode named by the QUODRA_* constants of quodra.h, and the
// widths in the record's order. It converts to the record wherever one is
// expected; values outside the named ones (unknown algorithms, sign 2) pass
// through unchanged for the tests of what the library does with them.
#ifndef QUODRA_TESTS_SUPPORT_CONFIG_BUILDER_H
#define QUODRA_TESTS_SUPPORT_CONFIG_BUILDER_H

#include <cstdint>

#include "quodra.h"

class config_builder {
public:
    explicit config_builder(int32_t algorithm = QUODRA_ALGORITHM_RADIX2,
                            int32_t sign = QUODRA_OPERAND_SIGNED,
                            int32_t output = QUODRA_OUTPUT_REMAINDER) {
        qor_quodra_v5_1_default_config(&record_);
        record_.algorithm_type = algorithm;
        record_.operand_sign = sign;
        record_.remainder_type = output;
    }

    // High Radix in its one accepted mode (signed, fractional), with the
    // divisor, dividend and fraction widths A, B and C.
    static config_builder high_radix(int32_t A, int32_t B, int32_t C) {
        return config_builder(QUODRA_ALGORITHM_HIGH_RADIX, QUODRA_OPERAND_SIGNED,
                              QUODRA_OUTPUT_FRACTIONAL)
            .widths(A, B, C);
    }

    config_builder &widths(int32_t divisor, int32_t dividend, int32_t fraction) {
        record_.divisor_width = divisor;
        record_.dividend_width = dividend;
        record_.fractional_width = fraction;
        return *this;
    }

    config_builder &name(const char *name) {
        record_.name = name;
        return *this;
    }

    const qor_quodra_v5_1_config &record() const { return record_; }
    operator qor_quodra_v5_1_config() const { return record_; }

private:
    qor_quodra_v5_1_config record_{};
};

#endif
