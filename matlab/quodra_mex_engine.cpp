// The C face of what the MEX gateway takes from inside the project: the
// engine's word batch, whose words are the values data_do writes for the
// same samples, and quodra-div's own hex writer, so that golden vectors
// written from MATLAB or Octave are the tool's rows byte for byte.
#include "quodra_mex_engine.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>

#include "cli/divider_settings.h"
#include "cli/tool_error.h"
#include "engine/driver/word_batch.h"
#include "formats/hex_format.h"
#include "formats/result_layout.h"
#include "run/divider_model.h"
#include "run/division_batch.h"
#include "samples/sample.h"

namespace {

using quodra_internal::divide_word_batch;
using quodra_internal::word_batch_status;
using quodra_internal::word_results;

// Samples per library call on the hex route: the tool's default batch.
constexpr std::size_t hex_batch_samples = 4096;

word_batch_status divide_operands(const quodra_v5_1 &model, const quodra_mex_operands &operands,
                                  const word_results &results) {
    if (operands.signed_operands != 0) {
        return divide_word_batch(model, static_cast<const int64_t *>(operands.divisors),
                                 static_cast<const int64_t *>(operands.dividends), operands.count,
                                 results);
    }
    return divide_word_batch(model, static_cast<const uint64_t *>(operands.divisors),
                             static_cast<const uint64_t *>(operands.dividends), operands.count,
                             results);
}

// The tool's settings for a library record: the fields the tool's layout
// and rows depend on (aux_param_2 changes no result).
quodra_div::divider_settings settings_for(const qor_quodra_v5_1_config &config) {
    quodra_div::divider_settings settings;
    settings.name = config.name != nullptr ? config.name : "";
    settings.algorithm_type = config.algorithm_type;
    settings.divisor_width = config.divisor_width;
    settings.dividend_width = config.dividend_width;
    settings.signed_operands = config.operand_sign == QUODRA_OPERAND_SIGNED;
    settings.fractional_output = config.remainder_type != QUODRA_OUTPUT_REMAINDER; // as data_do reads it
    settings.fractional_width = config.fractional_width;
    settings.aux_param_1 = config.aux_param_1;
    return settings;
}

// Sets value from a 64-bit word without assuming that long holds 64 bits.
void set_word(mpz_ptr value, uint64_t magnitude, bool negative) {
    mpz_import(value, 1, -1, sizeof magnitude, 0, 0, &magnitude);
    if (negative) {
        mpz_neg(value, value);
    }
}

void set_operand(mpz_ptr value, const void *values, std::size_t index, bool signed_operands) {
    if (signed_operands) {
        const int64_t word = static_cast<const int64_t *>(values)[index];
        const uint64_t bits = static_cast<uint64_t>(word);
        set_word(value, word < 0 ? uint64_t{0} - bits : bits, word < 0);
    } else {
        set_word(value, static_cast<const uint64_t *>(values)[index], false);
    }
}

void write_all(const std::string &text, FILE *out) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out) != text.size()) {
        throw quodra_div::tool_error(quodra_div::exit_status::output_failed,
                                     std::string("cannot write the hex file: ") +
                                         std::strerror(errno));
    }
}

// Divides the samples batch by batch on the tool's GNU MP route and writes
// each batch's rows with the tool's hex writer.
void write_rows(const qor_quodra_v5_1_config &config, const quodra_mex_operands &operands,
                FILE *out) {
    const quodra_div::divider_settings settings = settings_for(config);
    const quodra_div::divider_model model(settings);
    const quodra_div::result_layout layout(settings);
    quodra_div::division_batch batch(hex_batch_samples, layout.has_remainder());
    quodra_div::hex_writer writer(layout, "");
    const bool signed_operands = operands.signed_operands != 0;
    std::size_t next = 0;
    std::string rows;
    while (next < operands.count) {
        batch.reset();
        batch.fill([&](quodra_div::sample &input, std::size_t) {
            if (next == operands.count) {
                return false;
            }
            set_operand(input.dividend.get(), operands.dividends, next, signed_operands);
            set_operand(input.divisor.get(), operands.divisors, next, signed_operands);
            ++next;
            return true;
        });
        rows.clear();
        batch.divide(model, layout, quodra_div::fault_naming::with_operands,
                     [&](std::size_t, const quodra_div::sample &input,
                         const quodra_div::sample_result &result) {
                         writer.append_row(input, result, rows);
                     });
        write_all(rows, out);
    }
}

void copy_message(const std::string &text, char *message, std::size_t message_size) {
    if (message == nullptr || message_size == 0) {
        return;
    }
    const std::size_t length = std::min(text.size(), message_size - 1);
    std::memcpy(message, text.data(), length);
    message[length] = '\0';
}

// The library's lines come as the tool prints them ("quodra-div: error:
// ..."); the caller wants the library's own text.
std::string without_tool_prefix(std::string text) {
    const std::string prefix = "quodra-div: error: ";
    if (text.compare(0, prefix.size(), prefix) == 0) {
        text.erase(0, prefix.size());
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

extern "C" int quodra_mex_divide_words(const quodra_v5_1 *model,
                                       const quodra_mex_operands *operands, int signed_quotient,
                                       void *quotients, uint64_t *remainders,
                                       uint32_t *div_by_zero) {
    if (model == nullptr || operands == nullptr) {
        return 0;
    }
    word_results results;
    if (signed_quotient != 0) {
        results.quotient.as_int64 = static_cast<int64_t *>(quotients);
    } else {
        results.quotient.as_uint64 = static_cast<uint64_t *>(quotients);
    }
    results.remainder.as_uint64 = remainders;
    results.div_by_zero = div_by_zero;
    return divide_operands(*model, *operands, results) == word_batch_status::divided ? 1 : 0;
}

extern "C" int quodra_mex_write_hex_rows(const qor_quodra_v5_1_config *config,
                                         const quodra_mex_operands *operands, FILE *out,
                                         char *message, std::size_t message_size) {
    if (config == nullptr || operands == nullptr || out == nullptr) {
        copy_message("quodra_mex_write_hex_rows: null argument", message, message_size);
        return 1;
    }
    std::string library_messages;
    std::string *previous = quodra_div::capture_library_messages(&library_messages);
    int status = 0;
    try {
        write_rows(*config, *operands, out);
    } catch (const std::exception &error) {
        const std::string reason = error.what();
        copy_message(reason.empty() ? without_tool_prefix(library_messages) : reason, message,
                     message_size);
        status = 1;
    }
    quodra_div::capture_library_messages(previous);
    return status;
}
