// Fuzz target for qor_quodra_v5_1_data_real_do, checked against the integer
// entry point: the same samples, truncated to integers, are divided by
// qor_quodra_v5_1_data_do on mpz arrays shaped as the real front end shapes
// its temporaries. Checked on every input:
//  - null divisor or quotient arrays give 1 silently; the front end's own
//    refusals (missing arrays, non-finite inputs, missing extent vectors)
//    come first, alone, and write nothing;
//  - otherwise the status and the error are those of the integer call, and
//    a refused call writes nothing;
//  - an accepted call writes every quotient element up to data_size (and,
//    in remainder mode, every remainder element) as the integer result
//    truncated to a double, scaled by 2^-F in fractional mode, with a
//    warning for every value that lost bits, and the div_by_zero flags of
//    the integer call;
//  - every input element with a fractional part is warned about once.
#include <fuzzer/FuzzedDataProvider.h>
#include <gmp.h>

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "quodra.h"
#include "sample_arrays.h"

namespace {

constexpr uint32_t max_samples = 12;

double decode_real(FuzzedDataProvider &input) {
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: // any bit pattern: subnormals, infinities and NaNs included
        return input.ConsumeFloatingPoint<double>();
    case 1: // a fraction to truncate
        return input.ConsumeIntegral<int16_t>() + input.ConsumeProbability<double>();
    case 2: // wide integers, up to the top of the double range
        return std::ldexp(static_cast<double>(input.ConsumeIntegral<int64_t>()),
                          input.ConsumeIntegralInRange<int>(0, 960));
    default:
        return input.ConsumeIntegral<int16_t>();
    }
}

// An mpz array shaped like a real array, as the front end shapes its
// temporaries: the same dim_size, extents and data_size, every element 0.
class mpz_mirror {
public:
    explicit mpz_mirror(const qor_array_real *shape)
        : array(qor_quodra_v5_1_qor_array_mpz_create()) {
        fuzz_require(array != nullptr &&
                         qor_quodra_v5_1_qor_array_mpz_reserve_dim(array, shape->dim_size) == 0 &&
                         qor_quodra_v5_1_qor_array_mpz_reserve_data(array, shape->data_size) == 0,
                     "mirror arrays are made");
        for (size_t d = 0; d < shape->dim_size; ++d) {
            array->dim[d] = shape->dim[d];
        }
        array->dim_size = shape->dim_size;
        array->data_size = shape->data_size;
    }
    ~mpz_mirror() { qor_quodra_v5_1_qor_array_mpz_destroy(array); }
    mpz_mirror(const mpz_mirror &) = delete;
    mpz_mirror &operator=(const mpz_mirror &) = delete;

    qor_array_mpz *get() const { return array; }

    // Each element set from the double with truncation towards zero.
    void truncate_from(const qor_array_real *reals) {
        for (size_t k = 0; k < array->data_size; ++k) {
            mpz_set_d(array->data[k], reals->data[k]);
        }
    }

private:
    qor_array_mpz *array;
};

size_t significant_bits(mpz_srcptr value) {
    if (mpz_sgn(value) == 0) {
        return 0;
    }
    return mpz_sizeinbase(value, 2) - mpz_scan1(value, 0);
}

// An integer a double holds exactly: at most 53 significant bits, below 2^1024.
bool fits_double(mpz_srcptr value) {
    return significant_bits(value) <= DBL_MANT_DIG &&
           mpz_sizeinbase(value, 2) <= static_cast<size_t>(DBL_MAX_EXP);
}

// value * 2^-scale is a double exactly (no bit lost to the subnormal range
// or the top of the range).
bool scaled_fits_double(mpz_srcptr value, int32_t scale) {
    if (mpz_sgn(value) == 0) {
        return true;
    }
    const long lowest_bit = static_cast<long>(mpz_scan1(value, 0)) - scale;
    const long highest_bit = static_cast<long>(mpz_sizeinbase(value, 2)) - 1 - scale;
    return significant_bits(value) <= DBL_MANT_DIG && lowest_bit >= DBL_MIN_EXP - DBL_MANT_DIG &&
           highest_bit < DBL_MAX_EXP;
}

// value * 2^-scale truncated to a double, with the magnitude cut at DBL_MAX.
double expected_real(mpz_srcptr value, int32_t scale) {
    if (mpz_sgn(value) == 0) {
        return 0.0;
    }
    long exponent = 0;
    const double mantissa = mpz_get_d_2exp(&exponent, value); // truncated towards zero
    if (exponent - scale > DBL_MAX_EXP) {
        return mpz_sgn(value) < 0 ? -DBL_MAX : DBL_MAX;
    }
    return std::ldexp(mantissa, static_cast<int>(exponent - scale));
}

