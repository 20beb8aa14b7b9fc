// The real-valued front end: converts the caller's doubles into temporary
// GNU MP arrays shaped like the caller's arrays, runs the sample driver on
// them and converts the results back. All bit-exact behaviour is the
// driver's; this file only moves values between doubles and integers and
// warns about every value a double could not carry exactly.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/model_guard.h"
#include "model/quodra_exception.h"
#include "model/quodra_v5_1.h"

namespace {

// An mpz array made and released by one call, on every exit.
class temporary_mpz_array {
public:
    temporary_mpz_array() : array(qor_quodra_v5_1_qor_array_mpz_create()) {}
    ~temporary_mpz_array() { qor_quodra_v5_1_qor_array_mpz_destroy(array); }
    temporary_mpz_array(const temporary_mpz_array &) = delete;
    temporary_mpz_array &operator=(const temporary_mpz_array &) = delete;

    qor_array_mpz *get() const { return array; }

    // Copies dim_size, the extents and data_size of `shape`, with storage for
    // exactly data_size elements, each 0. Sizes are set only once the
    // storage behind them exists.
    void take_shape_of(const qor_array_real &shape, const std::string &role) {
        if (shape.dim_size > 0 && shape.dim == nullptr) {
            throw QUODRAException("The " + role + " structure has no dimension vector");
        }
        if (array == nullptr ||
            qor_quodra_v5_1_qor_array_mpz_reserve_dim(array, shape.dim_size) != 0 ||
            qor_quodra_v5_1_qor_array_mpz_reserve_data(array, shape.data_size) != 0) {
            throw QUODRAException("Storage for the temporary " + role +
                                  " array could not be reserved");
        }
        for (size_t d = 0; d < shape.dim_size; ++d) {
            array->dim[d] = shape.dim[d];
        }
        array->dim_size = shape.dim_size;
        array->data_size = shape.data_size;
    }

private:
    qor_array_mpz *array;
};

void require_present(const void *array, const char *message) {
    if (array == nullptr) {
        throw QUODRAException(message);
    }
}

// An infinity or NaN has no integer value: converting it is undefined in
// GNU MP and may trap, so the call is refused before anything is converted.
void require_finite(const qor_array_real &input, const char *message) {
    for (size_t k = 0; k < input.data_size; ++k) {
        if (!std::isfinite(input.data[k])) {
            throw QUODRAException(message);
        }
    }
}

// value * 2^-fraction_bits as a double. The integer is truncated towards
// zero to a double's 53 significant bits (as mpz_get_d does) and only then
// scaled, so the scaling sees the whole register however wide it is; below
// the normal range the scaling rounds to nearest, as dividing by a power of
// two does. Past the double range the result is the largest finite double
// of the value's sign, the value truncated towards zero, instead of GNU MP's
// system-dependent result, which may trap.
double scaled_integer_to_double(mpz_srcptr value, uint64_t fraction_bits) {
    if (mpz_sgn(value) == 0) {
        return 0.0;
    }
    long exponent = 0;
    const double mantissa = mpz_get_d_2exp(&exponent, value); // 0.5 <= |mantissa| < 1
    const int64_t scaled = int64_t{exponent} - static_cast<int64_t>(fraction_bits);
    if (scaled > DBL_MAX_EXP) {
        return mpz_sgn(value) < 0 ? -DBL_MAX : DBL_MAX;
    }
    // Far below the smallest subnormal every exponent gives the same zero.
    constexpr int64_t vanishing = DBL_MIN_EXP - DBL_MANT_DIG - 2;
    return std::ldexp(mantissa, static_cast<int>(std::max(scaled, vanishing)));
}

// True when value * 2^-fraction_bits is a double: its significant bits fit
// the mantissa, its top bit is within range and its lowest set bit is not
// below the smallest subnormal.
bool double_holds_exactly(mpz_srcptr value, uint64_t fraction_bits) {
    if (mpz_sgn(value) == 0) {
        return true;
    }
    const auto top = static_cast<int64_t>(mpz_sizeinbase(value, 2)) - 1;
    const auto lowest = static_cast<int64_t>(mpz_scan1(value, 0));
    const auto shift = static_cast<int64_t>(fraction_bits);
    return top - lowest < DBL_MANT_DIG && top - shift < DBL_MAX_EXP &&
           lowest - shift >= DBL_MIN_EXP - DBL_MANT_DIG;
}

void warn(const quodra_v5_1 &model, const char *message) {
    if (model.logger != nullptr) {
        model.logger->warning(message);
    }
}

// Every element up to data_size, not only the first count samples.
void convert_input(const quodra_v5_1 &model, const qor_array_real &input, qor_array_mpz &integers,
                   const char *truncation_warning) {
    for (size_t k = 0; k < input.data_size; ++k) {
        mpz_set_d(integers.data[k], input.data[k]);
        if (mpz_get_d(integers.data[k]) != input.data[k]) {
            warn(model, truncation_warning);
        }
    }
}

// Writes every element up to the real array's data_size as the integer
// times 2^-fraction_bits, warning for each one that loses bits on the way.
void convert_output(const quodra_v5_1 &model, const qor_array_mpz &integers, qor_array_real &output,
                    const char *truncation_warning, uint64_t fraction_bits) {
    for (size_t k = 0; k < output.data_size; ++k) {
        if (!double_holds_exactly(integers.data[k], fraction_bits)) {
            warn(model, truncation_warning);
        }
        output.data[k] = scaled_integer_to_double(integers.data[k], fraction_bits);
    }
}

} // namespace

