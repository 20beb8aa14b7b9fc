// Fuzz target for qor_quodra_v5_1_data_do: a decoded configuration, caller
// arrays that may be malformed, operands of any sign and size around their
// fields. Checked on every input:
//  - a refused creation reports once, with the bare text;
//  - a call the up-front checks must refuse is refused with the first failed
//    check's message, as the only error, and writes nothing;
//  - any refused call reports exactly one error and writes nothing;
//  - an accepted call reports nothing, writes exactly the elements its
//    samples reach, and every surviving result satisfies its algorithm's
//    property (remainder identity, Radix-2 closed form, High Radix bound);
//  - the library never allocates or releases caller storage, and every
//    block of the counting tables is released through the table that made it.
#include <fuzzer/FuzzedDataProvider.h>
#include <gmp.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "quodra.h"
#include "sample_arrays.h"
#include "engine/common/working_integer.h"

namespace {

constexpr uint32_t max_samples = 12;

// The first message the driver's up-front checks must give, or "" when the
// arrays pass them. Null divisor or quotient arrays are refused silently by
// the entry point and are handled before this.
std::string first_array_refusal(const qor_quodra_v5_1_config &config, uint32_t count,
                                const array_shape (&shapes)[5]) {
    static const char *const roles[] = {"divisor", "dividend", "quotient", "div_by_zero",
                                        "remainder"};
    static const char *const too_small[] = {
        "Number of samples requested is larger than the divisor size",
        "Number of samples requested is larger than the dividend size",
        "Number of samples requested is larger than the quotient size",
        "Number of samples requested is larger than the div_by_zero size",
        "Number of samples requested is larger than that remainder size"};
    const bool remainder_mode = config.remainder_type == QUODRA_OUTPUT_REMAINDER;
    if (remainder_mode && !shapes[4].present) {
        return "The model is configured for remainder output, but the remainder structure "
               "pointer is null";
    }
    for (int role : {1, 3}) {
        if (!shapes[role].present) {
            return std::string("The ") + roles[role] + " structure pointer is null";
        }
    }
    for (int role = 0; role < (remainder_mode ? 5 : 4); ++role) {
        if (!shapes[role].has_dim) {
            return std::string("The ") + roles[role] + " structure has no dimension vector";
        }
        if (count > shapes[role].extent) {
            return too_small[role];
        }
    }
    if (!remainder_mode && config.algorithm_type != QUODRA_ALGORITHM_RADIX2 &&
        config.algorithm_type != QUODRA_ALGORITHM_HIGH_RADIX) {
        return config.algorithm_type == QUODRA_ALGORITHM_LUTMULT
                   ? "LUTMult architecture does not support fractional output"
                   : "Unknown algorithm_type.";
    }
    return "";
}

bool widths_usable(const qor_quodra_v5_1_config &config) {
    return config.dividend_width >= 0 && config.divisor_width >= 0 && config.fractional_width >= 0;
}

struct sample_operands {
    working_integer divisor;
    working_integer dividend;
};

// One data_do call on fuzzed arrays. Tables are declared before the arrays
// so that they outlive them.
class division_call {
public:
    division_call(FuzzedDataProvider &input, const qor_quodra_v5_1_config &config)
        : config(config), count(input.ConsumeIntegralInRange<uint32_t>(0, max_samples)),
          shapes{decode_shape(input, count), decode_shape(input, count), decode_shape(input, count),
                 decode_shape(input, count), decode_shape(input, count)},
          divisor(mpz_table, shapes[0]), dividend(mpz_table, shapes[1]),
          quotient(mpz_table, shapes[2]), flags(uint_table, shapes[3]),
          remainder(mpz_table, shapes[4]) {
        fill_operands(input);
        fill_outputs(input);
    }
    division_call(const division_call &) = delete;
    division_call &operator=(const division_call &) = delete;