size_t non_integers(const qor_array_real *reals) {
    size_t count = 0;
    for (size_t k = 0; k < reals->data_size; ++k) {
        count += std::trunc(reals->data[k]) != reals->data[k] ? 1 : 0;
    }
    return count;
}

bool all_finite(const qor_array_real *reals) {
    for (size_t k = 0; k < reals->data_size; ++k) {
        if (!std::isfinite(reals->data[k]))
            return false;
    }
    return true;
}

std::string warning(const char *text) { return std::string(fuzz_model_name) + " WARNING: " + text; }

class real_division_call {
public:
    real_division_call(FuzzedDataProvider &input, const qor_quodra_v5_1_config &config)
        : config(config), count(input.ConsumeIntegralInRange<uint32_t>(0, max_samples)),
          shapes{real_shape(input, count), real_shape(input, count), real_shape(input, count),
                 real_shape(input, count), decode_shape(input, count)},
          divisor(real_table, shapes[0]), dividend(real_table, shapes[1]),
          quotient(real_table, shapes[2]), remainder(real_table, shapes[3]),
          flags(uint_table, shapes[4]) {
        for (qor_array_real *inputs : {divisor.get(), dividend.get()}) {
            for (size_t k = 0; inputs != nullptr && k < inputs->data_size; ++k) {
                inputs->data[k] = decode_real(input);
            }
        }
        for (qor_array_real *outputs : {quotient.get(), remainder.get()}) {
            for (size_t k = 0; outputs != nullptr && k < outputs->data_size; ++k) {
                outputs->data[k] = -0.25 - static_cast<double>(k);
            }
        }
        for (size_t k = 0; k < flags.size(); ++k) {
            flags.get()->data[k] = 7;
        }
    }
    real_division_call(const real_division_call &) = delete;
    real_division_call &operator=(const real_division_call &) = delete;

    void run_and_check(const quodra_v5_1 *model, std::vector<handler_call> &calls) {
        const auto quotient_before = contents(quotient.get());
        const auto remainder_before = contents(remainder.get());
        const auto flags_before = contents(flags.get());
        const bool silently_refused = divisor.get() == nullptr || quotient.get() == nullptr;
        const std::string refusal = silently_refused ? "" : front_end_refusal();

        if (silently_refused || !refusal.empty()) {
            const int32_t status = call_real(model);
            if (silently_refused) {
                fuzz_require(status == 1 && calls.empty(),
                             "a null divisor or quotient: 1, silently");
            } else {
                fuzz_require(status == 1 && calls.size() == 1,
                             "a front-end refusal is the only call");
                require_one_error(calls, refusal);
            }
            require_unchanged(quotient_before, remainder_before, flags_before);
            return;
        }

        // The integer call on mirrors of the temporaries.
        mpz_mirror divisor_integers(divisor.get()), dividend_integers(dividend.get()),
            quotient_integers(quotient.get()), remainder_integers(remainder.get());
        divisor_integers.truncate_from(divisor.get());
        dividend_integers.truncate_from(dividend.get());
        fuzz_array<qor_array_uint> reference_flags(uint_table, shapes[4]);
        for (size_t k = 0; k < reference_flags.size(); ++k) {
            reference_flags.get()->data[k] = flags.get()->data[k];
        }
        const int32_t reference_status = qor_quodra_v5_1_data_do(
            model, divisor_integers.get(), dividend_integers.get(), quotient_integers.get(),
            remainder_integers.get(), reference_flags.get(), count);
        const std::vector<handler_call> reference_calls = calls;
        calls.clear();

        const int32_t status = call_real(model);
        fuzz_require(status == reference_status,
                     "the real call succeeds exactly when the integer one does");
        require_input_warnings(calls);
        if (status != 0) {
            require_one_error(calls, error_text(reference_calls));
            require_unchanged(quotient_before, remainder_before, flags_before);
            return;
        }
        fuzz_require(error_calls(calls) == 0, "an accepted call reports no error");
        fuzz_require(contents(flags.get()) == contents(reference_flags.get()),
                     "div_by_zero flags are the integer call's");
        const bool fractional = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL;
        check_outputs(*quotient_integers.get(), quotient.get(),
                      fractional ? config.fractional_width : 0, calls,
                      "Quotient truncated to fit double precision");
        if (config.remainder_type == QUODRA_OUTPUT_REMAINDER) {
            check_outputs(*remainder_integers.get(), remainder.get(), 0, calls,
                          "Remainder truncated to fit double precision");
        } else {
            fuzz_require(contents(remainder.get()) == remainder_before,
                         "fractional mode leaves the real remainder alone");
        }
        size_t known = 0;
        for (const char *text :
             {"Truncating non-integer divisor input", "Truncating non-integer dividend input",
              "Quotient truncated to fit double precision",
              "Remainder truncated to fit double precision"}) {
            known += calls_with_text(calls, warning(text));
        }
        fuzz_require(known == calls.size(), "an accepted call gives only the truncation warnings");
    }

private:
    // Real arrays always have a table; the front end reads their data directly.
    static array_shape real_shape(FuzzedDataProvider &input, uint32_t count) {
        array_shape shape = decode_shape(input, count);
        shape.has_ops = true;
        return shape;
    }

