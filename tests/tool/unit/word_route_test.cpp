// The word route against the GNU MP route: random words against random
// samples, hex, decimal and real text of words against GNU MP's, decoded words
// against result_layout::decode, and whole runs over random configurations of
// fields up to 64 bits compared byte for byte, messages included.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "formats/result_layout.h"
#include "formats/word_result.h"
#include "numbers/machine_word.h"
#include "numbers/number_text.h"
#include "numbers/word_text.h"
#include "check/check_results.h"
#include "check/result_rows.h"
#include "check/word_check.h"
#include "run/prepared_divider.h"
#include "run/run_divisions.h"
#include "run/word_route.h"
#include "samples/random_samples.h"
#include "samples/sample_source.h"
#include "unit_helpers.h"

using namespace quodra_div;

namespace {

std::string hex_of_mpz(mpz_srcptr value, unsigned width) {
    std::string text;
    number_text numbers;
    numbers.append_hex_pattern(text, value, width);
    return text;
}

std::string written(const char *begin, const char *end) {
    return std::string(begin, static_cast<std::size_t>(end - begin));
}

TEST(WordText, HexWordsMatchGnuMpPatterns) {
    std::mt19937_64 random(11);
    for (unsigned width = 0; width <= 64; ++width) {
        const uint64_t edges[] = {
            0, 1, ~uint64_t{0}, uint64_t{1} << 63, low_bits_mask(width), random(), random()};
        for (const uint64_t bits : edges) {
            big_integer value;
            set_from_word(value.get(), bits,
                          true); // the pattern of a negative value too
            std::string words;
            append_hex_word(words, bits, width);
            EXPECT_EQ(words, hex_of_mpz(value.get(), width)) << width << " bits of " << bits;
        }
    }
}

TEST(WordText, DecimalWordsMatchGnuMp) {
    std::mt19937_64 random(13);
    std::vector<uint64_t> words = {0,
                                   1,
                                   9,
                                   10,
                                   ~uint64_t{0},
                                   uint64_t{1} << 63,
                                   (uint64_t{1} << 63) - 1,
                                   10000000000000000000u};
    for (int i = 0; i < 200; ++i)
        words.push_back(random() >> (random() % 64));
    for (const uint64_t bits : words) {
        for (const bool is_signed : {false, true}) {
            big_integer value;
            set_from_word(value.get(), bits, is_signed);
            char text[max_decimal_word_chars];
            const char *end = put_decimal_word(text, bits, is_signed);
            EXPECT_EQ(written(text, end), decimal(value.get())) << bits;
        }
    }
}

// put_exact_real against number_text::append_exact_real on the numerator
// the parts make: -(integer * 2^scale + fraction).
TEST(WordText, ExactRealsMatchGnuMp) {
    std::mt19937_64 random(17);
    for (int i = 0; i < 3000; ++i) {
        word_real real;
        real.scale = static_cast<unsigned>(random() % 65);
        real.integer = random() >> (random() % 64);
        real.fraction =
            real.scale == 0 ? 0 : (random() >> (random() % 64)) & low_bits_mask(real.scale);
        if (random() % 5 == 0)
            real.fraction = real.scale == 0 ? 0 : 1; // 2^-scale: every digit
        real.negative = (real.integer != 0 || real.fraction != 0) && random() % 2 == 0;
        big_integer numerator;
        set_from_word(numerator.get(), real.integer, false);
        mpz_mul_2exp(numerator.get(), numerator.get(), real.scale);
        big_integer fraction;
        set_from_word(fraction.get(), real.fraction, false);
        mpz_add(numerator.get(), numerator.get(), fraction.get());
        if (real.negative)
            mpz_neg(numerator.get(), numerator.get());
        std::string expected;
        number_text numbers;
        numbers.append_exact_real(expected, numerator.get(), real.scale);
        char text[max_exact_real_chars];
        const char *end = put_exact_real(text, real);
        EXPECT_EQ(written(text, end), expected)
            << decimal(numerator.get()) << " / 2^" << real.scale;
    }
}

TEST(MachineWord, PatternsAndValuesRoundTrip) {
    const struct {
        const char *value;
        uint64_t pattern;
    } cases[] = {{"0", 0},
                 {"-1", ~uint64_t{0}},
                 {"-9223372036854775808", uint64_t{1} << 63},
                 {"18446744073709551615", ~uint64_t{0}},
                 {"18446744073709551621", 5}, // 2^64 + 5
                 {"-18446744073709551621", uint64_t{0} - 5}};
    for (const auto &c : cases) {
        EXPECT_EQ(word_pattern(big(c.value).get()), c.pattern) << c.value;
    }
    big_integer back;
    set_from_word(back.get(), uint64_t{1} << 63, true);
    EXPECT_EQ(decimal(back.get()), "-9223372036854775808");
    set_from_word(back.get(), uint64_t{1} << 63, false);
    EXPECT_EQ(decimal(back.get()), "9223372036854775808");
}

// next_words hands out exactly next()'s samples, edge pairs and draws.
TEST(RandomWords, SameSamplesAsGnuMpDraws) {
    std::mt19937_64 random(7);
    for (int round = 0; round < 200; ++round) {
        const auto dividend_width = static_cast<unsigned>(1 + random() % 64);
        const auto divisor_width = static_cast<unsigned>(1 + random() % 64);
        const bool is_signed = random() % 2 == 0;
        const operand_range dividends(dividend_width, is_signed);
        const operand_range divisors(divisor_width, is_signed);
        const uint64_t seed = random();
        random_samples reference(dividends, divisors, 60, seed);
        random_samples words(dividends, divisors, 60, seed);
        ASSERT_TRUE(words.fits_words());
        const uint64_t skipped = random() % 30;
        reference.skip(skipped);
        words.skip(skipped);
        sample expected;
        uint64_t dividend = 0;
        uint64_t divisor = 0;
        while (reference.next(expected)) {
            ASSERT_TRUE(words.next_words(dividend, divisor));
            big_integer got_dividend;
            big_integer got_divisor;
            set_from_word(got_dividend.get(), dividend, is_signed);
            set_from_word(got_divisor.get(), divisor, is_signed);
            ASSERT_EQ(decimal(got_dividend.get()), decimal(expected.dividend.get()))
                << dividends.kind() << " seed " << seed << " at " << reference.position();
            ASSERT_EQ(decimal(got_divisor.get()), decimal(expected.divisor.get()))
                << divisors.kind() << " seed " << seed << " at " << reference.position();
        }
        EXPECT_FALSE(words.next_words(dividend, divisor));
    }
}

TEST(RandomWords, OnlyFieldsOfOneToSixtyFourBits) {
    const operand_range narrow(8, true);
    const operand_range widest(64, false);
    const operand_range too_wide(65, true);
    EXPECT_TRUE(random_samples(widest, narrow, 1, 1).fits_words());
    EXPECT_FALSE(random_samples(narrow, too_wide, 1, 1).fits_words());
    EXPECT_FALSE(random_samples(too_wide, narrow, 1, 1).fits_words());
}

divider_settings settings_of(int32_t algorithm, unsigned dividend_width, unsigned divisor_width,
                             bool is_signed, bool fractional, unsigned fraction_width) {
    divider_settings settings;
    settings.algorithm_type = algorithm;
    settings.dividend_width = static_cast<int32_t>(dividend_width);
    settings.divisor_width = static_cast<int32_t>(divisor_width);
    settings.signed_operands = is_signed;
    settings.fractional_output = fractional;
    settings.fractional_width = static_cast<int32_t>(fraction_width);
    return settings;
}

// decode_words gives the hex patterns of decode's field values for every
// quotient word in its field.
TEST(WordResult, PatternsMatchDecodedValues) {
    std::mt19937_64 random(5);
    for (int round = 0; round < 3000; ++round) {
        const bool high_radix = random() % 2 == 0;
        const bool fractional = random() % 3 != 0;
        const auto dividend_width = static_cast<unsigned>(1 + random() % (high_radix ? 40 : 64));
        const auto divisor_width = static_cast<unsigned>(1 + random() % 64);
        const unsigned room = (high_radix ? 62 : 64) - dividend_width;
        const auto fraction_width = fractional ? static_cast<unsigned>(random() % (room + 1)) : 0u;
        const result_layout layout(settings_of(high_radix ? algorithm_high_radix : algorithm_radix2,
                                               dividend_width, divisor_width, random() % 2 == 0,
                                               fractional, fraction_width));
        const unsigned raw_width = layout.raw_quotient_bits();
        uint64_t quotient = random() & low_bits_mask(raw_width);
        if (layout.raw_quotient_signed() && ((quotient >> (raw_width - 1)) & 1) != 0) {
            quotient |= ~low_bits_mask(raw_width); // the negative value's word
        }
        const uint64_t remainder = random() & low_bits_mask(divisor_width);
        const bool zero_divisor = random() % 4 == 0;
        word_result words;
        ASSERT_TRUE(decode_words(layout, quotient, remainder, zero_divisor ? 1 : 0, words));
        big_integer raw_quotient;
        big_integer raw_remainder;
        set_from_word(raw_quotient.get(), quotient, layout.raw_quotient_signed());
        set_from_word(raw_remainder.get(), remainder, false);
        sample_result values;
        layout.decode(raw_quotient.get(), raw_remainder.get(), zero_divisor, values);
        EXPECT_EQ(words.div_by_zero, zero_divisor);
        ASSERT_TRUE(words.fields_known);
        for (std::size_t f = 0; f < layout.fields().size(); ++f) {
            const output_field &field = layout.fields()[f];
            std::string from_words;
            append_hex_word(from_words, words.field_patterns[f], field.width);
            EXPECT_EQ(from_words, hex_of_mpz(values.field_values[f].get(), field.width))
                << field.name << " of quotient word " << quotient;
            char text[max_decimal_word_chars];
            const char *end = put_decimal_word(
                text, field_value_word(words.field_patterns[f], field), field.is_signed);
            EXPECT_EQ(written(text, end), decimal(values.field_values[f].get()))
                << field.name << " of quotient word " << quotient;
        }
        sample_result converted;
        sample_result_from_words(layout, words, converted);
        for (std::size_t f = 0; f < layout.fields().size(); ++f) {
            EXPECT_EQ(decimal(converted.field_values[f].get()),
                      decimal(values.field_values[f].get()))
                << layout.fields()[f].name << " of quotient word " << quotient;
        }
        if (layout.fractional()) {
            EXPECT_EQ(converted.real_scale, values.real_scale);
            EXPECT_EQ(decimal(converted.real_numerator.get()),
                      decimal(values.real_numerator.get()))
                << "real of quotient word " << quotient;
        }
        if (layout.fractional()) {
            std::string expected;
            number_text numbers;
            numbers.append_exact_real(expected, values.real_numerator.get(), values.real_scale);
            char text[max_exact_real_chars];
            const char *end = put_exact_real(text, words.real);
            EXPECT_EQ(written(text, end), expected) << "real of quotient word " << quotient;
        }
    }
}

// Results decode would refuse send the batch to the GNU MP route, which
// reports them; only a zero divisor may leave the planted quotient.
TEST(WordResult, RefusesWhatDecodeRefuses) {
    const result_layout remainder_mode(settings_of(algorithm_radix2, 8, 4, false, false, 0));
    const result_layout high_radix(settings_of(algorithm_high_radix, 8, 4, true, true, 4));
    word_result out;
    EXPECT_FALSE(decode_words(remainder_mode, 0x100, 0, 0, out)) << "quotient above 8 bits";
    EXPECT_FALSE(decode_words(remainder_mode, 3, 0x10, 0, out)) << "remainder above 4 bits";
    EXPECT_FALSE(decode_words(remainder_mode, 3, 1, 2, out)) << "no flag written";
    EXPECT_TRUE(decode_words(remainder_mode, 0xff, 0xf, 0, out));
    // High Radix: 8 + 4 + 1 = 13 signed bits, -4096 .. 4095.
    EXPECT_TRUE(decode_words(high_radix, uint64_t{0} - 4096, 0, 0, out));
    EXPECT_FALSE(decode_words(high_radix, uint64_t{0} - 4097, 0, 0, out));
    EXPECT_FALSE(decode_words(high_radix, 4096, 0, 0, out));
    const uint64_t planted = unwritten_quotient_word(high_radix);
    EXPECT_FALSE(decode_words(high_radix, planted, 0, 0, out)) << "missing quotient";
    ASSERT_TRUE(decode_words(high_radix, planted, 0, 1, out));
    EXPECT_FALSE(out.fields_known);
    EXPECT_TRUE(out.div_by_zero);
}

// ---------------------------------------------------------------------------
// Whole runs, word route against GNU MP route

struct run_output {
    std::string file;
    std::string messages;
    int status = 0; // exit_status, or -1 for a run that returned
};

// A file of this process and test: CTest runs the cases of this file side
// by side, and other build trees' runs may share the folder.
std::string temp_path(const std::string &name) {
    return testing::TempDir() + "quodra_div_" + std::to_string(getpid()) + "_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" + name;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

run_output run_through(const std::vector<std::string> &arguments, division_route route) {
    const std::string path = temp_path("run.out");
    std::remove(path.c_str());
    std::vector<std::string> with_output = arguments;
    with_output.insert(with_output.end(), {"-o", path});
    run_output out;
    testing::internal::CaptureStderr();
    try {
        out.status = static_cast<int>(run_divisions(*parse(with_output), route));
    } catch (const tool_error &e) {
        out.status = static_cast<int>(e.status());
        out.messages = e.what();
    }
    out.messages += testing::internal::GetCapturedStderr();
    out.file = read_file(path);
    std::remove(path.c_str());
    return out;
}

bool word_route_taken(const std::vector<std::string> &arguments) {
    testing::internal::CaptureStderr(); // a refused configuration's message
    bool taken = false;
    try {
        const tool_options options = *parse(arguments);
        prepared_divider divider(options);
        const sample_source source(options, divider.layout);
        taken = takes_word_route(options, source, divider);
    } catch (const tool_error &) {
        // refused before any route
    }
    testing::internal::GetCapturedStderr();
    return taken;
}

// A configuration of fields up to 64 bits that the library takes:
// remainder mode under Radix-2 and LutMult, Radix-2 fractional either sign,
// High Radix (signed) fractional; now and then past the word batch's reach
// (B + F above 62 for High Radix, a register above 64 bits for Radix-2),
// where both runs must take GNU MP.
std::vector<std::string> random_arguments(std::mt19937_64 &random) {
    const bool fractional = random() % 3 != 0;
    const bool high_radix = fractional && random() % 2 == 0;
    const bool is_signed = high_radix || random() % 2 == 0;
    const auto dividend_width = 1 + random() % 64;
    const auto divisor_width = 1 + random() % 64;
    std::vector<std::string> arguments = {"--random",
                                          std::to_string(random() % 700),
                                          "--seed",
                                          std::to_string(random()),
                                          "--dividend-width",
                                          std::to_string(dividend_width),
                                          "--divisor-width",
                                          std::to_string(divisor_width),
                                          is_signed ? "--signed" : "--unsigned",
                                          "-f",
                                          std::array<const char *, 3>{"hex", "csv", "table"}[random() % 3],
                                          "--batch-size",
                                          std::to_string(1 + random() % 300),
                                          "--jobs",
                                          "1",
                                          "--no-progress",
                                          random() % 2 == 0 ? "--header" : "--no-header"};
    if (!fractional) {
        arguments.insert(arguments.end(),
                         {"--remainder", "-a", random() % 2 == 0 ? "radix2" : "lutmult"});
        return arguments;
    }
    const uint64_t room = (high_radix ? 62 : 64) - std::min<uint64_t>(dividend_width, 62);
    const uint64_t fraction_width =
        random() % 8 == 0 ? room + 1 + random() % 4 : random() % (room + 1);
    arguments.insert(arguments.end(),
                     {"--fractional", "--fractional-width", std::to_string(fraction_width), "-a",
                      high_radix ? "high-radix" : "radix2"});
    return arguments;
}

// The same configuration over every pair of narrow fields (--exhaustive).
std::vector<std::string> as_exhaustive(const std::vector<std::string> &random_run,
                                       std::mt19937_64 &random) {
    std::vector<std::string> arguments;
    for (std::size_t i = 0; i < random_run.size(); ++i) {
        if (random_run[i] == "--random" || random_run[i] == "--seed") {
            ++i; // and its value
        } else if (random_run[i] == "--dividend-width" || random_run[i] == "--divisor-width") {
            arguments.insert(arguments.end(), {random_run[i], std::to_string(1 + random() % 7)});
            ++i;
        } else {
            arguments.push_back(random_run[i]);
        }
    }
    arguments.push_back("--exhaustive");
    return arguments;
}

std::string command_of(const std::vector<std::string> &arguments) {
    std::string command;
    for (const std::string &argument : arguments)
        command += argument + ' ';
    return command;
}

std::vector<std::string> with_jobs(std::vector<std::string> arguments, const char *jobs) {
    const auto flag = std::find(arguments.begin(), arguments.end(), "--jobs");
    *(flag + 1) = jobs;
    return arguments;
}

TEST(WordRoute, RunsWriteTheGnuMpRoutesBytes) {
    std::mt19937_64 random(2026);
    int taken = 0;
    const int rounds = 120;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::string> arguments = random_arguments(random);
        if (random() % 5 == 0) {
            arguments = as_exhaustive(arguments, random);
        }
        if (random() % 6 == 0) {
            arguments.insert(arguments.end(), {"--shard", "2/3"});
        }
        if (random() % 4 == 0) {
            arguments.push_back(random() % 2 == 0 ? "--coverage" : "--require-coverage");
        }
        const std::string command = command_of(arguments);
        taken += word_route_taken(arguments) ? 1 : 0;
        const run_output words = run_through(arguments, division_route::words_where_in_reach);
        const run_output gnu_mp = run_through(arguments, division_route::gnu_mp_only);
        ASSERT_EQ(words.status, gnu_mp.status) << command;
        ASSERT_EQ(words.messages, gnu_mp.messages) << command;
        ASSERT_EQ(words.file, gnu_mp.file) << command;
    }
    // Most of the configurations are in the word batch's reach.
    EXPECT_GT(taken, rounds * 2 / 3);
}

// The parallel runner on words: each worker draws its own samples by index,
// so 2 and 3 jobs, with batches small enough that every worker has several,
// must write what one job and the GNU MP route write, shards included.
TEST(WordRoute, ParallelRunsWriteTheSameBytes) {
    std::mt19937_64 random(1789);
    const int rounds = 40;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::string> arguments = random_arguments(random);
        if (random() % 4 == 0) {
            arguments = as_exhaustive(arguments, random);
        }
        if (random() % 4 == 0) {
            arguments.insert(arguments.end(), {"--shard", random() % 2 == 0 ? "1/3" : "3/3"});
        }
        if (random() % 3 == 0) {
            arguments.push_back(random() % 2 == 0 ? "--coverage" : "--require-coverage");
        }
        const std::string command = command_of(arguments);
        const run_output gnu_mp = run_through(arguments, division_route::gnu_mp_only);
        for (const char *jobs : {"2", "3"}) {
            const std::vector<std::string> parallel = with_jobs(arguments, jobs);
            const run_output words = run_through(parallel, division_route::words_where_in_reach);
            ASSERT_EQ(words.status, gnu_mp.status) << command << jobs;
            ASSERT_EQ(words.messages, gnu_mp.messages) << command << jobs;
            ASSERT_EQ(words.file, gnu_mp.file) << command << jobs;
        }
    }
}

