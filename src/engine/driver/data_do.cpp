// The sample driver: checks that every array can hold the requested number
// of samples, then divides in remainder mode or hands the whole call to the
// configured fractional algorithm. Every refusal comes before the first
// sample is read or written, so a refused call leaves the outputs untouched.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "model/model_guard.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"
#include "engine/remainder/remainder_division.h"
#include "arrays/sample_vector.h"
#include "engine/driver/width_checks.h"

namespace {

void require_present(const void *array, const char *message) {
    if (array == nullptr) {
        throw QUODRAException(message);
    }
}

// The extent of an array is its first dimension, dim[0], not its data_size.
// An array without a reserved extent slot has no extent to compare with.
template <class Array>
void require_extent(const Array &array, uint32_t count, const char *no_extent_message,
                    const char *too_small_message) {
    if (array.dim == nullptr || array.dim_capacity == 0) {
        throw QUODRAException(no_extent_message);
    }
    if (uint64_t{count} > uint64_t{array.dim[0]}) {
        throw QUODRAException(too_small_message);
    }
}

void check_arrays(bool remainder_mode, const qor_array_mpz *divisor, const qor_array_mpz *dividend,
                  const qor_array_mpz *quotient, const qor_array_mpz *remainder,
                  const qor_array_uint *div_by_zero, uint32_t count) {
    if (remainder_mode) {
        require_present(remainder, "The model is configured for remainder output, but the "
                                   "remainder structure pointer is null");
    }
    require_present(divisor, "The divisor structure pointer is null");
    require_present(dividend, "The dividend structure pointer is null");
    require_present(quotient, "The quotient structure pointer is null");
    require_present(div_by_zero, "The div_by_zero structure pointer is null");

    require_extent(*divisor, count, "The divisor structure has no dimension vector",
                   "Number of samples requested is larger than the divisor size");
    require_extent(*dividend, count, "The dividend structure has no dimension vector",
                   "Number of samples requested is larger than the dividend size");
    require_extent(*quotient, count, "The quotient structure has no dimension vector",
                   "Number of samples requested is larger than the quotient size");
    require_extent(*div_by_zero, count, "The div_by_zero structure has no dimension vector",
                   "Number of samples requested is larger than the div_by_zero size");
    if (remainder_mode) {
        require_extent(*remainder, count, "The remainder structure has no dimension vector",
                       "Number of samples requested is larger than that remainder size");
    }
}

// The number of leading samples that can still change anything: past it
// every read is refused and every write dropped, so the remaining samples
// would only repeat the last operands into nothing. Stopping there keeps an
// array that claims a huge extent but holds few elements from costing a
// loop over the whole claimed extent.
uint32_t samples_with_effect(uint32_t count, const qor_array_mpz *divisor,
                             const qor_array_mpz *dividend, const qor_array_mpz *quotient,
                             const qor_array_mpz *remainder, const qor_array_uint *div_by_zero) {
    using quodra_arrays::reachable_samples;
    const size_t reached = std::max({reachable_samples(divisor), reachable_samples(dividend),
                                     reachable_samples(quotient), reachable_samples(remainder),
                                     reachable_samples(div_by_zero)});
    return reached < count ? static_cast<uint32_t>(reached) : count;
}

} // namespace

int quodra_v5_1::data_do(qor_array_mpz *divisor, qor_array_mpz *dividend, qor_array_mpz *quotient,
                         qor_array_mpz *remainder, qor_array_uint *div_by_zero,
                         uint32_t count) const {
    const bool remainder_mode = config.remainder_type == QUODRA_OUTPUT_REMAINDER;
    check_arrays(remainder_mode, divisor, dividend, quotient, remainder, div_by_zero, count);
    // The remainder array is neither read nor written in fractional mode.
    const uint32_t samples = samples_with_effect(count, divisor, dividend, quotient,
                                                 remainder_mode ? remainder : nullptr, div_by_zero);

    if (remainder_mode) {
        // Exact division for every algorithm: the core's remainder output
        // does not depend on how the quotient is formed.
        require_remainder_widths(*this);
        require_remainder_register_limit(*this);
        require_remainder_operands_within_limit(divisor, dividend, samples);
        return divide_with_remainder(*this, divisor, dividend, quotient, remainder, div_by_zero,
                                     samples);
    }
    switch (config.algorithm_type) {
    case QUODRA_ALGORITHM_RADIX2:
        require_radix2_widths(*this);
        require_radix2_register_limit(*this);
        return divide_radix2(divisor, dividend, quotient, remainder, div_by_zero, samples);
    case QUODRA_ALGORITHM_HIGH_RADIX:
        require_high_radix_widths(*this);
        require_high_radix_register_limit(*this);
        return divide_high_radix(divisor, dividend, quotient, remainder, div_by_zero, samples);
    case QUODRA_ALGORITHM_LUTMULT:
        throw QUODRAException("LUTMult architecture does not support fractional output");
    default:
        throw QUODRAException("Unknown algorithm_type.");
    }
}

int32_t qor_quodra_v5_1_data_do(const quodra_v5_1 *model, qor_array_mpz *divisor,
                                qor_array_mpz *dividend, qor_array_mpz *quotient,
                                qor_array_mpz *remainder, qor_array_uint *div_by_zero,
                                uint32_t count) {
    if (model == nullptr || divisor == nullptr || quotient == nullptr) {
        return 1;
    }
    return qor_run_guarded(*model, [&] {
        return model->data_do(divisor, dividend, quotient, remainder, div_by_zero, count);
    });
}