    void run_and_check(const quodra_v5_1 *model, std::vector<handler_call> &calls) {
        const std::vector<std::string> quotient_before = contents(quotient.get());
        const std::vector<std::string> remainder_before = contents(remainder.get());
        const std::vector<unsigned> flags_before = contents(flags.get());
        const allocation_counts mpz_before(mpz_table), uint_before(uint_table);

        const int32_t status =
            qor_quodra_v5_1_data_do(model, divisor.get(), dividend.get(), quotient.get(),
                                    remainder.get(), flags.get(), count);

        fuzz_require(allocation_counts(mpz_table) == mpz_before &&
                         allocation_counts(uint_table) == uint_before,
                     "a data call never allocates or releases caller storage");
        const bool silently_refused = divisor.get() == nullptr || quotient.get() == nullptr;
        const std::string refusal =
            silently_refused ? "" : first_array_refusal(config, count, shapes);
        if (silently_refused) {
            fuzz_require(status == 1 && calls.empty(), "a null divisor or quotient: 1, silently");
        } else if (!refusal.empty()) {
            fuzz_require(status == 1, "a call failing an up-front check is refused");
            require_one_error(calls, refusal);
        } else if (widths_usable(config)) {
            fuzz_require(status == 0, "well-formed arrays and usable widths are accepted");
        }
        if (status != 0) {
            if (!silently_refused) {
                require_one_error(calls, "");
            }
            fuzz_require(contents(quotient.get()) == quotient_before &&
                             contents(remainder.get()) == remainder_before &&
                             contents(flags.get()) == flags_before,
                         "a refused call writes nothing");
            return;
        }
        fuzz_require(calls.empty(), "an accepted call reports nothing");
        check_results(quotient_before, remainder_before, flags_before);
    }

private:
    void fill_operands(FuzzedDataProvider &input) {
        fill(input, divisor.get(), config.divisor_width);
        fill(input, dividend.get(), config.dividend_width);
    }
    void fill(FuzzedDataProvider &input, qor_array_mpz *array, int32_t width) {
        for (size_t k = 0; array != nullptr && k < array->data_size; ++k) {
            decode_operand(input, width, array->data[k]);
        }
    }
    // Distinct markers, so that a stray or missing write shows.
    void fill_outputs(FuzzedDataProvider &input) {
        const long marker = input.ConsumeIntegralInRange<long>(-1000, 1000);
        for (qor_array_mpz *array : {quotient.get(), remainder.get()}) {
            for (size_t k = 0; array != nullptr && k < array->data_size; ++k) {
                mpz_set_si(array->data[k], marker - static_cast<long>(k));
            }
        }
        for (size_t k = 0; flags.get() != nullptr && k < flags.size(); ++k) {
            flags.get()->data[k] = 7;
        }
    }

    // The operands each sample works on. A refused read keeps what the
    // working register held after the previous sample (zero before the
    // first): High Radix reduces its operands to the ports first, and the
    // signed Radix-2 datapath, and the signed remainder datapath for a
    // non-zero divisor, replace them by their magnitudes.
    void read_operands(std::deque<sample_operands> &operands) const {
        working_integer d, n;
        const bool high_radix = config.remainder_type != QUODRA_OUTPUT_REMAINDER && config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
        const bool keeps_magnitudes = !high_radix && config.operand_sign == QUODRA_OPERAND_SIGNED;
        for (uint32_t i = 0; i < count; ++i) {
            if (divisor.reaches(i))
                mpz_set(d, divisor.get()->data[divisor.element(i)]);
            if (dividend.reaches(i))
                mpz_set(n, dividend.get()->data[dividend.element(i)]);
            if (high_radix) {
                reduce_to_port(d, config.divisor_width);
                reduce_to_port(n, config.dividend_width);
            }
            operands.emplace_back();
            mpz_set(operands.back().divisor, d);
            mpz_set(operands.back().dividend, n);
            const bool remainder_skips =
                config.remainder_type == QUODRA_OUTPUT_REMAINDER && mpz_sgn(d.get()) == 0;
            if (keeps_magnitudes && !remainder_skips) {
                mpz_abs(d, d);
                mpz_abs(n, n);
            }
        }
    }

    // For each element of an output, the last sample that wrote it.
    template <class Array, class Writes>
    static std::map<size_t, uint32_t> last_writers(const Array &array, uint32_t count,
                                                   Writes writes) {
        std::map<size_t, uint32_t> writers;
        for (uint32_t i = 0; i < count; ++i) {
            if (array.reaches(i) && writes(i))
                writers[array.element(i)] = i;
        }
        return writers;
    }

