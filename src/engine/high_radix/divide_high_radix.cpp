// The High Radix divider's sample loop: loads each divisor and dividend
// reduced to its port, flags zero divisors, and writes the signed quotient
// of the others. Samples go through the fast path when the configuration
// allows it, through the GNU MP reference otherwise.
#include "engine/high_radix/divide_high_radix.h"

#include "arrays/in_place_reads.h"
#include "engine/common/operand_reads.h"
#include "engine/common/working_integer.h"
#include "engine/high_radix/fast_path/word_divider.h"
#include "engine/high_radix/reference/sample_divider.h"
#include "engine/high_radix/reference/setup.h"
#include "model/quodra_exception.h"

namespace {

enum class sample_result { quotient_ready, divide_by_zero, unit_failed };

// One sample on the fast path when the configuration allows it, else on the
// reference. Both reduce the operands in place (a later refused read reuses
// them reduced).
sample_result divide_sample(high_radix_word_divider *fast, high_radix_sample_divider &reference,
                            mpz_ptr divisor, mpz_ptr dividend, mpz_srcptr &quotient) {
    if (fast != nullptr) {
        if (fast->divide(divisor, dividend) == high_radix_word_divider::outcome::divide_by_zero) {
            return sample_result::divide_by_zero;
        }
        quotient = fast->quotient();
        return sample_result::quotient_ready;
    }
    switch (reference.divide(divisor, dividend)) {
    case high_radix_sample_divider::outcome::divide_by_zero:
        return sample_result::divide_by_zero;
    case high_radix_sample_divider::outcome::unit_failed:
        return sample_result::unit_failed;
    case high_radix_sample_divider::outcome::quotient_ready:
        break;
    }
    quotient = reference.quotient();
    return sample_result::quotient_ready;
}

// The sample loop when no read of the call can be refused and no write
// dropped: each sample is divided where it is stored and its quotient and
// flag written straight into their elements, with no copy of either operand
// or of the quotient. A sample with an operand outside its port is loaded,
// reduced and divided as the general loop does.
void divide_in_place(high_radix_word_divider &fast, const quodra_v5_1 &model,
                     const qor_array_mpz *divisor, const qor_array_mpz *dividend,
                     qor_array_mpz *quotient, qor_array_uint *div_by_zero, uint32_t count) {
    using quodra_arrays::stored_sample;
    working_integer divisor_value;
    working_integer dividend_value;
    working_integer scratch;
    for (uint32_t k = 0; k < count; ++k) {
        mpz_ptr q = stored_sample(quotient, k);
        high_radix_word_divider::outcome outcome =
            fast.divide_stored(stored_sample(divisor, k), stored_sample(dividend, k), q);
        if (outcome == high_radix_word_divider::outcome::outside_port) {
            reduce_to_port_width(divisor_value, stored_sample(divisor, k),
                                 model.config.divisor_width, scratch);
            reduce_to_port_width(dividend_value, stored_sample(dividend, k),
                                 model.config.dividend_width, scratch);
            outcome = fast.divide(divisor_value, dividend_value);
            if (outcome == high_radix_word_divider::outcome::quotient_ready) {
                mpz_set(q, fast.quotient());
            }
        }
        // The quotient element of a zero divisor keeps whatever it held.
        stored_sample(div_by_zero, k) =
            outcome == high_radix_word_divider::outcome::divide_by_zero ? 1 : 0;
    }
}

} // namespace

int quodra_v5_1::divide_high_radix(qor_array_mpz *divisor, qor_array_mpz *dividend,
                                   qor_array_mpz *quotient, qor_array_mpz * /*remainder*/,
                                   qor_array_uint *div_by_zero, uint32_t count) const {
    return divide_high_radix_along(*this, high_radix_path::fast_where_possible, divisor, dividend,
                                   quotient, div_by_zero, count);
}

int divide_high_radix_along(const quodra_v5_1 &model, high_radix_path path,
                            qor_array_mpz *divisor, qor_array_mpz *dividend,
                            qor_array_mpz *quotient, qor_array_uint *div_by_zero,
                            uint32_t count) {
    high_radix_word_divider fast_divider(model);
    high_radix_word_divider *fast =
        path == high_radix_path::fast_where_possible && fast_divider.usable() ? &fast_divider
                                                                              : nullptr;
    if (fast != nullptr && quodra_arrays::every_sample_in_place(divisor, count) &&
        quodra_arrays::every_sample_in_place(dividend, count) &&
        quodra_arrays::every_sample_in_place(quotient, count) &&
        quodra_arrays::every_sample_in_place(div_by_zero, count)) {
        divide_in_place(*fast, model, divisor, dividend, quotient, div_by_zero, count);
        return 0;
    }
    high_radix_sample_divider reference(model);
    // Each operand is loaded as its port holds it; both paths reduce it
    // again, which leaves a value in range unchanged.
    working_integer scratch;
    const auto port_of = [&scratch](int64_t width) {
        return [&scratch, width](mpz_ptr target, mpz_srcptr stored) {
            reduce_to_port_width(target, stored, width, scratch);
        };
    };
    const auto keep_divisor = port_of(model.config.divisor_width);
    const auto keep_dividend = port_of(model.config.dividend_width);
    // A refused read leaves the previous sample's operand in place.
    working_integer divisor_value;
    working_integer dividend_value;
    for (uint32_t k = 0; k < count; ++k) {
        load_operand(divisor, k, divisor_value, keep_divisor);
        load_operand(dividend, k, dividend_value, keep_dividend);
        mpz_srcptr result = nullptr;
        const sample_result outcome =
            divide_sample(fast, reference, divisor_value, dividend_value, result);
        if (outcome == sample_result::divide_by_zero) {
            // The quotient element keeps whatever it held.
            qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, 1, k);
            continue;
        }
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero, 0, k);
        if (outcome == sample_result::unit_failed) {
            throw QUODRAException("Iterative unit returned error");
        }
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient, result, k);
    }
    return 0;
}
