// No heap allocation per sample in steady state: a call of 10,000 samples
// makes no more GNU MP allocations than a call of the first 100, for every
// path at widths inside and beyond machine words.
//
// What is counted: every allocation and reallocation GNU MP makes while the
// call runs, through mp_set_memory_functions. The output arrays are sized
// first by an identical call, so their elements already hold values of the
// size written and the counted allocations are the model's own: its
// working registers, which the first samples size and later samples reuse.
// Growing an output element would be the array's allocation, not the
// model's, and is kept out of the count this way rather than by guessing.
// The first samples also carry the extreme operands of the field, so that
// they size every register as far as any later sample needs. The same holds
// through a caller's own table, where no sample is read or written in
// place. The word batch (engine/driver/word_batch.h) is held to the same
// rule on the same samples.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/driver/word_batch.h"
#include "support/driver_test_support.h"

namespace {

using driver_test::mpz_vector;
using driver_test::test_model;
using driver_test::uint_vector;

// Counts GNU MP allocations while it lives, forwarding every request to the
// functions that were in place, which it restores when it goes.
class gmp_allocation_counter {
public:
    gmp_allocation_counter() {
        mp_get_memory_functions(&allocate, &reallocate, &release);
        active = this;
        mp_set_memory_functions(count_allocate, count_reallocate, release);
    }
    ~gmp_allocation_counter() {
        mp_set_memory_functions(allocate, reallocate, release);
        active = nullptr;
    }
    gmp_allocation_counter(const gmp_allocation_counter &) = delete;
    gmp_allocation_counter &operator=(const gmp_allocation_counter &) = delete;

    long allocations() const { return count; }

private:
    static void *count_allocate(size_t bytes) {
        ++active->count;
        return active->allocate(bytes);
    }
    static void *count_reallocate(void *block, size_t old_bytes, size_t new_bytes) {
        ++active->count;
        return active->reallocate(block, old_bytes, new_bytes);
    }