int quodra_v5_1::data_real_do(qor_array_real *divisor, qor_array_real *dividend,
                              qor_array_real *quotient, qor_array_real *remainder,
                              qor_array_uint *div_by_zero, uint32_t count) const {
    require_present(divisor, "The divisor structure pointer is null");
    require_present(dividend, "The dividend structure pointer is null");
    require_present(quotient, "The quotient structure pointer is null");
    require_present(remainder, "The remainder structure pointer is null");
    require_present(div_by_zero, "The div_by_zero structure pointer is null");
    require_finite(*divisor, "Non-finite divisor input cannot be converted to an integer");
    require_finite(*dividend, "Non-finite dividend input cannot be converted to an integer");

    temporary_mpz_array divisor_integers;
    temporary_mpz_array dividend_integers;
    temporary_mpz_array quotient_integers;
    temporary_mpz_array remainder_integers;
    divisor_integers.take_shape_of(*divisor, "divisor");
    dividend_integers.take_shape_of(*dividend, "dividend");
    quotient_integers.take_shape_of(*quotient, "quotient");
    remainder_integers.take_shape_of(*remainder, "remainder");

    convert_input(*this, *divisor, *divisor_integers.get(), "Truncating non-integer divisor input");
    convert_input(*this, *dividend, *dividend_integers.get(),
                  "Truncating non-integer dividend input");

    const int status =
        data_do(divisor_integers.get(), dividend_integers.get(), quotient_integers.get(),
                remainder_integers.get(), div_by_zero, count);

    // A fractional quotient is a fixed-point value with fractional_width
    // fraction bits; in that path the width has been checked non-negative.
    const bool fractional_output = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL;
    const uint64_t fraction_bits =
        fractional_output && config.fractional_width > 0
            ? static_cast<uint64_t>(config.fractional_width)
            : 0;
    convert_output(*this, *quotient_integers.get(), *quotient,
                   "Quotient truncated to fit double precision", fraction_bits);
    if (config.remainder_type == QUODRA_OUTPUT_REMAINDER) {
        convert_output(*this, *remainder_integers.get(), *remainder,
                       "Remainder truncated to fit double precision", 0);
    }
    return status;
}

int32_t qor_quodra_v5_1_data_real_do(const quodra_v5_1 *model, qor_array_real *divisor,
                                     qor_array_real *dividend, qor_array_real *quotient,
                                     qor_array_real *remainder, qor_array_uint *div_by_zero,
                                     uint32_t count) {
    if (model == nullptr || divisor == nullptr || quotient == nullptr) {
        return 1;
    }
    return qor_run_guarded(*model, [&] {
        return model->data_real_do(divisor, dividend, quotient, remainder, div_by_zero, count);
    });
}
