#include "numbers/operand_range.h"

namespace quodra_div {

operand_range::operand_range(unsigned width, bool is_signed) : width_(width), signed_(is_signed) {
    if (signed_) {
        mpz_setbit(highest_.get(), width - 1);
        mpz_neg(lowest_.get(), highest_.get());
        mpz_sub_ui(highest_.get(), highest_.get(), 1);
    } else {
        mpz_setbit(highest_.get(), width);
        mpz_sub_ui(highest_.get(), highest_.get(), 1);
    }
}

bool operand_range::contains(mpz_srcptr value) const {
    return mpz_cmp(value, lowest_.get()) >= 0 && mpz_cmp(value, highest_.get()) <= 0;
}

std::string operand_range::kind() const {
    return std::to_string(width_) + "-bit " + (signed_ ? "signed" : "unsigned");
}

std::string operand_range::limits() const {
    // Wide limits read better as powers of two than as long decimals.
    constexpr unsigned widest_decimal_limits = 64;
    if (width_ > widest_decimal_limits) {
        const std::string top = std::to_string(signed_ ? width_ - 1 : width_);
        return (signed_ ? "-2^" + top : std::string("0")) + " to 2^" + top + " - 1";
    }
    return decimal_text(lowest_.get()) + " to " + decimal_text(highest_.get());
}

} // namespace quodra_div
