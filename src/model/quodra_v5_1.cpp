#include "model/quodra_v5_1.h"

#include <algorithm>

#include "model/config_validation.h"
#include "model/quodra_exception.h"

namespace {

uint32_t as_unsigned(int32_t value) { return static_cast<uint32_t>(value); }

} // namespace

quodra_v5_1::quodra_v5_1(const qor_quodra_v5_1_config &record,
                         qor_quodra_v5_1_zanlogger::ZanLogger *model_logger)
    : logger(model_logger), config(record) {
    if (record.name == nullptr) {
        throw QUODRAException("Configuration name must not be null");
    }
    qor_validate_algorithm_combination(record);
    name_copy = record.name;
    config.name = name_copy.c_str();
    derive_high_radix_parameters();
    qor_validate_high_radix_bounds(config, hr_divisor_digits, hr_low_digits,
                                   hr_max_divisor_digits, hr_max_low_digits);
}

quodra_v5_1::~quodra_v5_1() = default;

// The datapath geometry of the High Radix divider for divisor width A,
// dividend width B and fractional width C. The sums are formed in 32-bit
// unsigned arithmetic, wrapping as the unit's own width registers would; the
// width checks of the data path refuse every configuration whose sums wrap.
//   divisor pad       15 - A mod 16: puts Dn's leading one at the top of a
//                     16-bit slice
//   product width     A + B - 1: the dividend scaled by the normalisation
//   working width     min(B + C + 2, A + B - 1): the bits of X the unit needs
//   divisor digits    Ns = floor(A / 16) + 1 slices of 16 bits hold M
//   low digits        h = ceil((working - 16 Ns) / 14) 14-bit digits of the
//                     dividend's low part, 0 when the slices hold all of X
//   iterations        K = ceil((B + C + 2) / 14), one quotient digit each
//   quotient pad      14 K - (B + C): bits of the digit string T below the
//                     quotient's last fraction bit (the rounding constant
//                     2^pad sits there)
//   digit string      14 K + 2 bits hold T with its sign
void quodra_v5_1::derive_high_radix_parameters() {
    const uint32_t divisor_width = as_unsigned(config.divisor_width);
    const uint32_t dividend_width = as_unsigned(config.dividend_width);
    const uint32_t fractional_width = as_unsigned(config.fractional_width);

    hr_divisor_width_p1 = divisor_width + 1;
    hr_divisor_pad = 15 - (divisor_width % 16);
    hr_product_width = divisor_width + dividend_width - 1;
    const uint32_t quotient_width = dividend_width + fractional_width + 2;
    hr_working_width = std::min(quotient_width, hr_product_width);
    hr_divisor_digits = (divisor_width >> 4) + 1;
    const uint32_t divisor_padded_width = hr_divisor_digits * 16;
    const uint32_t low_excess = hr_working_width - divisor_padded_width;
    hr_low_digits = static_cast<int32_t>(low_excess) > 0 ? (low_excess - 1) / 14 + 1 : 0;
    hr_low_width = hr_low_digits * 14;
    hr_aligned_width = hr_low_width + divisor_padded_width;
    hr_iterations = (quotient_width - 1) / 14 + 1;
    hr_quotient_pad = hr_iterations * 14 - (dividend_width + fractional_width);
    hr_quotient_digits_width = hr_iterations * 14 + 2;
}