// Sample counts at the edges of the batches, where the workers' claims run
// out: no sample, one short of a batch, whole batches (the last claim is
// then empty) and one over; with more jobs than batches as well.
TEST(WordRoute, ParallelRunsAtBatchEdgesWriteTheSameBytes) {
    const std::vector<std::string> base = {"--seed", "7", "--dividend-width", "12",
                                           "--divisor-width", "5", "--signed", "--remainder",
                                           "-f", "hex", "--batch-size", "16", "--no-progress",
                                           "--header", "--jobs", "1"};
    for (const char *count : {"0", "1", "15", "16", "17", "64", "65"}) {
        std::vector<std::string> arguments = base;
        arguments.insert(arguments.begin(), {"--random", count});
        const run_output gnu_mp = run_through(arguments, division_route::gnu_mp_only);
        for (const char *jobs : {"2", "5"}) {
            const run_output words =
                run_through(with_jobs(arguments, jobs), division_route::words_where_in_reach);
            EXPECT_EQ(words.status, gnu_mp.status) << count << " samples, " << jobs << " jobs";
            EXPECT_EQ(words.messages, gnu_mp.messages) << count << " samples, " << jobs << " jobs";
            EXPECT_EQ(words.file, gnu_mp.file) << count << " samples, " << jobs << " jobs";
        }
    }
}

