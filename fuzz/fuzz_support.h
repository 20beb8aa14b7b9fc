// Shared pieces of the fuzz targets: a property check that stops the run
// with a message, decoders that turn fuzzer bytes into configurations,
// widths and operands, and the handler bookkeeping every target checks.
#ifndef QUODRA_FUZZ_FUZZ_SUPPORT_H
#define QUODRA_FUZZ_FUZZ_SUPPORT_H

#include <fuzzer/FuzzedDataProvider.h>
#include <gmp.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "quodra.h"
#include "support/division_properties.h"
#include "support/recording_handler.h"

// Stops the run when a property does not hold; libFuzzer then saves the
// input that broke it (the corpus replay names it).
void fuzz_require(bool holds, const char *property);

// Stops the run when `violation`, the text of a broken division property
// (support/division_properties.h), is not empty, printing the sample first
// so that a failure can be reproduced by hand.
void fuzz_require_sample(const std::string &violation, const qor_quodra_v5_1_config &config,
                         mpz_srcptr divisor, mpz_srcptr dividend, mpz_srcptr quotient,
                         mpz_srcptr remainder);

// Widths are kept at or below this many bits so that one execution stays
// fast; wider registers are exercised by the unit tests.
constexpr int32_t fuzz_max_width = 4096;

// A field width: mostly narrow, sometimes up to fuzz_max_width, now and then
// negative (creation accepts any width; the data call refuses unusable ones).
int32_t decode_width(FuzzedDataProvider &input);

// A configuration drawn from the values that matter: the three algorithms
// and a few unknown ones, signed and unsigned, remainder, fractional and an
// unnamed output mode.
qor_quodra_v5_1_config decode_config(FuzzedDataProvider &input);

// An integer near the scale of a `width`-bit field: small values, field
// edges, random bit patterns a little wider than the field, either sign.
void decode_operand(FuzzedDataProvider &input, int32_t width, mpz_ptr value);

// Creates a model whose handler records into `handler`. A refused
// configuration must be reported once, with the bare text, and gives null;
// an accepted one is created silently.
quodra_v5_1 *create_checked_model(const qor_quodra_v5_1_config &config, recording_handler &handler);

// Handler calls with the error flag set.
size_t error_calls(const std::vector<handler_call> &calls);

// Handler calls whose text is exactly `text`.
size_t calls_with_text(const std::vector<handler_call> &calls, const std::string &text);

// The configuration name of every fuzzed model, which starts each message.
constexpr const char *fuzz_model_name = "fuzz";

// A refusal is reported once, as an error, through the model's logger; when
// expected_text is not empty the message is "fuzz ERROR: " + expected_text.
void require_one_error(const std::vector<handler_call> &calls, const std::string &expected_text);

// The message of the one error call, without "fuzz ERROR: " in front.
std::string error_text(const std::vector<handler_call> &calls);

// One execution of a division target: a decoded configuration, a model
// (a refused creation is checked and ends the execution), then one call of
// type Call, built from the rest of the input, run and checked.
template <class Call> int fuzz_one_division(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const qor_quodra_v5_1_config config = decode_config(input);
    recording_handler handler;
    quodra_v5_1 *model = create_checked_model(config, handler);
    if (model == nullptr) {
        return 0;
    }
    {
        Call call(input, config);
        call.run_and_check(model, handler.calls);
    }
    qor_quodra_v5_1_destroy(model);
    return 0;
}

#endif
