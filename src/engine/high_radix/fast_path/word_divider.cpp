#include "engine/high_radix/fast_path/word_divider.h"

#include "engine/common/twos_complement_fields.h"
#include "engine/high_radix/reference/setup.h"
#include "engine/high_radix/fast_path/digit_kernels.h"

namespace {

constexpr int64_t fraction_bits = 26;
constexpr uint32_t slice_bits = high_radix_datapath::slice_bits;
constexpr uint32_t digit_bits = high_radix_datapath::digit_bits;
// The word path's limits: XH in at most 5 slices, XL in at most 8 digits.
constexpr uint32_t max_word_slices = 5;
constexpr uint32_t max_word_low_digits = 8;

// The limb reads and the limb-wide set-up assume plain 64-bit limbs.
constexpr bool plain_64_bit_limbs = GMP_NUMB_BITS == 64 && GMP_NAIL_BITS == 0;

bool configuration_fits(const quodra_v5_1 &model, const high_radix_unit_shape &shape) {
    const qor_quodra_v5_1_config &config = model.config;
    return plain_64_bit_limbs && config.divisor_width >= 1 && config.dividend_width >= 0 &&
           config.fractional_width >= 0 && high_radix_unit_shape_in_bounds(shape) &&
           model.hr_working_width <= model.hr_product_width &&
           model.hr_quotient_pad + 1 < 64 &&
           // Operands within their ports fit the limb buffer, sign included.
           static_cast<uint64_t>(config.divisor_width) < 64 * (padded_limbs::capacity - 1) &&
           static_cast<uint64_t>(config.dividend_width) < 64 * (padded_limbs::capacity - 1) &&
           // The shifted divisor and aligned dividend, sign included.
           uint64_t{shape.slices} * 16 < 64 * padded_limbs::capacity &&
           uint64_t{shape.aligned_width} < 64 * padded_limbs::capacity;
}

// The first Count 16-bit slices of little-endian 64-bit words, four from
// each word.
template <uint32_t Count> void cut_into_slices(const uint64_t *words, uint32_t *slices) {
#pragma GCC unroll 19
    for (uint32_t k = 0; k < Count; ++k) {
        slices[k] = static_cast<uint32_t>(words[k / 4] >> (slice_bits * (k % 4))) & 0xffffu;
    }
}

// The first `count` 14-bit digits of the aligned dividend s (its low part
// XL): digit t at bit 14 t, cut from the two limbs around it.
void cut_low_digits(const uint64_t *s, uint32_t count, uint32_t *digits) {
    for (uint32_t t = 0; t < count; ++t) {
        const uint32_t bit = digit_bits * t;
        const uint32_t index = bit / 64;
        const uint32_t offset = bit % 64;
        // s has a limb of sign above its top, so index + 1 is always a limb.
        const uint64_t low = s[index] >> offset;
        const uint64_t high = (s[index + 1] << 1) << (63 - offset);
        digits[t] = static_cast<uint32_t>(low | high) & 0x3fffu;
    }
}

#if defined(__SIZEOF_INT128__)
// An operand within a port of at most 64 bits, as a signed word: its
// magnitude times +1 or -1 in one 64-bit word (2^63 wraps to -2^63, its
// value). Random operands' signs follow no pattern, and a conditional
// negation compiles to a branch on the sign; the multiplication does not.
int64_t word_of(mpz_srcptr value) {
    const uint64_t magnitude = static_cast<uint64_t>(mpz_getlimbn(value, 0));
    const uint64_t negative = static_cast<uint32_t>(value->_mp_size) >> 31;
    return static_cast<int64_t>(magnitude * (1 - 2 * negative));
}

// The unit's dividend registers from X in a signed 128-bit word, for ports
// of at most 64 bits: s = X * 2^lift splits into its high part
// XH = floor(X * 2^(lift - low width)), which fits its Ns <= 5 slices, and
// its low part XL = s mod 2^(low width), below 2^112; both are words, so
// every slice and digit is one shift by a constant. All eight possible low
// digits are cut (the unit reads only its h): eight fixed shifts cost less
// than a loop over h.
template <uint32_t Ns>
void split_word_dividend(int128_word X, uint32_t lift, const high_radix_unit_shape &shape,
                         high_radix_unit_preparation &prep) {
    const int64_t up = int64_t{lift} - shape.low_width;
    const int128_word high = up >= 0 ? static_cast<int128_word>(static_cast<machine_words::uint128>(X) << up)
                                     : X >> -up; // arithmetic: floor
    const machine_words::uint128 low = static_cast<machine_words::uint128>(X) << lift;
#pragma GCC unroll 8
    for (uint32_t t = 0; t < max_word_low_digits; ++t) {
        prep.low_digit[t] = static_cast<uint32_t>(low >> (digit_bits * t)) & 0x3fffu;
    }
#pragma GCC unroll 5
    for (uint32_t k = 0; k < Ns; ++k) {
        prep.dividend_slice[k] =
            static_cast<uint32_t>(static_cast<machine_words::uint128>(high) >> (slice_bits * k)) & 0xffffu;
    }
    high_radix_datapath::prepare_dividend_top(shape, prep);
}

// reduce_to_port_width() for a port of at most 64 bits, whose values lie in
// [-half, half) (half = 2^(width - 1), or 0 for width 0, which holds only
// 0): an operand in range has at most one limb, and its magnitude m fits
// when m - (1 if negative) lies below half. The test takes no branch on the
// operand's sign, which random operands make unpredictable.
bool within_word_port(mpz_srcptr value, uint64_t half) {
    const int size = value->_mp_size;
    const uint64_t negative = static_cast<uint32_t>(size) >> 31;
    const bool at_most_one_limb = static_cast<unsigned>(size + 1) <= 2u;
    const uint64_t magnitude = static_cast<uint64_t>(mpz_getlimbn(value, 0));
    return (at_most_one_limb & (magnitude - negative < half)) || size == 0;
}

void reduce_to_word_port(mpz_ptr value, uint32_t width, uint64_t half, mpz_ptr scratch) {
    if (within_word_port(value, half)) return;
    reduce_beyond_port_width(value, value, width, scratch);
}

uint32_t bit_length(uint64_t magnitude) {
    return 64 - static_cast<uint32_t>(__builtin_clzll(static_cast<unsigned long long>(magnitude)));
}
#endif
} // namespace