// A run written in place to a regular file (through /dev/fd/N) under a
// file-size limit, so that the write of some batch fails mid-run: the
// file then holds the first `limit` bytes the run wrote, and the run ends
// with the write's failure.
run_output run_limited(std::vector<std::string> arguments, division_route route,
                       rlim_t limit) {
    const std::string path = temp_path("limited.out");
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(descriptor, 0) << path;
    arguments.insert(arguments.end(), {"-o", "/dev/fd/" + std::to_string(descriptor)});
    struct rlimit unlimited {};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const struct rlimit limited {limit, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
    run_output out;
    testing::internal::CaptureStderr();
    setrlimit(RLIMIT_FSIZE, &limited);
    try {
        out.status = static_cast<int>(run_divisions(*parse(arguments), route));
    } catch (const tool_error &e) {
        out.status = static_cast<int>(e.status());
        out.messages = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &unlimited);
    out.messages += testing::internal::GetCapturedStderr();
    close(descriptor);
    out.file = read_file(path);
    std::remove(path.c_str());
    return out;
}

// The workers write the finished batches in order themselves: when the
// write of a batch fails partway through a run of several jobs and many
// small batches, the file holds the same first bytes as a one-job GNU MP
// run's, and the run fails the same way, once.
TEST(WordRoute, ParallelRunsStopAtAFailedWriteAsOneJobDoes) {
    std::mt19937_64 random(1871);
    int failed = 0;
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::string> arguments = random_arguments(random);
        *(std::find(arguments.begin(), arguments.end(), "--random") + 1) =
            std::to_string(2000 + random() % 3000);
        *(std::find(arguments.begin(), arguments.end(), "--batch-size") + 1) =
            std::to_string(1 + random() % 40);
        const std::string command = command_of(arguments);
        const std::size_t size = run_through(arguments, division_route::gnu_mp_only).file.size();
        const rlim_t limit = 4096 + random() % (size - 4096);
        const run_output gnu_mp = run_limited(arguments, division_route::gnu_mp_only, limit);
        ASSERT_EQ(gnu_mp.file.size(), limit) << command;
        failed += gnu_mp.status == static_cast<int>(exit_status::output_failed) ? 1 : 0;
        for (const char *jobs : {"2", "3"}) {
            const run_output words =
                run_limited(with_jobs(arguments, jobs), division_route::words_where_in_reach, limit);
            ASSERT_EQ(words.status, gnu_mp.status) << command << jobs;
            ASSERT_EQ(words.messages, gnu_mp.messages) << command << jobs;
            ASSERT_EQ(words.file, gnu_mp.file) << command << jobs;
        }
    }
    EXPECT_EQ(failed, rounds);
}

