#include "fuzz_support.h"

#include "support/config_builder.h"

#include <cstdio>
#include <cstdlib>

void fuzz_require(bool holds, const char *property) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", property);
        std::abort();
    }
}

void fuzz_require_sample(const std::string &violation, const qor_quodra_v5_1_config &config,
                         mpz_srcptr divisor, mpz_srcptr dividend, mpz_srcptr quotient,
                         mpz_srcptr remainder) {
    if (!violation.empty()) {
        std::fputs(describe_sample(config, divisor, dividend, quotient, remainder).c_str(), stderr);
    }
    fuzz_require(violation.empty(), violation.c_str());
}

int32_t decode_width(FuzzedDataProvider &input) {
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
        return input.ConsumeIntegralInRange<int32_t>(-3, -1);
    case 1:
        return input.ConsumeIntegralInRange<int32_t>(0, fuzz_max_width);
    case 2:
        return input.ConsumeIntegralInRange<int32_t>(60, 140); // machine-word boundaries
    default:
        return input.ConsumeIntegralInRange<int32_t>(0, 40);
    }
}

qor_quodra_v5_1_config decode_config(FuzzedDataProvider &input) {
    constexpr int32_t radix2 = QUODRA_ALGORITHM_RADIX2;
    constexpr int32_t high_radix = QUODRA_ALGORITHM_HIGH_RADIX;
    constexpr int32_t lutmult = QUODRA_ALGORITHM_LUTMULT;
    static const int32_t algorithms[] = {radix2,  radix2,  radix2, high_radix, high_radix, high_radix,
                                         lutmult, lutmult, 0,      2,          5,          -1};
    static const int32_t signs[] = {QUODRA_OPERAND_SIGNED,   QUODRA_OPERAND_SIGNED,
                                    QUODRA_OPERAND_SIGNED,   QUODRA_OPERAND_UNSIGNED,
                                    QUODRA_OPERAND_UNSIGNED, 2,
                                    -1};
    static const int32_t output_modes[] = {QUODRA_OUTPUT_REMAINDER, QUODRA_OUTPUT_REMAINDER,
                                           QUODRA_OUTPUT_FRACTIONAL, QUODRA_OUTPUT_FRACTIONAL, 2};
    // One statement per field: the bytes are consumed in this order.
    const int32_t algorithm = input.PickValueInArray(algorithms);
    const int32_t sign = input.PickValueInArray(signs);
    const int32_t output = input.PickValueInArray(output_modes);
    const int32_t divisor_width = decode_width(input);
    const int32_t dividend_width = decode_width(input);
    const int32_t fractional_width = decode_width(input);
    return config_builder(algorithm, sign, output)
        .widths(divisor_width, dividend_width, fractional_width)
        .name(fuzz_model_name);
}

void decode_operand(FuzzedDataProvider &input, int32_t width, mpz_ptr value) {
    const auto field = static_cast<uint64_t>(width < 1 ? 1 : width);
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: // field edges: 2^(w-1) and 2^w, give or take one
        set_power_of_two(value, input.ConsumeBool() ? field - 1 : field);
        if (input.ConsumeBool()) {
            mpz_sub_ui(value, value, 1);
        }
        break;
    case 1: { // a bit pattern up to one byte wider than the field
        const size_t bytes = input.ConsumeIntegralInRange<size_t>(0, field / 8 + 1);
        const std::vector<uint8_t> pattern = input.ConsumeBytes<uint8_t>(bytes);
        mpz_import(value, pattern.size(), 1, 1, 0, 0, pattern.data());
        break;
    }
    default:
        mpz_set_si(value, input.ConsumeIntegral<int16_t>());
        break;
    }
    if (input.ConsumeBool()) {
        mpz_neg(value, value);
    }
}

quodra_v5_1 *create_checked_model(const qor_quodra_v5_1_config &config,
                                  recording_handler &handler) {
    quodra_v5_1 *model = qor_quodra_v5_1_create(&config, recording_handler::record, &handler);
    if (model == nullptr) {
        fuzz_require(handler.calls.size() == 1 && handler.calls[0].error == 1 &&
                         handler.calls[0].message.rfind(config.name, 0) != 0,
                     "a refused creation reports once, with the bare text");
    } else {
        fuzz_require(handler.calls.empty(), "creating an accepted configuration is silent");
    }
    handler.calls.clear();
    return model;
}

size_t error_calls(const std::vector<handler_call> &calls) {
    size_t errors = 0;
    for (const handler_call &call : calls) {
        errors += call.error == 1 ? 1 : 0;
    }
    return errors;
}

size_t calls_with_text(const std::vector<handler_call> &calls, const std::string &text) {
    size_t matching = 0;
    for (const handler_call &call : calls) {
        matching += call.message == text ? 1 : 0;
    }
    return matching;
}

namespace {

std::string error_prefix() { return std::string(fuzz_model_name) + " ERROR: "; }

} // namespace

void require_one_error(const std::vector<handler_call> &calls, const std::string &expected_text) {
    fuzz_require(error_calls(calls) == 1, "a refused call reports exactly one error");
    const std::string text = error_text(calls);
    fuzz_require(expected_text.empty() || text == expected_text,
                 "the refusal gives the first failed check's message");
}

std::string error_text(const std::vector<handler_call> &calls) {
    const std::string prefix = error_prefix();
    for (const handler_call &call : calls) {
        if (call.error == 1) {
            fuzz_require(call.message.compare(0, prefix.size(), prefix) == 0,
                         "an error names the configuration");
            return call.message.substr(prefix.size());
        }
    }
    return "";
}
