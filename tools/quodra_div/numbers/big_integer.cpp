#include "numbers/big_integer.h"

#include <cstdlib>
#include <memory>

namespace quodra_div {

std::string decimal_text(mpz_srcptr value) {
    std::unique_ptr<char, void (*)(void *)> text(mpz_get_str(nullptr, 10, value), std::free);
    return text.get();
}

void wrap_to_width(mpz_ptr value, unsigned width, bool as_signed) {
    mpz_fdiv_r_2exp(value, value, width);
    if (as_signed && mpz_tstbit(value, width - 1)) {
        // value - 2^width: the remainder of the division rounded upwards.
        mpz_cdiv_r_2exp(value, value, width);
    }
}

} // namespace quodra_div