// ---------------------------------------------------------------------------
// Checks, word route against GNU MP route

struct check_output {
    std::string report;
    std::string map;
    std::string messages;
    int status = 0;
};

check_output check_through(std::vector<std::string> arguments, const std::string &results,
                           division_route route) {
    const std::string checked = temp_path("checked.results");
    const std::string report = temp_path("report.txt");
    const std::string map = temp_path("map.svg");
    std::ofstream(checked, std::ios::binary) << results;
    std::remove(report.c_str());
    std::remove(map.c_str());
    for (std::string &argument : arguments) {
        if (argument == "MAP") argument = map;
    }
    arguments.insert(arguments.end(), {"--check", checked, "-o", report});
    check_output out;
    testing::internal::CaptureStderr();
    try {
        out.status = static_cast<int>(check_results(*parse(arguments), route));
    } catch (const tool_error &e) {
        out.status = static_cast<int>(e.status());
        out.messages = e.what();
    }
    out.messages += testing::internal::GetCapturedStderr();
    out.report = read_file(report);
    out.map = read_file(map);
    std::remove(checked.c_str());
    std::remove(report.c_str());
    std::remove(map.c_str());
    return out;
}

bool check_takes_words(std::vector<std::string> arguments, const std::string &results) {
    const std::string checked = temp_path("taken.results");
    std::ofstream(checked, std::ios::binary) << results;
    for (std::string &argument : arguments) {
        if (argument == "MAP") argument = checked + ".svg";
    }
    arguments.insert(arguments.end(), {"--check", checked});
    testing::internal::CaptureStderr(); // a refused configuration's message
    bool taken = false;
    try {
        const tool_options options = *parse(arguments);
        prepared_divider divider(options);
        result_rows rows(options, divider.layout);
        taken = checks_on_words(divider, rows);
    } catch (const tool_error &) {
        // refused before any route
    }
    testing::internal::GetCapturedStderr();
    std::remove(checked.c_str());
    return taken;
}