high_radix_word_divider::high_radix_word_divider(const quodra_v5_1 &model)
    : model(model), shape(high_radix_unit_shape_of(model)),
      configuration_usable(configuration_fits(model, shape)),
      words(false),
      store(digit_store::gnu_mp),
      divisor_width(static_cast<uint32_t>(model.config.divisor_width)),
      dividend_width(static_cast<uint32_t>(model.config.dividend_width)),
      dividend_drop(model.hr_product_width - model.hr_working_width),
      divisor_limbs((uint64_t{shape.slices} * 16 + 63) / 64),
      aligned_limbs((uint64_t{shape.aligned_width} + 64) / 64),
      quotient_shift(model.hr_quotient_pad + 1),
      dividend_lift(int64_t{shape.aligned_width} - shape.working_width),
      divide_in_limbs(limb_sample_among(
          shape.slices, std::make_integer_sequence<uint32_t, high_radix_max_slices>{})) {
    if (divide_in_limbs == nullptr) configuration_usable = false;
    // s has zeros below the lift: the limbs wholly below it are cleared, the
    // one it falls in keeps its bits from the lift up.
    for (size_t i = 0; i < padded_limbs::capacity; ++i) {
        const int64_t below = dividend_lift - static_cast<int64_t>(64 * i);
        aligned_keep[i] = below >= 64 ? 0 : below <= 0 ? ~uint64_t{0} : ~uint64_t{0} << below;
    }
#if defined(__SIZEOF_INT128__)
    // The aligned dividend's parts then fit words: XH at most 5 slices, XL
    // at most 8 digits, and the lift below 128.
    words = divisor_width <= 64 && dividend_width <= 64 && shape.slices <= max_word_slices &&
            shape.low_digits <= max_word_low_digits && dividend_lift < 128;
    if (words) {
        divide_in_words = word_sample_for(shape.slices);
        divide_to_word = rounded_sample_for(shape.slices);
        divisor_half = divisor_width >= 1 ? uint64_t{1} << (divisor_width - 1) : 0;
        dividend_half = dividend_width >= 1 ? uint64_t{1} << (dividend_width - 1) : 0;
    }
    if (model.hr_iterations <= max_gathered_digits) store = digit_store::gathered;
#endif
}

