#include "numbers/big_integer.h"

#include <cstdlib>
#include <memory>

#include "cli/tool_error.h"

namespace quodra_div {

std::string decimal_text(mpz_srcptr value) {
    std::unique_ptr<char, void (*)(void *)> text(mpz_get_str(nullptr, 10, value), std::free);
    return text.get();
}

std::string shortened_decimal_text(mpz_srcptr value) {
    // mpz_sizeinbase counts the digits exactly or one too many.
    const std::size_t estimate = mpz_sizeinbase(value, 10);
    if (estimate <= longest_quoted + 5) {
        return shortened(decimal_text(value));
    }
    // The text is longer than the cut: its leading digits are those of
    // floor(|value| / 10^k), which keeps 44 or 45 of them, in one division
    // instead of converting every digit.
    mpz_t leading;
    mpz_t power;
    mpz_init(leading);
    mpz_init(power);
    mpz_ui_pow_ui(power, 10, static_cast<unsigned long>(estimate - (longest_quoted + 5)));
    mpz_abs(leading, value);
    mpz_tdiv_q(leading, leading, power);
    const std::string digits = decimal_text(leading);
    mpz_clear(power);
    mpz_clear(leading);
    return shortened((mpz_sgn(value) < 0 ? "-" : "") + digits);
}

void wrap_to_width(mpz_ptr value, unsigned width, bool as_signed) {
    mpz_fdiv_r_2exp(value, value, width);
    if (as_signed && mpz_tstbit(value, width - 1)) {
        // value - 2^width: the remainder of the division rounded upwards.
        mpz_cdiv_r_2exp(value, value, width);
    }
}

} // namespace quodra_div