    int32_t call_real(const quodra_v5_1 *model) {
        return qor_quodra_v5_1_data_real_do(model, divisor.get(), dividend.get(), quotient.get(),
                                            remainder.get(), flags.get(), count);
    }

    // The front end's own checks, in their order, before any conversion.
    std::string front_end_refusal() const {
        if (dividend.get() == nullptr)
            return "The dividend structure pointer is null";
        if (remainder.get() == nullptr)
            return "The remainder structure pointer is null";
        if (flags.get() == nullptr)
            return "The div_by_zero structure pointer is null";
        if (!all_finite(divisor.get()))
            return "Non-finite divisor input cannot be converted to an integer";
        if (!all_finite(dividend.get()))
            return "Non-finite dividend input cannot be converted to an integer";
        static const char *const roles[] = {"divisor", "dividend", "quotient", "remainder"};
        for (int role = 0; role < 4; ++role) {
            if (!shapes[role].has_dim && shapes[role].dim_size > 0) {
                return std::string("The ") + roles[role] + " structure has no dimension vector";
            }
        }
        return "";
    }

    void require_unchanged(const std::vector<double> &quotient_before,
                           const std::vector<double> &remainder_before,
                           const std::vector<unsigned> &flags_before) {
        fuzz_require(contents(quotient.get()) == quotient_before &&
                         contents(remainder.get()) == remainder_before &&
                         contents(flags.get()) == flags_before,
                     "a refused call writes nothing");
    }

    void require_input_warnings(const std::vector<handler_call> &calls) const {
        fuzz_require(calls_with_text(calls, warning("Truncating non-integer divisor input")) ==
                             non_integers(divisor.get()) &&
                         calls_with_text(calls, warning("Truncating non-integer dividend input")) ==
                             non_integers(dividend.get()),
                     "one warning for every non-integer input element");
    }

    // Every element up to data_size is the integer result as a double; a
    // value that lost bits is warned about. Where the scaled value is exact
    // but the unscaled integer is not a double, either answer is accepted.
    static void check_outputs(const qor_array_mpz &integers, const qor_array_real *reals,
                              int32_t scale, const std::vector<handler_call> &calls,
                              const char *truncation) {
        size_t must_warn = 0;
        size_t may_warn = 0;
        for (size_t k = 0; k < reals->data_size; ++k) {
            mpz_srcptr value = integers.data[k];
            if (reals->data[k] != expected_real(value, scale)) {
                gmp_fprintf(stderr, "element %zu: integer %Zd, scale 2^-%d, real %a, expected %a\n",
                            k, value, scale, reals->data[k], expected_real(value, scale));
            }
            fuzz_require(reals->data[k] == expected_real(value, scale),
                         "a real result is the integer result truncated, then scaled");
            must_warn += significant_bits(value) > DBL_MANT_DIG ? 1 : 0;
            may_warn += fits_double(value) && scaled_fits_double(value, scale) ? 0 : 1;
        }
        const size_t warnings = calls_with_text(calls, warning(truncation));
        fuzz_require(must_warn <= warnings && warnings <= may_warn,
                     "a truncation warning for every result that lost bits, and only then");
    }

    qor_quodra_v5_1_config config;
    uint32_t count;
    array_shape shapes[5]; // divisor, dividend, quotient, remainder, div_by_zero
    counting_tables<qor_array_real, qor_array_uint> tables;
    arrays_test::instrumented_table<qor_array_real> &real_table = tables.get<qor_array_real>();
    arrays_test::instrumented_table<qor_array_uint> &uint_table = tables.get<qor_array_uint>();
    fuzz_array<qor_array_real> divisor;
    fuzz_array<qor_array_real> dividend;
    fuzz_array<qor_array_real> quotient;
    fuzz_array<qor_array_real> remainder;
    fuzz_array<qor_array_uint> flags;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return fuzz_one_division<real_division_call>(data, size);
}