high_radix_word_divider::outcome high_radix_word_divider::divide(mpz_ptr divisor,
                                                                 mpz_ptr dividend) {
#if defined(__SIZEOF_INT128__)
    if (words) {
        reduce_to_word_port(divisor, divisor_width, divisor_half, scratch);
        if (mpz_sgn(divisor) == 0) return outcome::divide_by_zero;
        reduce_to_word_port(dividend, dividend_width, dividend_half, scratch);
        (this->*divide_in_words)(word_of(divisor), word_of(dividend));
        return outcome::quotient_ready;
    }
#endif
    reduce_to_port_width(divisor, divisor_width, scratch);
    if (mpz_sgn(divisor) == 0) return outcome::divide_by_zero;
    reduce_to_port_width(dividend, dividend_width, scratch);
    const bool negative = mpz_sgn(divisor) < 0;
    (this->*divide_in_limbs)(padded_limbs(divisor, true), magnitude_bits(divisor), negative,
                             padded_limbs(dividend, false));
    return outcome::quotient_ready;
}

high_radix_word_divider::outcome high_radix_word_divider::divide_stored(mpz_srcptr divisor,
                                                                        mpz_srcptr dividend,
                                                                        mpz_ptr quotient) {
    // Q goes to the caller's element for this sample only: quotient()
    // keeps meaning the divider's own result.
#if defined(__SIZEOF_INT128__)
    if (words) {
        if (!within_word_port(divisor, divisor_half) ||
            !within_word_port(dividend, dividend_half)) {
            return outcome::outside_port;
        }
        if (divisor->_mp_size == 0) return outcome::divide_by_zero;
        written = quotient;
        (this->*divide_in_words)(word_of(divisor), word_of(dividend));
        written = result;
        return outcome::quotient_ready;
    }
#endif
    if (!fits_twos_complement(divisor, divisor_width) ||
        !fits_twos_complement(dividend, dividend_width)) {
        return outcome::outside_port;
    }
    if (divisor->_mp_size == 0) return outcome::divide_by_zero;
    written = quotient;
    (this->*divide_in_limbs)(padded_limbs(divisor, true), magnitude_bits(divisor),
                             divisor->_mp_size < 0, padded_limbs(dividend, false));
    written = result;
    return outcome::quotient_ready;
}