// The configuration flags of a run's arguments, without its samples.
std::vector<std::string> configuration_of(const std::vector<std::string> &run) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (run[i] == "--random" || run[i] == "--seed" || run[i] == "--jobs" || run[i] == "-f") {
            ++i; // and its value
        } else if (run[i] != "--header" && run[i] != "--no-header") {
            kept.push_back(run[i]);
        }
    }
    return kept;
}

// A DUT's faults and a writer's habits, applied to a results file: changed
// digits, undefined outputs and flags, a
// flipped flag, 0x prefixes, upper case, tabs, now and then a malformed or
// too wide row.
std::string with_faults(const std::string &results, std::mt19937_64 &random) {
    std::string out;
    std::size_t begin = 0;
    const bool malformed_row = random() % 8 == 0;
    const bool wide_operand = random() % 10 == 0;
    // One kind of fault a file, in rows far apart or close together, so
    // that a batch often holds a single fault.
    const auto kind = random() % 6;
    const auto one_in = 1 + random() % 300;
    while (begin < results.size()) {
        const std::size_t end = results.find('\n', begin);
        std::string line = results.substr(begin, end - begin);
        begin = end + 1;
        std::vector<std::string> cells;
        for (std::size_t at = 0; at <= line.size();) {
            const std::size_t blank = std::min(line.find(' ', at), line.size());
            cells.push_back(line.substr(at, blank - at));
            at = blank + 1;
        }
        if (line.rfind("//", 0) == 0 || cells.size() < 4) {
            out += line + '\n';
            continue;
        }
        const std::size_t outputs = cells.size() - 3; // after the operands, before the flag
        std::string &output = cells[2 + random() % outputs];
        std::string &flag = cells.back();
        switch (random() % one_in == 0 ? kind : 6) {
        case 0: // the lowest bit flipped: a wrong value of the right width
            if (!output.empty() && output.back() != 'x') output.back() = "1032547698badcfe"[std::stoi(output.substr(output.size() - 1), nullptr, 16)];
            break;
        case 1: output.assign(output.size(), 'x'); break;
        case 2: flag = "x"; break;
        case 3: flag = flag == "0" ? "1" : "0"; break;
        case 4: cells[random() % cells.size()].insert(0, "0x"); break;
        case 5:
            for (char &c : output) c = static_cast<char>(std::toupper(c));
            break;
        default: break;
        }
        if (wide_operand && random() % 40 == 0) cells[0] += "0"; // a digit too many
        if (malformed_row && random() % 60 == 0) out += "zz\n";
        std::string joined;
        for (const std::string &cell : cells) {
            joined += (joined.empty() ? "" : random() % 20 == 0 ? "\t" : " ") + cell;
        }
        out += joined + '\n';
    }
    return out;
}