    void check_results(const std::vector<std::string> &quotient_before,
                       const std::vector<std::string> &remainder_before,
                       const std::vector<unsigned> &flags_before) {
        std::deque<sample_operands> operands;
        read_operands(operands);
        const bool remainder_mode = config.remainder_type == QUODRA_OUTPUT_REMAINDER;
        const bool high_radix = !remainder_mode && config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
        const auto zero_divisor = [&](uint32_t i) {
            return mpz_sgn(operands[i].divisor.get()) == 0;
        };

        // A High Radix zero divisor leaves its quotient element as it was.
        const auto quotient_writers = last_writers(
            quotient, count, [&](uint32_t i) { return !(high_radix && zero_divisor(i)); });
        const auto remainder_writers =
            last_writers(remainder, count, [&](uint32_t) { return remainder_mode; });
        const auto flag_writers = last_writers(flags, count, [](uint32_t) { return true; });

        const std::vector<std::string> quotient_after = contents(quotient.get());
        const std::vector<std::string> remainder_after = contents(remainder.get());
        const std::vector<unsigned> flags_after = contents(flags.get());
        require_untouched_outside(quotient_writers, quotient_before, quotient_after);
        require_untouched_outside(remainder_writers, remainder_before, remainder_after);
        require_untouched_outside(flag_writers, flags_before, flags_after);

        for (const auto &writer : flag_writers) {
            fuzz_require(flags_after[writer.first] == (zero_divisor(writer.second) ? 1u : 0u),
                         "div_by_zero is 1 exactly for a zero divisor");
        }
        for (const auto &writer : quotient_writers) {
            const auto paired = remainder_writers.find(remainder.element(writer.second));
            const bool with_remainder =
                paired != remainder_writers.end() && paired->second == writer.second;
            check_sample(operands[writer.second], quotient.get()->data[writer.first],
                         with_remainder ? remainder.get()->data[paired->first] : nullptr);
        }
        // Remainders whose quotient did not survive are checked on their own.
        for (const auto &writer : remainder_writers) {
            const auto paired = quotient_writers.find(quotient.element(writer.second));
            if (paired == quotient_writers.end() || paired->second != writer.second) {
                check_sample(operands[writer.second], nullptr, remainder.get()->data[writer.first]);
            }
        }
    }

    template <class Value>
    static void require_untouched_outside(const std::map<size_t, uint32_t> &writers,
                                          const std::vector<Value> &before,
                                          const std::vector<Value> &after) {
        for (size_t k = 0; k < before.size(); ++k) {
            fuzz_require(writers.count(k) != 0 || before[k] == after[k],
                         "elements no sample reaches keep their values");
        }
    }

    void check_sample(const sample_operands &operands, mpz_srcptr q, mpz_srcptr r) const {
        mpz_srcptr d = operands.divisor;
        mpz_srcptr n = operands.dividend;
        if (config.remainder_type == QUODRA_OUTPUT_REMAINDER) {
            if (mpz_sgn(d) == 0) {
                fuzz_require((q == nullptr || mpz_sgn(q) == 0) && (r == nullptr || mpz_sgn(r) == 0),
                             "remainder mode: a zero divisor gives 0 and 0");
            } else {
                fuzz_require_sample(remainder_sample_violation(config, d, n, q, r), config, d, n, q,
                                    r);
            }
            return;
        }
        fuzz_require(r == nullptr, "fractional mode never writes the remainder");
        if (config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX) {
            fuzz_require_sample(high_radix_sample_violation(config, d, n, q), config, d, n, q,
                                nullptr);
            return;
        }
        fuzz_require_sample(radix2_sample_violation(config, d, n, q), config, d, n, q, nullptr);
    }

    qor_quodra_v5_1_config config;
    uint32_t count;
    array_shape shapes[5]; // divisor, dividend, quotient, div_by_zero, remainder
    counting_tables<qor_array_mpz, qor_array_uint> tables;
    arrays_test::instrumented_table<qor_array_mpz> &mpz_table = tables.get<qor_array_mpz>();
    arrays_test::instrumented_table<qor_array_uint> &uint_table = tables.get<qor_array_uint>();
    fuzz_array<qor_array_mpz> divisor;
    fuzz_array<qor_array_mpz> dividend;
    fuzz_array<qor_array_mpz> quotient;
    fuzz_array<qor_array_uint> flags;
    fuzz_array<qor_array_mpz> remainder;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return fuzz_one_division<division_call>(data, size);
}
