// The C face of the engine's word batch for the DPI library: one sample of
// 64-bit operand values through divide_word_batch, whose words are the
// values data_do writes for the same sample.
#include "quodra_dpi_words.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/driver/word_sample.h"
#include "engine/remainder/word_core.h"

namespace {

using quodra_internal::word_batch_status;

int64_t as_int64(uint64_t bits) {
    int64_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool run_batch(const quodra_v5_1 &model, bool signed_operands, uint64_t dividend, uint64_t divisor,
               bool signed_quotient, std::size_t count, word_batch_sample &out) {
    return quodra_internal::divide_word_sample(model, signed_operands, dividend, divisor,
                                               signed_quotient, count,
                                               {&out.quotient, &out.remainder, &out.div_by_zero}) ==
           word_batch_status::divided;
}

// The value a port of `width` bits (1 .. 64) holds: its low bits, as a
// two's-complement value when signed (the sign bit repeated above).
uint64_t unsigned_port(uint64_t word, int width) {
    return width >= 64 ? word : word & ((uint64_t{1} << width) - 1);
}
int64_t signed_port(uint64_t word, int width) {
    const int above = 64 - width;
    return as_int64(word << above) >> above; // arithmetic: the sign repeats
}

remainder_words::result_fields fields_of(const word_port_plan &plan, bool signed_operands) {
    return {signed_operands, static_cast<uint64_t>(plan.dividend_width),
            static_cast<uint64_t>(plan.divisor_width)};
}

int write_fields(uint64_t quotient_pattern, uint64_t remainder_pattern, bool zero_divisor,
                 unsigned long long *quotient, unsigned long long *remainder, svBit *div_by_zero,
                 svBit *quotient_known) {
    *quotient = quotient_pattern;
    *remainder = remainder_pattern;
    *div_by_zero = zero_divisor ? 1 : 0;
    *quotient_known = 1;
    return 0;
}

} // namespace

// Signed fields of up to 63 bits: C's / and % on the port values, with no
// branch on a sign (remainder_words::divide_signed_values).
extern "C" int divide_signed_ports(const word_port_plan *plan, uint64_t dividend, uint64_t divisor,
                        unsigned long long *quotient, unsigned long long *remainder,
                        svBit *div_by_zero, svBit *quotient_known) {
    const int64_t d = signed_port(divisor, plan->divisor_width);
    if (d == 0) {
        return write_fields(0, 0, true, quotient, remainder, div_by_zero, quotient_known);
    }
    const remainder_words::field_patterns patterns = remainder_words::divide_signed_values(
        d, signed_port(dividend, plan->dividend_width), fields_of(*plan, true));
    return write_fields(patterns.quotient, patterns.remainder, false, quotient, remainder,
                        div_by_zero, quotient_known);
}

// Unsigned fields, and signed ones of 64 bits: the sign-and-magnitude word
// core, whose results for port values are always field patterns.
extern "C" int divide_remainder_ports(const word_port_plan *plan, uint64_t dividend,
                                      uint64_t divisor, unsigned long long *quotient,
                                      unsigned long long *remainder, svBit *div_by_zero,
                                      svBit *quotient_known) {
    using remainder_words::signed_word;
    const bool is_signed = plan->is_signed != 0;
    const auto operand = [is_signed](uint64_t word, int width) -> signed_word<uint64_t> {
        if (!is_signed) {
            return {unsigned_port(word, width), false};
        }
        const int64_t value = signed_port(word, width);
        const auto bits = static_cast<uint64_t>(value);
        return {value < 0 ? uint64_t{0} - bits : bits, value < 0}; // |-2^63| = 2^63
    };
    const signed_word<uint64_t> d = operand(divisor, plan->divisor_width);
    if (d.magnitude == 0) {
        return write_fields(0, 0, true, quotient, remainder, div_by_zero, quotient_known);
    }
    const auto result = remainder_words::divide_in_word(d, operand(dividend, plan->dividend_width),
                                                        fields_of(*plan, is_signed));
    return write_fields(result.quotient.magnitude, result.remainder.magnitude, false, quotient,
                        remainder, div_by_zero, quotient_known);
}

extern "C" word_port_plan word_port_plan_for(int remainder_in_reach, int is_signed,
                                             int dividend_width, int divisor_width) {
    word_port_plan plan{WORD_PORTS_GENERAL, is_signed != 0, dividend_width, divisor_width};
    if (!remainder_in_reach || dividend_width < 1 || dividend_width > 64 || divisor_width < 1 ||
        divisor_width > 64) {
        return plan;
    }
    plan.route = is_signed && dividend_width <= 63 && divisor_width <= 63
                     ? WORD_PORTS_SIGNED_REMAINDER
                     : WORD_PORTS_REMAINDER;
    return plan;
}

extern "C" int word_batch_reaches(const quodra_v5_1 *model, int signed_operands,
                                  int signed_quotient) {
    word_batch_sample unused{0, 0, 0};
    return model != nullptr &&
           run_batch(*model, signed_operands != 0, 0, 0, signed_quotient != 0, 0, unused);
}

extern "C" int word_batch_divide_one(const quodra_v5_1 *model, int signed_operands,
                                     uint64_t dividend, uint64_t divisor, int signed_quotient,
                                     word_batch_sample *out) {
    return model != nullptr && out != nullptr &&
           run_batch(*model, signed_operands != 0, dividend, divisor, signed_quotient != 0, 1, *out);
}