// The set-up steps of the reference divider, on the operands' limbs. |D|
// has `magnitude_bits` bits, at most the port width, so the normalisation
// shift j puts its leading one at bit A - 1 of Dn = |D| * 2^j.
template <uint32_t Ns>
void high_radix_word_divider::divide_limbs(const padded_limbs &magnitude, uint64_t magnitude_bits,
                                           bool negative, const padded_limbs &dividend) {
    const int64_t width = divisor_width;
    const int64_t j = width - static_cast<int64_t>(magnitude_bits);
    // y: the 26 bits of Dn below its leading one, zeros below Dn's bit 0.
    const uint32_t fraction =
        static_cast<uint32_t>(magnitude.window(width - 1 - fraction_bits - j)) &
        ((1u << fraction_bits) - 1);
    const uint32_t reciprocal = interpolated_reciprocal(locate_in_reciprocal_table(fraction));

    // The low 16 Ns bits of M = R * |D| * 2^(j + pad), limb by limb with a
    // running carry, then cut into slices.
    const int64_t lift = j + model.hr_divisor_pad;
    uint64_t scaled[padded_limbs::capacity];
    uint64_t carry = 0;
    for (size_t i = 0; i < divisor_limbs; ++i) {
        // R < 2^18: each half-limb product and its carry fit 64 bits.
        const uint64_t limb = magnitude.window(static_cast<int64_t>(64 * i) - lift);
        const uint64_t low = uint64_t{reciprocal} * (limb & 0xffffffffu) + carry;
        const uint64_t high = uint64_t{reciprocal} * (limb >> 32) + (low >> 32);
        scaled[i] = (high << 32) | (low & 0xffffffffu);
        carry = high >> 32;
    }
    cut_into_slices<Ns>(scaled, prep.divisor_slice);
    high_radix_datapath::prepare_multiplicands(Ns, prep);
    // s = X * 2^(aligned - working) with X = floor(N * 2^j / 2^drop): bit p of
    // s is bit p - lift + drop - j of N, and s has zeros below the lift.
    // One limb of sign above it lets the digits be cut without range tests.
    uint64_t s[padded_limbs::capacity + 1];
    const int64_t offset = int64_t{dividend_drop} - j - dividend_lift;
    for (size_t i = 0; i < aligned_limbs; ++i) {
        s[i] = dividend.window(static_cast<int64_t>(64 * i) + offset) & aligned_keep[i];
    }
    // s fits its aligned width, so its top limb's top bit is its sign.
    s[aligned_limbs] = static_cast<uint64_t>(static_cast<int64_t>(s[aligned_limbs - 1]) >> 63);
    cut_low_digits(s, shape.low_digits, prep.low_digit);
    // XH, the slices above the low width, from limb-wide windows of s.
    uint64_t high[padded_limbs::capacity];
    constexpr uint32_t high_limbs = (Ns + 3) / 4;
    const uint32_t first = shape.low_width / 64;
    const uint32_t within = shape.low_width % 64;
#pragma GCC unroll 5
    for (uint32_t m = 0; m < high_limbs; ++m) {
        high[m] = (s[first + m] >> within) | ((s[first + m + 1] << 1) << (63 - within));
    }
    cut_into_slices<Ns>(high, prep.dividend_slice);
    high_radix_datapath::prepare_dividend_top(shape, prep);
    gather_and_round<Ns>(reciprocal, negative);
}

template <uint32_t... Ns>
high_radix_word_divider::limb_sample
high_radix_word_divider::limb_sample_among(uint32_t slices, std::integer_sequence<uint32_t, Ns...>) {
    constexpr limb_sample samples[] = {&high_radix_word_divider::divide_limbs<Ns + 1>...};
    return slices >= 1 && slices <= sizeof...(Ns) ? samples[slices - 1] : nullptr;
}

// The unit of Ns slices and the rounding of its digits.
template <uint32_t Ns>
void high_radix_word_divider::gather_and_round(uint32_t reciprocal, bool negative) {
#if defined(__SIZEOF_INT128__)
    if (store == digit_store::gathered) {
        int32_t *string = gathered + gathered_digit_lead;
        high_radix_datapath::gather_digits<Ns>(shape, prep, reciprocal, string);
        round_gathered_digits(written, string, shape.iterations, negative, model.hr_quotient_pad,
                              quotient_shift);
        return;
    }
#endif
    run_unit_and_round(reciprocal, negative);
}