    static gmp_allocation_counter *active;
    void *(*allocate)(size_t) = nullptr;
    void *(*reallocate)(void *, size_t, size_t) = nullptr;
    void (*release)(void *, size_t) = nullptr;
    long count = 0;
};

gmp_allocation_counter *gmp_allocation_counter::active = nullptr;

struct allocation_case {
    const char *path;
    qor_quodra_v5_1_config c;
};

void PrintTo(const allocation_case &a, std::ostream *out) { *out << a.path; }

constexpr size_t long_call = 10000;
constexpr size_t short_call = 100;

// Sample i of an operand array: samples 0 to 3 hold the field's extremes
// (the divisor 1 at sample 0, so that the quotient is the largest), the
// rest are uniform in the field.
void operand(mpz_ptr value, size_t i, bool is_divisor, mp_bitcnt_t width, bool is_signed,
             gmp_randstate_t random) {
    mpz_t top; // one past the largest value of the field
    mpz_init(top);
    mpz_ui_pow_ui(top, 2, is_signed ? width - 1 : width);
    if (i == 0 && is_divisor) {
        mpz_set_ui(value, 1);
    } else if (i <= 1 || (i == 2 && !is_signed)) {
        mpz_sub_ui(value, top, 1);
    } else if (i == 2) {
        mpz_neg(value, top);
    } else if (i == 3) {
        mpz_set_si(value, is_signed ? -1 : 1);
    } else {
        mpz_urandomb(value, random, width);
        if (is_signed) {
            mpz_sub(value, value, top);
        }
    }
    mpz_clear(top);
}

void fill_operands(mpz_vector &divisor, mpz_vector &dividend, const qor_quodra_v5_1_config &c) {
    gmp_randstate_t random;
    gmp_randinit_default(random);
    gmp_randseed_ui(random, 31337);
    const bool is_signed = c.operand_sign == QUODRA_OPERAND_SIGNED;
    for (size_t i = 0; i < long_call; ++i) {
        operand(divisor->data[i], i, true, static_cast<mp_bitcnt_t>(c.divisor_width), is_signed,
                random);
        if (mpz_sgn(divisor.at(i)) == 0) {
            divisor.set(i, 1L);
        }
        operand(dividend->data[i], i, false, static_cast<mp_bitcnt_t>(c.dividend_width),
                is_signed, random);
    }
    gmp_randclear(random);
}

class SteadyStateAllocation : public testing::TestWithParam<allocation_case> {};

// A long call allocates no more GNU MP blocks than a short one once the
// outputs are sized: nothing per sample.
void expect_long_call_allocates_no_more(test_model &model, mpz_vector &divisor,
                                        mpz_vector &dividend, mpz_vector &quotient,
                                        mpz_vector &remainder, uint_vector &flags) {
    const auto divide = [&](size_t count) {
        gmp_allocation_counter counter;
        EXPECT_EQ(qor_quodra_v5_1_data_do(model.get(), divisor.get(), dividend.get(),
                                          quotient.get(), remainder.get(), flags.get(),
                                          static_cast<uint32_t>(count)),
                  0);
        return counter.allocations();
    };
    divide(long_call); // sizes every output element
    const long short_allocations = divide(short_call);
    const long long_allocations = divide(long_call);
    EXPECT_LE(long_allocations, short_allocations)
        << long_allocations << " allocations for " << long_call << " samples, "
        << short_allocations << " for " << short_call;
}

TEST_P(SteadyStateAllocation, LongCallAllocatesNoMoreThanShortCall) {
    const qor_quodra_v5_1_config &c = GetParam().c;
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    mpz_vector divisor(long_call), dividend(long_call), quotient(long_call), remainder(long_call);
    uint_vector flags(long_call, 0u);
    fill_operands(divisor, dividend, c);
    expect_long_call_allocates_no_more(model, divisor, dividend, quotient, remainder, flags);
    EXPECT_TRUE(model.calls().empty());
}

// The same through a caller's own table (here a copy of the library's),
// which the model cannot read or write in place: every sample goes through
// get_data and set_data, the general sample loop's way, and allocates no
// more per sample than through the default table.
TEST_P(SteadyStateAllocation, CallersOwnTableAllocatesNoMoreForLongCall) {
    const qor_quodra_v5_1_config &c = GetParam().c;
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    // Declared before the arrays, which release their storage through it.
    qor_array_mpz_ops own_table = *qor_quodra_v5_1_qor_array_mpz_get_default_ops();
    mpz_vector divisor(long_call), dividend(long_call), quotient(long_call), remainder(long_call);
    uint_vector flags(long_call, 0u);
    fill_operands(divisor, dividend, c);
    for (const mpz_vector *array : {&divisor, &dividend, &quotient, &remainder}) {
        (*array)->ops = &own_table;
    }
    expect_long_call_allocates_no_more(model, divisor, dividend, quotient, remainder, flags);
}

// The word batch's operands: the same samples as 64-bit words, signed or
// unsigned as the field is.
template <class Word> std::vector<Word> as_words(const mpz_vector &values) {
    std::vector<Word> words(long_call);
    for (size_t i = 0; i < long_call; ++i) {
        words[i] = std::is_signed<Word>::value ? static_cast<Word>(mpz_get_si(values.at(i)))
                                               : static_cast<Word>(mpz_get_ui(values.at(i)));
    }
    return words;
}

template <class Word>
void expect_word_batch_steady(const quodra_v5_1 &model, const mpz_vector &divisor_values,
                              const mpz_vector &dividend_values) {
    const std::vector<Word> divisor = as_words<Word>(divisor_values);
    const std::vector<Word> dividend = as_words<Word>(dividend_values);
    std::vector<int64_t> quotient(long_call), remainder(long_call);
    std::vector<uint32_t> flags(long_call);
    quodra_internal::word_results out;
    out.quotient.as_int64 = quotient.data();
    out.remainder.as_int64 = remainder.data();
    out.div_by_zero = flags.data();
    const auto divide = [&](size_t count) {
        gmp_allocation_counter counter;
        // A result past int64 ends the call early: the field's extremes
        // come first, so each call then stops at the same sample.
        quodra_internal::divide_word_batch(model, divisor.data(), dividend.data(), count, out);
        return counter.allocations();
    };
    const long short_allocations = divide(short_call);
    const long long_allocations = divide(long_call);
    EXPECT_LE(long_allocations, short_allocations)
        << long_allocations << " allocations for " << long_call << " samples, "
        << short_allocations << " for " << short_call;
}

// The word batch allocates nothing per sample either; configurations out of
// its reach are refused before the first sample and allocate nothing.
TEST_P(SteadyStateAllocation, WordBatchAllocatesNoMoreForLongCall) {
    const qor_quodra_v5_1_config &c = GetParam().c;
    test_model model(c);
    ASSERT_NE(model.get(), nullptr);
    mpz_vector divisor(long_call), dividend(long_call);
    fill_operands(divisor, dividend, c);
    if (c.operand_sign == QUODRA_OPERAND_SIGNED) {
        expect_word_batch_steady<int64_t>(*model.get(), divisor, dividend);
    } else {
        expect_word_batch_steady<uint64_t>(*model.get(), divisor, dividend);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SteadyStateAllocation,
    testing::Values(allocation_case{"remainder_signed_16",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_REMAINDER)
                                        .widths(16, 16, 0)},
                    allocation_case{"remainder_signed_64",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_REMAINDER)
                                        .widths(64, 64, 0)},
                    allocation_case{"remainder_signed_130",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_REMAINDER)
                                        .widths(130, 200, 0)},
                    allocation_case{"remainder_unsigned_64",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                                   QUODRA_OUTPUT_REMAINDER)
                                        .widths(64, 64, 0)},
                    allocation_case{"remainder_unsigned_256",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                                   QUODRA_OUTPUT_REMAINDER)
                                        .widths(256, 256, 0)},
                    allocation_case{"radix2_signed_32",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(32, 32, 32)},
                    allocation_case{"radix2_signed_64",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(64, 64, 64)},
                    allocation_case{"radix2_signed_256",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(256, 256, 64)},
                    allocation_case{"radix2_signed_wide_fraction",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_SIGNED,
                                                   QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(100, 100, 100)},
                    allocation_case{"radix2_unsigned_128",
                                    config_builder(QUODRA_ALGORITHM_RADIX2, QUODRA_OPERAND_UNSIGNED,
                                                   QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(128, 128, 64)},
                    allocation_case{"high_radix_16",
                                    config_builder(QUODRA_ALGORITHM_HIGH_RADIX,
                                                   QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(16, 16, 16)},
                    allocation_case{"high_radix_64",
                                    config_builder(QUODRA_ALGORITHM_HIGH_RADIX,
                                                   QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(64, 64, 64)},
                    allocation_case{"high_radix_128",
                                    config_builder(QUODRA_ALGORITHM_HIGH_RADIX,
                                                   QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(128, 128, 64)},
                    allocation_case{"high_radix_300_200",
                                    config_builder(QUODRA_ALGORITHM_HIGH_RADIX,
                                                   QUODRA_OPERAND_SIGNED, QUODRA_OUTPUT_FRACTIONAL)
                                        .widths(300, 200, 40)}),
    [](const testing::TestParamInfo<allocation_case> &info) {
        return std::string(info.param.path);
    });

} // namespace