// Hex files of random configurations, written by the tool, given faults,
// and checked both ways: the reports, the maps, the messages and the exit
// status (4 for differing rows, 5 for a missed required bin, 2 for a bad
// row) must be the same bytes. CSV files (never on words) take part too.
TEST(WordCheck, ChecksWriteTheGnuMpRoutesBytes) {
    std::mt19937_64 random(1848);
    const int rounds = 100;
    int faulty = 0;
    int taken = 0;
    int statuses[6] = {};
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::string> run = random_arguments(random);
        if (round % 4 != 0) {
            *(std::find(run.begin(), run.end(), "-f") + 1) = "hex";
        }
        const std::string results = run_through(run, division_route::gnu_mp_only).file;
        const std::string checked = round % 3 == 0 ? results : with_faults(results, random);
        faulty += checked != results ? 1 : 0;
        std::vector<std::string> check = configuration_of(run);
        if (random() % 3 == 0) check.insert(check.end(), {"--max-report", std::to_string(random() % 5)});
        if (random() % 3 == 0) check.push_back("--require-coverage");
        if (random() % 4 == 0) check.insert(check.end(), {"--map", "MAP"});
        const std::string command = command_of(run) + "| " + command_of(check);
        const check_output words = check_through(check, checked, division_route::words_where_in_reach);
        const check_output gnu_mp = check_through(check, checked, division_route::gnu_mp_only);
        ASSERT_EQ(words.status, gnu_mp.status) << command;
        ASSERT_EQ(words.messages, gnu_mp.messages) << command;
        ASSERT_EQ(words.report, gnu_mp.report) << command;
        ASSERT_EQ(words.map, gnu_mp.map) << command;
        ++statuses[words.status];
        taken += check_takes_words(check, checked) ? 1 : 0;
    }
    EXPECT_GT(faulty, rounds / 2);
    EXPECT_GT(taken, rounds / 2);
    for (const int status : {0, 2, 4, 5}) {
        EXPECT_GT(statuses[status], 0) << "no check ended with status " << status;
    }
}

