// What may be shared across threads, exercised with several threads at
// once (and run under ThreadSanitizer in CI): distinct models; one model
// with separate arrays per thread; the first get_version call; the default
// operations tables; and a handler that several threads reach at once.
// Every thread checks its results against exact arithmetic of its own.
#include <gmp.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/driver_test_support.h"
#include "quodra.h"

namespace {

using driver_test::mpz_vector;
using driver_test::real_vector;
using driver_test::uint_vector;

constexpr int thread_count = 4;

// Runs body(t) on thread_count threads released together, so that their
// calls overlap as much as the machine allows.
void run_together(const std::function<void(int)> &body) {
    std::atomic<int> waiting{thread_count};
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; ++t) {
        threads.emplace_back([&, t] {
            --waiting;
            while (waiting.load() > 0) {
                std::this_thread::yield();
            }
            body(t);
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
}

// A signed operand of a width-bit field, drawn from `random`.
void random_signed(std::mt19937_64 &random, int32_t width, mpz_ptr value) {
    const uint64_t magnitude = random() >> (64 - (width - 1));
    mpz_set_ui(value, magnitude);
    if ((random() & 1u) != 0) {
        mpz_neg(value, value);
    }
}

// A negative result delivered in a width-bit field: 2^width added once.
void wrap_negative(mpz_ptr value, int32_t width) {
    if (mpz_sgn(value) < 0) {
        mpz_t power;
        mpz_init(power);
        mpz_ui_pow_ui(power, 2, static_cast<unsigned long>(width));
        mpz_add(value, value, power);
        mpz_clear(power);
    }
}

// The remainder-mode fields of N / D computed with GNU MP directly:
// truncated quotient and remainder, each wrapped into its field.
void expected_fields(mpz_srcptr d, mpz_srcptr n, int32_t quotient_width, int32_t remainder_width,
                     mpz_ptr q, mpz_ptr r) {
    if (mpz_sgn(d) == 0) {
        mpz_set_ui(q, 0);
        mpz_set_ui(r, 0);
        return;
    }
    mpz_tdiv_qr(q, r, n, d);
    wrap_negative(q, quotient_width);
    wrap_negative(r, remainder_width);
}

// Divides `samples` random signed pairs with `model` in remainder mode on
// arrays of the calling thread, and counts results that differ from GNU MP.
int remainder_mismatches(const quodra_v5_1 *model, int32_t width, uint64_t seed, size_t samples) {
    std::mt19937_64 random(seed);
    mpz_vector divisor(samples), dividend(samples), quotient(samples), remainder(samples);
    uint_vector flags(samples, 9);
    mpz_t value, q, r;
    mpz_inits(value, q, r, nullptr);
    for (size_t i = 0; i < samples; ++i) {
        random_signed(random, width, value);
        if (i % 16 == 0) {
            mpz_set_ui(value, 0); // a zero divisor now and then
        }
        divisor.set(i, value);
        random_signed(random, width, value);
        dividend.set(i, value);
    }
    int mismatches =
        qor_quodra_v5_1_data_do(model, divisor.get(), dividend.get(), quotient.get(),
                                remainder.get(), flags.get(), static_cast<uint32_t>(samples)) == 0
            ? 0
            : 1;
    for (size_t i = 0; i < samples; ++i) {
        expected_fields(divisor.at(i), dividend.at(i), width, width, q, r);
        const unsigned zero = mpz_sgn(divisor.at(i)) == 0 ? 1u : 0u;
        if (mpz_cmp(quotient.at(i), q) != 0 || mpz_cmp(remainder.at(i), r) != 0 ||
            flags.at(i) != zero) {
            ++mismatches;
        }
    }
    mpz_clears(value, q, r, nullptr);
    return mismatches;
}

quodra_v5_1 *signed_remainder_model(int32_t width, qor_msg_handler handler, void *handle) {
    const qor_quodra_v5_1_config config = config_builder().widths(width, width, 16);
    return qor_quodra_v5_1_create(&config, handler, handle);
}

// Must stay the first test of this program: nothing may have asked for the
// version before the threads do.
TEST(ThreadSafety, FirstGetVersionCallsRaceSafely) {
    const char *seen[thread_count] = {};
    run_together([&](int t) { seen[t] = qor_quodra_v5_1_get_version(); });
    for (const char *version : seen) {
        ASSERT_NE(version, nullptr);
        EXPECT_STREQ(version, "5.1");
        EXPECT_EQ(version, seen[0]) << "one cached text for everybody";
    }
}

TEST(ThreadSafety, DistinctModelsDivideIndependently) {
    std::atomic<int> mismatches{0};
    run_together([&](int t) {
        const int32_t width = 16 + 12 * t; // a different core on each thread
        quodra_v5_1 *model = signed_remainder_model(width, nullptr, nullptr);
        if (model == nullptr) {
            ++mismatches;
            return;
        }
        for (int round = 0; round < 40; ++round) {
            mismatches += remainder_mismatches(model, width, 100u * t + round, 64);
        }
        qor_quodra_v5_1_destroy(model);
    });
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ThreadSafety, OneModelServesSeveralThreadsWithTheirOwnArrays) {
    const int32_t width = 40;
    quodra_v5_1 *model = signed_remainder_model(width, nullptr, nullptr);
    ASSERT_NE(model, nullptr);
    std::atomic<int> mismatches{0};
    run_together([&](int t) {
        for (int round = 0; round < 40; ++round) {
            mismatches += remainder_mismatches(model, width, 1000u + 10u * t + round, 64);
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
    qor_quodra_v5_1_destroy(model);
}

// Arrays of every default-table family made, filled, read back and
// released on each thread at once: the shared tables are only read.
TEST(ThreadSafety, DefaultTablesServeSeveralThreads) {
    std::atomic<int> mismatches{0};
    run_together([&](int t) {
        for (int round = 0; round < 100; ++round) {
            const size_t n = 8 + static_cast<size_t>(t);
            real_vector reals(n, 0.5 * t);
            uint_vector flags(n, static_cast<unsigned>(t));
            mpz_vector integers(n);
            qor_array_complex *complexes = qor_quodra_v5_1_qor_array_complex_create();
            qor_quodra_v5_1_qor_array_complex_reserve_data(complexes, n);
            complexes->data_size = n;
            for (size_t i = 0; i < n; ++i) {
                integers.set(i, static_cast<long>(t * 1000 + round));
                const qor_complex c{double(t), double(round)};
                qor_quodra_v5_1_qor_array_complex_set_element(complexes, &c, i);
            }
            for (size_t i = 0; i < n; ++i) {
                qor_complex c{};
                qor_quodra_v5_1_qor_array_complex_get_element(complexes, &c, i);
                const bool same = reals[i] == 0.5 * t && flags.at(i) == static_cast<unsigned>(t) &&
                                  mpz_cmp_si(integers.at(i), t * 1000 + round) == 0 && c.re == t &&
                                  c.im == round;
                mismatches += same ? 0 : 1;
            }
            EXPECT_EQ(qor_quodra_v5_1_qor_array_complex_destroy(complexes), nullptr);
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
}

// A handler that several threads may enter at once: it counts atomically
// and notes whether each call came on the thread that made the library call.
struct shared_handler {
    std::atomic<int> errors{0};
    std::atomic<int> warnings{0};
    std::atomic<int> unexpected{0};
    static thread_local int calling_worker;

    static void on_message(void *handle, int32_t error, const char *message) {
        auto &self = *static_cast<shared_handler *>(handle);
        if (calling_worker < 0) {
            ++self.unexpected; // not on a thread that is inside a library call
        }
        if (error == 1 && std::strcmp(message, "Default configuration ERROR: Number of samples "
                                               "requested is larger than the divisor size") == 0) {
            ++self.errors;
        } else if (error == 0 && std::strcmp(message, "Default configuration WARNING: Truncating "
                                                      "non-integer dividend input") == 0) {
            ++self.warnings;
        } else {
            ++self.unexpected;
        }
    }
};
thread_local int shared_handler::calling_worker = -1;

TEST(ThreadSafety, HandlerIsCalledFromSeveralThreadsAtOnce) {
    shared_handler handler;
    quodra_v5_1 *model = signed_remainder_model(16, shared_handler::on_message, &handler);
    ASSERT_NE(model, nullptr);
    const int rounds = 100;
    std::atomic<int> mismatches{0};
    run_together([&](int t) {
        shared_handler::calling_worker = t;
        for (int round = 0; round < rounds; ++round) {
            // A refusal: one error each.
            mpz_vector divisor{7}, dividend{100}, quotient(1), remainder(1);
            uint_vector flags(1, 0);
            if (qor_quodra_v5_1_data_do(model, divisor.get(), dividend.get(), quotient.get(),
                                        remainder.get(), flags.get(), 2) != 1) {
                ++mismatches;
            }
            // A division with one truncated input: one warning each.
            real_vector real_divisor{7.0}, real_dividend{100.5}, real_quotient(1),
                real_remainder(1);
            if (qor_quodra_v5_1_data_real_do(model, real_divisor.get(), real_dividend.get(),
                                             real_quotient.get(), real_remainder.get(), flags.get(),
                                             1) != 0 ||
                real_quotient[0] != 14.0 || real_remainder[0] != 2.0) {
                ++mismatches;
            }
        }
        shared_handler::calling_worker = -1;
    });
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(handler.errors.load(), thread_count * rounds);
    EXPECT_EQ(handler.warnings.load(), thread_count * rounds);
    EXPECT_EQ(handler.unexpected.load(), 0);
    qor_quodra_v5_1_destroy(model);
}

} // namespace
