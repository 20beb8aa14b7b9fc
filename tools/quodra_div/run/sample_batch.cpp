#include "run/sample_batch.h"

#include <cstdint>
#include <string>

#include "cli/tool_error.h"

namespace quodra_div {

namespace {

// Never a flag value: shows that the library wrote no flag.
constexpr uint32_t unwritten_flag = 2;

tool_error array_failure(const char *what) {
    return tool_error(exit_status::division_failed, std::string("library array ") + what);
}

void require_success(int status, const char *what) {
    if (status != 0) {
        throw array_failure(what);
    }
}

} // namespace

sample_batch::sample_batch(bool with_remainder) : with_remainder_(with_remainder) { allocate(1); }

void sample_batch::hold(std::size_t count) {
    if (count > capacity_) {
        release();
        allocate(count);
    }
}

void sample_batch::allocate(std::size_t capacity) {
    capacity_ = capacity;
    divisor_ = qor_quodra_v5_1_qor_array_mpz_alloc(capacity);
    dividend_ = qor_quodra_v5_1_qor_array_mpz_alloc(capacity);
    quotient_ = qor_quodra_v5_1_qor_array_mpz_alloc(capacity);
    remainder_ = with_remainder_ ? qor_quodra_v5_1_qor_array_mpz_alloc(capacity) : nullptr;
    div_by_zero_ = qor_quodra_v5_1_qor_array_uint_alloc(capacity);
    if (divisor_ == nullptr || dividend_ == nullptr || quotient_ == nullptr ||
        (with_remainder_ && remainder_ == nullptr) || div_by_zero_ == nullptr) {
        release();
        throw array_failure("allocation failed");
    }
}

sample_batch::~sample_batch() { release(); }

void sample_batch::release() {
    capacity_ = 0;
    // destroy accepts null and returns null once it has released the array.
    divisor_ = qor_quodra_v5_1_qor_array_mpz_destroy(divisor_);
    dividend_ = qor_quodra_v5_1_qor_array_mpz_destroy(dividend_);
    quotient_ = qor_quodra_v5_1_qor_array_mpz_destroy(quotient_);
    remainder_ = qor_quodra_v5_1_qor_array_mpz_destroy(remainder_);
    div_by_zero_ = qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero_);
}

void sample_batch::set_operands(std::size_t index, const sample &operands) {
    require_success(qor_quodra_v5_1_qor_array_mpz_set_data(divisor_, operands.divisor.get(), index),
                    "refused a divisor");
    require_success(
        qor_quodra_v5_1_qor_array_mpz_set_data(dividend_, operands.dividend.get(), index),
        "refused a dividend");
}

void sample_batch::mark_outputs_unwritten(std::size_t count, mpz_srcptr marker) {
    for (std::size_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient_, marker, i);
        if (remainder_ != nullptr) {
            qor_quodra_v5_1_qor_array_mpz_set_data(remainder_, marker, i);
        }
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero_, unwritten_flag, i);
    }
}

void sample_batch::divide(const quodra_v5_1 *model, std::size_t count,
                          mpz_srcptr unwritten_marker) {
    mark_outputs_unwritten(count, unwritten_marker);
    if (qor_quodra_v5_1_data_do(model, divisor_, dividend_, quotient_, remainder_, div_by_zero_,
                                static_cast<uint32_t>(count)) != 0) {
        throw tool_error(exit_status::division_failed, ""); // the library has said why
    }
}

void sample_batch::read_outputs(std::size_t index, mpz_ptr quotient, mpz_ptr remainder,
                                bool &div_by_zero) const {
    require_success(qor_quodra_v5_1_qor_array_mpz_get_data(quotient_, quotient, index),
                    "refused a quotient read");
    if (remainder_ != nullptr) {
        require_success(qor_quodra_v5_1_qor_array_mpz_get_data(remainder_, remainder, index),
                        "refused a remainder read");
    }
    uint32_t flag = unwritten_flag;
    require_success(qor_quodra_v5_1_qor_array_uint_get_data(div_by_zero_, &flag, index),
                    "refused a div_by_zero read");
    if (flag > 1) {
        throw tool_error(exit_status::division_failed,
                         "the library left a div_by_zero flag of " + std::to_string(flag));
    }
    div_by_zero = flag == 1;
}

} // namespace quodra_div
