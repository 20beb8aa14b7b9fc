// Operands far wider than their fields: read in place through the default
// table, they must divide exactly as the same operands copied whole through
// a caller's own table (results, flags, untouched quotients, messages and
// refused reads), and one such sample must not cost a copy of the operand.
#include <gmp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "arrays/sample_vector.h"
#include "engine/common/working_integer.h"
#include "support/driver_test_support.h"

namespace {

void copy_whole(qor_array_mpz_ops *, mpz_t *destination, const mpz_t *source) {
    mpz_set(*destination, *source);
}
qor_array_mpz_ops *const library_table = qor_quodra_v5_1_qor_array_mpz_get_default_ops();
qor_array_mpz_ops copying_table = [] {
    qor_array_mpz_ops table = *library_table;
    table.copy = copy_whole;
    return table;
}();

// Divisors and dividends through `table`; reads from index `held` on are refused.
class operands {
public:
    operands(qor_array_mpz_ops *table, const std::vector<mpz_srcptr> &divisors,
             const std::vector<mpz_srcptr> &dividends, size_t held)
        : divisor(make(table, divisors, held)), dividend(make(table, dividends, held)) {}
    ~operands() {
        qor_quodra_v5_1_qor_array_mpz_destroy(divisor);
        qor_quodra_v5_1_qor_array_mpz_destroy(dividend);
    }
    operands(const operands &) = delete;
    operands &operator=(const operands &) = delete;

    // Everything one call leaves: status, quotients (12345 where a zero
    // divisor leaves the element alone), flags and messages.
    std::string divide(const qor_quodra_v5_1_config &config) const {
        driver_test::test_model model(config);
        const size_t n = divisor->dim[0];
        driver_test::mpz_vector q(n);
        driver_test::uint_vector flags(n, 7u);
        for (size_t i = 0; i < n; ++i) q.set(i, 12345);
        std::string left = std::to_string(qor_quodra_v5_1_data_do(
            model.get(), divisor, dividend, q.get(), nullptr, flags.get(), uint32_t(n)));
        for (size_t i = 0; i < n; ++i) {
            left += " " + q.text(i, 16) + "/" + std::to_string(flags.at(i));
        }
        for (const std::string &message : driver_test::messages(model.calls())) {
            left += "\n" + message;
        }
        return left;
    }

private:
    static qor_array_mpz *make(qor_array_mpz_ops *table, const std::vector<mpz_srcptr> &values,
                               size_t held) {
        qor_array_mpz *array =
            quodra_arrays::make_sample_vector<qor_array_mpz>(table, values.size());
        for (size_t i = 0; i < values.size(); ++i) mpz_set(array->data[i], values[i]);
        array->data_size = held;
        return array;
    }
    qor_array_mpz *divisor, *dividend;
};

config_builder radix2(int32_t sign, int32_t A, int32_t W, int32_t F) {
    return config_builder(QUODRA_ALGORITHM_RADIX2, sign, QUODRA_OUTPUT_FRACTIONAL).widths(A, W, F);
}

// Every Radix-2 word and GNU MP form; the High Radix word, limb and
// reference (no divisor port) paths.
const config_builder configurations[] = {
    radix2(QUODRA_OPERAND_UNSIGNED, 8, 8, 4),    radix2(QUODRA_OPERAND_SIGNED, 8, 8, 4),
    radix2(QUODRA_OPERAND_UNSIGNED, 100, 100, 40), radix2(QUODRA_OPERAND_SIGNED, 70, 70, 70),
    config_builder::high_radix(16, 16, 16),      config_builder::high_radix(100, 130, 20),
    config_builder::high_radix(0, 16, 16),
};

// +-2^(bits-1) plus zero, a small pattern or random low bits. All-zero low
// bits keep only the sign, which a signed zero-divisor sample still shows.
void add_wide_operands(unsigned long bits, gmp_randstate_t random,
                       std::deque<working_integer> &out) {
    for (int low = 0; low < 6; ++low) {
        mpz_ptr value = out.emplace_back();
        if (low / 2 == 1) mpz_set_ui(value, 0x5a5a5a5a5aul);
        if (low / 2 == 2) mpz_urandomb(value, random, bits - 1);
        mpz_setbit(value, bits - 1);
        if (low % 2 == 1) mpz_neg(value, value);
    }
}

TEST(OversizeOperands, ReadInPlaceDividesAsTheCallersCopy) {
    gmp_randstate_t random;
    gmp_randinit_mt(random);
    for (const config_builder &config : configurations) {
        const qor_quodra_v5_1_config &c = config.record();
        // Just above the dividend field, just and well above the Radix-2
        // register, far above both.
        const unsigned long field = c.dividend_width + 1ul, reg = field + c.fractional_width;
        std::deque<working_integer> wide, small(3);
        for (unsigned long bits : {field, reg, reg + 64, 100000ul, 1000000ul})
            add_wide_operands(bits, random, wide);
        mpz_set_si(small[0], 7), mpz_set_si(small[1], -3);
        std::vector<mpz_srcptr> divisors, dividends;
        for (const working_integer &w : wide) {
            for (const working_integer &s : small) {
                divisors.insert(divisors.end(), {s, w});
                dividends.insert(dividends.end(), {w, s});
            }
        }
        const size_t held = divisors.size() - 5;
        const std::string in_place = operands(library_table, divisors, dividends, held).divide(c);
        EXPECT_EQ(in_place, operands(&copying_table, divisors, dividends, held).divide(c));
        EXPECT_EQ(in_place.find('\n'), std::string::npos) << in_place;
    }
    gmp_randclear(random);
}

// Bytes of address space the process holds.
rlim_t address_space() {
    unsigned long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

// A 10^8-bit dividend, then divisor, divided in a child allowed 4 MB of
// address space beyond what it holds: a copy of the 12.5 MB operand would
// abort it. The results must be those of the copying table, without limit.
TEST(OversizeOperands, OneSampleCostsNoCopyOfTheOperand) {
    working_integer huge, seven;
    mpz_setbit(huge, 100000000);
    mpz_sub_ui(huge, huge, 300);
    mpz_set_ui(seven, 7);
    const std::vector<mpz_srcptr> divisors{seven, huge}, dividends{huge, seven};
    const operands copying(&copying_table, divisors, dividends, 2);
    const operands in_place(library_table, divisors, dividends, 2);
    for (const config_builder &config : {configurations[0], configurations[1], configurations[4]}) {
        const std::string copied = copying.divide(config);
        const pid_t child = fork();
        if (child == 0) {
            const rlim_t limit = address_space() + (rlim_t{4} << 20);
            const rlimit tight{limit, limit};
            _exit(setrlimit(RLIMIT_AS, &tight) == 0 && in_place.divide(config) == copied ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
}

} // namespace