#if defined(__SIZEOF_INT128__)
// The same steps with ports of at most 64 bits and a unit of Ns slices: Dn
// fits a word, M (below 2^97) and N * 2^j (below 2^126 in magnitude) fit
// 128-bit words, and every slice is a shift by a constant.
template <uint32_t Ns>
uint32_t high_radix_word_divider::set_up_words(int64_t divisor, int64_t dividend) {
    // |D| without a branch on its sign; -2^63 keeps its magnitude 2^63.
    const uint64_t sign = static_cast<uint64_t>(divisor >> 63); // 0 or all ones
    const uint64_t magnitude = (static_cast<uint64_t>(divisor) ^ sign) - sign;
    const uint32_t j = divisor_width - bit_length(magnitude);
    const uint64_t normalised = magnitude << j;
    // y: the 26 bits below Dn's leading one, padded or truncated.
    const uint32_t fraction_shift = divisor_width - 1;
    const uint64_t below_leading_one = normalised - (uint64_t{1} << fraction_shift);
    const uint64_t fraction = fraction_shift >= fraction_bits
                                  ? below_leading_one >> (fraction_shift - fraction_bits)
                                  : below_leading_one << (fraction_bits - fraction_shift);
    const uint32_t reciprocal =
        interpolated_reciprocal(locate_in_reciprocal_table(static_cast<uint32_t>(fraction)));

    // The low 16 Ns bits of M.
    const machine_words::uint128 scaled = (machine_words::uint128{reciprocal} * normalised) << model.hr_divisor_pad;
#pragma GCC unroll 5
    for (uint32_t k = 0; k < Ns; ++k) {
        prep.divisor_slice[k] = static_cast<uint32_t>(scaled >> (slice_bits * k)) & 0xffffu;
    }
    high_radix_datapath::prepare_multiplicands(Ns, prep);
    // X = floor(N * 2^j / 2^drop); right shifts of a signed word are
    // arithmetic.
    const int128_word X = (int128_word{dividend} * (int128_word{1} << j)) >> dividend_drop;
    split_word_dividend<Ns>(X, static_cast<uint32_t>(dividend_lift), shape, prep);
    return reciprocal;
}

template <uint32_t Ns>
void high_radix_word_divider::divide_words(int64_t divisor, int64_t dividend) {
    gather_and_round<Ns>(set_up_words<Ns>(divisor, dividend), divisor < 0);
}

template <uint32_t Ns>
rounded_word high_radix_word_divider::divide_words_to_word(int64_t divisor, int64_t dividend) {
    const uint32_t reciprocal = set_up_words<Ns>(divisor, dividend);
    int32_t *string = gathered + gathered_digit_lead;
    high_radix_datapath::gather_digits<Ns>(shape, prep, reciprocal, string);
    return round_gathered_word(string, shape.iterations, divisor < 0, model.hr_quotient_pad,
                               quotient_shift);
}

high_radix_word_divider::rounded_sample
high_radix_word_divider::rounded_sample_for(uint32_t slices) {
    constexpr rounded_sample samples[] = {&high_radix_word_divider::divide_words_to_word<1>,
                                          &high_radix_word_divider::divide_words_to_word<2>,
                                          &high_radix_word_divider::divide_words_to_word<3>,
                                          &high_radix_word_divider::divide_words_to_word<4>,
                                          &high_radix_word_divider::divide_words_to_word<5>};
    return slices >= 1 && slices <= max_word_slices ? samples[slices - 1] : nullptr;
}

bool high_radix_word_divider::quotient_in_words() const {
    return configuration_usable && words && store == digit_store::gathered &&
           shape.iterations <= max_word_digits;
}

rounded_word high_radix_word_divider::divide_port_words(int64_t divisor, int64_t dividend) {
    return (this->*divide_to_word)(divisor, dividend);
}

high_radix_word_divider::word_sample high_radix_word_divider::word_sample_for(uint32_t slices) {
    static_assert(max_word_slices == 5, "one word path per slice count");
    constexpr word_sample samples[] = {
        &high_radix_word_divider::divide_words<1>, &high_radix_word_divider::divide_words<2>,
        &high_radix_word_divider::divide_words<3>, &high_radix_word_divider::divide_words<4>,
        &high_radix_word_divider::divide_words<5>};
    return slices >= 1 && slices <= max_word_slices ? samples[slices - 1] : nullptr;
}
#endif

void high_radix_word_divider::run_unit_and_round(uint32_t reciprocal, bool negative) {
    mpz_set_ui(digits, 0);
    long_string.restart(digits, shape.iterations);
    high_radix_datapath::iterate_digits(shape, prep, reciprocal, long_string);
    long_string.finish();
    round_digit_string(written, digits, negative, model.hr_quotient_pad, quotient_shift, scratch);
}