TEST(WordRoute, TakenOnlyWhereItWritesTheSameRows) {
    auto with = [](std::vector<std::string> more, const char *jobs = "1") {
        more.insert(more.begin(), {"--random", "10", "--jobs", jobs});
        if (std::find(more.begin(), more.end(), "-f") == more.end()) {
            more.insert(more.end(), {"-f", "hex"});
        }
        return word_route_taken(more);
    };
    EXPECT_TRUE(with({}));
    EXPECT_TRUE(with({"--fractional", "-a", "high-radix", "--dividend-width", "32",
                      "--fractional-width", "30"}));
    EXPECT_FALSE(with({"--dividend-width", "65"})) << "a field past 64 bits";
    EXPECT_TRUE(word_route_taken({"--exhaustive", "--dividend-width", "6", "--divisor-width", "5",
                                  "-f", "csv"}))
        << "exhaustive pairs are words too";
    EXPECT_TRUE(with({"--coverage"})) << "rows are tallied from their words";
    EXPECT_TRUE(with({}, "2")) << "the parallel runner draws words in its workers";
    EXPECT_TRUE(with({"-f", "csv"}));
    EXPECT_TRUE(with({"-f", "table"})) << "table rows are padded from the words' text";
    EXPECT_FALSE(with(
        {"--fractional", "-a", "high-radix", "--dividend-width", "32", "--fractional-width", "31"}))
        << "B + F above 62";
}

} // namespace
