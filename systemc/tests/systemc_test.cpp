// The SystemC kit's unit tests: the constructors' refusals, the TLM
// target's payload and responses, the word route against the GNU MP
// route on the same operands, and the word library's entry points. The
// clocked module's timing and results are the bench's (systemc_bench.cpp).
#include <gtest/gtest.h>

#include <systemc>
#include <tlm>
#include <tlm_utils/simple_initiator_socket.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "quodra_sc_divider.hpp"
#include "quodra_sc_target.hpp"

namespace {

using quodra::sc::divider_module;
using quodra::sc::divider_target;
using quodra::sc::division_route;
using quodra::sc::field_divider;
using quodra::sc::field_layout;

constexpr int R2 = QUODRA_ALGORITHM_RADIX2;
constexpr int HR = QUODRA_ALGORITHM_HIGH_RADIX;

quodra::config configuration_of(int algorithm, int divisor_width, int dividend_width, bool is_signed,
                                bool fractional = false, int fraction_width = 0) {
    quodra::config c;
    c.name = "sc";
    c.algorithm_type = algorithm;
    c.divisor_width = divisor_width;
    c.dividend_width = dividend_width;
    c.operand_sign = is_signed ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
    c.remainder_type = fractional ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER;
    c.fractional_width = fraction_width;
    return c;
}

// SystemC elaborates once a process: after a test has run the simulation,
// no module can be made. CTest runs each test in its own process; a run of
// the whole program skips what it can no longer build.
#define REQUIRE_ELABORATION()                                                                                \
    if (sc_core::sc_get_status() != sc_core::SC_ELABORATION) {                                               \
        GTEST_SKIP() << "the simulation already ran in this process: run this test on its own";              \
    }

template <class Call>
std::string refusal_of(Call call) {
    try {
        call();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "(no refusal)";
}

TEST(SystemcModule, RefusesAConfigurationOfOtherWidthsNamingEachField) {
    REQUIRE_ELABORATION();
    using module = divider_module<R2, 8, 16>;
    // The widths swapped, as a caller reading the ports in the wrong order gives.
    const std::string message = refusal_of([] { module m("swapped", configuration_of(R2, 16, 8, true), 1); });
    EXPECT_EQ(message, "quodra::sc: configuration 'sc' does not match the module's template: "
                       "divisor_width 16 (the ports are for 8), dividend_width 8 (the ports are for 16)");
    // The name is free again: the refused module left nothing in the hierarchy.
    EXPECT_NO_THROW(module("swapped", configuration_of(R2, 8, 16, true), 1));
}

TEST(SystemcModule, RefusesOtherSignOutputTypeFractionAndAlgorithm) {
    REQUIRE_ELABORATION();
    EXPECT_NE(refusal_of([] {
                  divider_module<R2, 8, 8>("m", configuration_of(R2, 8, 8, false), 1);
              }).find("operand_sign 0 (the ports are for 1)"),
              std::string::npos);
    EXPECT_NE(refusal_of([] {
                  divider_module<R2, 8, 8>("m", configuration_of(R2, 8, 8, true, true, 4), 1);
              }).find("remainder_type 1 (the ports are for 0)"),
              std::string::npos);
    EXPECT_NE(refusal_of([] {
                  divider_module<HR, 8, 8, 4, true, true>("m", configuration_of(HR, 8, 8, true, true, 5), 1);
              }).find("fractional_width 5 (the ports are for 4)"),
              std::string::npos);
    EXPECT_NE(refusal_of([] {
                  divider_target<R2, 8, 8>("t", configuration_of(HR, 8, 8, true), sc_core::SC_ZERO_TIME);
              }).find("algorithm_type 3 (the ports are for 1)"),
              std::string::npos);
}

TEST(SystemcModule, RefusesWhatTheLibraryRefusesAndALatencyOfZero) {
    REQUIRE_ELABORATION();
    EXPECT_EQ(refusal_of([] {
                  divider_module<HR, 8, 8, 4, false, true>("m", configuration_of(HR, 8, 8, false, true, 4),
                                                           1);
              }),
              "Operand sign must be Signed for the High Radix algorithm");
    EXPECT_EQ(refusal_of([] { divider_module<R2, 8, 8>("m", configuration_of(R2, 8, 8, true), 0); }),
              "quodra::sc: a clocked divider needs a latency of at least 1 clock");
}

// Drives start high at every clock and a new dividend each clock (divisor 1,
// so the quotient names the dividend that was taken), and records the
// outputs after every rising edge; resets at the end.
struct timing_probe : sc_core::sc_module {
    using module = divider_module<R2, 8, 8, 0, false, false>;
    sc_core::sc_clock clk{"clk", 10, sc_core::SC_NS};
    sc_core::sc_signal<bool> rst_n{"rst_n"}, start{"start"}, busy{"busy"}, done{"done"};
    sc_core::sc_signal<bool> div_by_zero{"div_by_zero"}, quotient_known{"quotient_known"};
    sc_core::sc_signal<module::dividend_type> dividend{"dividend"};
    sc_core::sc_signal<module::divisor_type> divisor{"divisor"};
    sc_core::sc_signal<module::quotient_type> quotient{"quotient"};
    sc_core::sc_signal<module::remainder_type> remainder{"remainder"};
    module core;
    std::vector<std::string> trace; // "busy done quotient known" after each edge
    unsigned edge = 0;

    SC_HAS_PROCESS(timing_probe);
    explicit timing_probe(const sc_core::sc_module_name &name)
        : sc_core::sc_module(name), core("core", configuration_of(R2, 8, 8, false), 3) {
        core.clk(clk);
        core.rst_n(rst_n);
        core.start(start);
        core.dividend(dividend);
        core.divisor(divisor);
        core.busy(busy);
        core.done(done);
        core.quotient(quotient);
        core.remainder(remainder);
        core.div_by_zero(div_by_zero);
        core.quotient_known(quotient_known);
        SC_METHOD(on_falling_edge);
        sensitive << clk.negedge_event();
        dont_initialize();
    }

    void on_falling_edge() {
        trace.push_back(std::to_string(busy.read()) + " " + std::to_string(done.read()) + " " +
                        quotient.read().to_string(sc_dt::SC_DEC) + " " +
                        std::to_string(quotient_known.read()));
        rst_n.write(edge < 9);
        start.write(true);
        divisor.write(1);
        dividend.write(++edge);
    }
};

TEST(SystemcModule, TakesAStartWhenIdleIgnoresStartsWhileBusyAndPulsesDoneAfterItsLatency) {
    REQUIRE_ELABORATION();
    timing_probe probe("probe");
    sc_core::sc_start(110, sc_core::SC_NS); // rising edges at 0, 10, ..., 100
    // Edge 0 is in reset; edge 1 takes dividend 1; edges 2 and 3 are busy;
    // edge 4 delivers it (done for one clock) while its start is ignored;
    // edge 5 takes dividend 5, edge 8 delivers it; rst_n falls after edge 9.
    const std::vector<std::string> expected{"0 0 0 0", "1 0 0 0", "1 0 0 0", "1 0 0 0", "0 1 1 1", "1 0 1 1",
                                            "1 0 1 1", "1 0 1 1", "0 1 5 1", "1 0 5 1", "0 0 0 0"};
    EXPECT_EQ(probe.trace, expected);
    EXPECT_EQ(probe.core.ignored_starts(), 6u); // edges 2, 3, 4, 6, 7, 8
}

// Words and GNU MP integers give the same fields for every operand, the
// extremes and zero divisors included.
template <class Layout>
void expect_routes_agree(const quodra::config &c, bool expect_words) {
    SCOPED_TRACE(std::to_string(Layout::dividend_width) + "/" + std::to_string(Layout::divisor_width) +
                 " F " + std::to_string(Layout::fraction_width));
    field_divider<Layout> fast(c);
    field_divider<Layout> exact(c, division_route::gnu_mp_only);
    ASSERT_EQ(fast.on_words(), expect_words);
    ASSERT_FALSE(exact.on_words());
    std::mt19937_64 rng(Layout::dividend_width * 131 + Layout::divisor_width);
    std::vector<uint64_t> specials{0, 1, ~uint64_t{0}, uint64_t{1} << 63, (uint64_t{1} << 63) - 1, 2};
    for (int i = 0; i < 2000; ++i) {
        const uint64_t n = i < 36 ? specials[i % 6] : rng() >> (rng() % 64);
        const uint64_t d = i < 36 ? specials[i / 6] : rng() >> (rng() % 64);
        typename Layout::dividend_type dividend = sc_dt::sc_biguint<Layout::dividend_width>(n);
        typename Layout::divisor_type divisor = sc_dt::sc_biguint<Layout::divisor_width>(d);
        const auto a = fast.divide(dividend, divisor);
        const auto b = exact.divide(dividend, divisor);
        ASSERT_EQ(a.quotient, b.quotient) << dividend << " / " << divisor;
        ASSERT_EQ(a.remainder, b.remainder) << dividend << " / " << divisor;
        ASSERT_EQ(a.div_by_zero, b.div_by_zero) << dividend << " / " << divisor;
        ASSERT_EQ(a.quotient_known, b.quotient_known) << dividend << " / " << divisor;
    }
}

TEST(SystemcFields, WordRouteMatchesGnuMpRoute) {
    expect_routes_agree<field_layout<R2, 64, 64, 0, true, false>>(configuration_of(R2, 64, 64, true), true);
    expect_routes_agree<field_layout<R2, 13, 29, 0, false, false>>(configuration_of(R2, 13, 29, false), true);
    expect_routes_agree<field_layout<R2, 20, 40, 24, false, true>>(
        configuration_of(R2, 20, 40, false, true, 24), true);
    expect_routes_agree<field_layout<R2, 20, 40, 24, true, true>>(
        configuration_of(R2, 20, 40, true, true, 24), true);
    // High Radix: the word batch takes B + F <= 62.
    expect_routes_agree<field_layout<HR, 24, 32, 30, true, true>>(
        configuration_of(HR, 24, 32, true, true, 30), true);
    expect_routes_agree<field_layout<HR, 1, 1, 0, true, true>>(configuration_of(HR, 1, 1, true, true, 0),
                                                               true);
    // One bit past its reach, though the 64-bit register fits a word: GNU MP.
    expect_routes_agree<field_layout<HR, 24, 32, 31, true, true>>(
        configuration_of(HR, 24, 32, true, true, 31), false);
}

// libquodra_systemc's C entry points, which the fields above reach through
// field_divider: a handle only where the word batch takes the configuration
// with the asked readings, and 0 for a sample whose result its reading
// cannot hold, so that the caller divides it on GNU MP integers.
TEST(SystemcWordsLibrary, OpensOnlyConfigurationsTheWordBatchReaches) {
    struct row {
        quodra::config configuration;
        int signed_operands;
        int signed_quotient;
        bool opens;
    };
    const std::vector<row> rows{
        {configuration_of(R2, 64, 64, true), 1, 0, true},
        {configuration_of(R2, 13, 29, false), 0, 0, true},
        {configuration_of(HR, 24, 32, true, true, 30), 1, 1, true},
        {configuration_of(HR, 24, 32, true, true, 31), 1, 1, false}, // B + F = 63
        {configuration_of(R2, 64, 65, true), 1, 0, false},           // a signed field past 64 bits
        {configuration_of(HR, 8, 8, false, true, 4), 0, 1, false},   // refused: High Radix is signed
    };
    for (const row &r : rows) {
        const qor_quodra_v5_1_config record = r.configuration.to_c();
        quodra_sc_words *words = quodra_sc_words_open(&record, r.signed_operands, r.signed_quotient);
        EXPECT_EQ(words != nullptr, r.opens) << record.algorithm_type << " " << record.dividend_width << "/"
                                             << record.divisor_width << " F " << record.fractional_width;
        quodra_sc_words_close(words);
    }
    EXPECT_EQ(quodra_sc_words_open(nullptr, 1, 0), nullptr);
    quodra_sc_words_close(nullptr);
}

TEST(SystemcWordsLibrary, DividesOneSampleAndRefusesOneItsQuotientReadingCannotHold) {
    const auto bits = [](int64_t value) { return static_cast<uint64_t>(value); };
    const quodra::config remainder_mode = configuration_of(R2, 8, 8, true);
    const qor_quodra_v5_1_config remainder_record = remainder_mode.to_c();
    quodra_sc_words *words = quodra_sc_words_open(&remainder_record, 1, 0);
    ASSERT_NE(words, nullptr);
    quodra_sc_word_sample sample{0, 0, 0};
    // Remainder mode writes 8-bit patterns: -7 / 2 truncates to -3 (0xfd), remainder -1 (0xff).
    ASSERT_EQ(quodra_sc_words_divide_one(words, bits(-7), 2, &sample), 1);
    EXPECT_EQ(sample.quotient, 0xfdu);
    EXPECT_EQ(sample.remainder, 0xffu);
    EXPECT_EQ(sample.div_by_zero, 0u);
    ASSERT_EQ(quodra_sc_words_divide_one(words, 5, 0, &sample), 1);
    EXPECT_EQ(sample.div_by_zero, 1u);
    EXPECT_EQ(quodra_sc_words_divide_one(words, 5, 2, nullptr), 0);
    EXPECT_EQ(quodra_sc_words_divide_one(nullptr, 5, 2, &sample), 0);
    quodra_sc_words_close(words);

    // The High Radix quotient is the signed value Q = quotient x 2^F; read
    // as a uint64 a negative Q does not fit, a positive one does.
    const quodra::config fractional = configuration_of(HR, 8, 8, true, true, 4);
    const qor_quodra_v5_1_config fractional_record = fractional.to_c();
    words = quodra_sc_words_open(&fractional_record, 1, 0);
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(quodra_sc_words_divide_one(words, bits(-6), 4, &sample), 0);
    ASSERT_EQ(quodra_sc_words_divide_one(words, 6, 4, &sample), 1);
    EXPECT_EQ(sample.quotient, 24u); // 1.5 x 2^4
    quodra_sc_words_close(words);
}

// The target's payload for 16-bit dividends and 8-bit divisors, signed
// remainder mode: dividend 2 bytes, divisor 1, quotient 2, remainder 1, flags 1.
using target16x8 = divider_target<R2, 8, 16>;

std::vector<unsigned char> request(uint16_t dividend, uint8_t divisor) {
    std::vector<unsigned char> bytes(target16x8::payload_bytes, 0xee);
    bytes[0] = static_cast<unsigned char>(dividend & 0xff);
    bytes[1] = static_cast<unsigned char>(dividend >> 8);
    bytes[2] = divisor;
    return bytes;
}

void prepare(tlm::tlm_generic_payload &t, std::vector<unsigned char> &bytes) {
    t.set_command(tlm::TLM_READ_COMMAND);
    t.set_address(0);
    t.set_data_ptr(bytes.data());
    t.set_data_length(static_cast<unsigned>(bytes.size()));
    t.set_streaming_width(static_cast<unsigned>(bytes.size()));
    t.set_byte_enable_ptr(nullptr);
    t.set_response_status(tlm::TLM_INCOMPLETE_RESPONSE);
}

// Sends its transactions through a bound socket at time 0 from an
// SC_METHOD, as a loosely timed initiator would.
struct initiator : sc_core::sc_module {
    tlm_utils::simple_initiator_socket<initiator> socket;
    std::vector<tlm::tlm_generic_payload *> transactions;
    std::vector<sc_core::sc_time> delays;

    SC_HAS_PROCESS(initiator);
    explicit initiator(const sc_core::sc_module_name &name) : sc_core::sc_module(name), socket("socket") {
        SC_METHOD(send);
    }
    void send() {
        for (tlm::tlm_generic_payload *t : transactions) {
            sc_core::sc_time delay(5, sc_core::SC_NS);
            socket->b_transport(*t, delay);
            delays.push_back(delay);
        }
    }
};

TEST(SystemcTarget, DividesThroughABoundSocketAndAnnotatesItsDelay) {
    REQUIRE_ELABORATION();
    target16x8 target("target", configuration_of(R2, 8, 16, true), sc_core::sc_time(20, sc_core::SC_NS));
    initiator sender("sender");
    sender.socket.bind(target.socket);
    std::vector<unsigned char> negative = request(static_cast<uint16_t>(-1000), static_cast<uint8_t>(7));
    std::vector<unsigned char> zero = request(1234, 0);
    tlm::tlm_generic_payload a, b;
    prepare(a, negative);
    prepare(b, zero);
    sender.transactions = {&a, &b};
    sc_core::sc_start(1, sc_core::SC_NS);

    ASSERT_EQ(sender.delays.size(), 2u);
    EXPECT_EQ(a.get_response_status(), tlm::TLM_OK_RESPONSE);
    EXPECT_EQ(sender.delays[0], sc_core::sc_time(25, sc_core::SC_NS));
    // -1000 / 7 = -142 rem -6: 0xff72 and 0xfa, div_by_zero 0, quotient known.
    EXPECT_EQ(negative, (std::vector<unsigned char>{0x18, 0xfc, 0x07, 0x72, 0xff, 0xfa, 0x02}));
    EXPECT_EQ(b.get_response_status(), tlm::TLM_OK_RESPONSE);
    EXPECT_EQ(zero, (std::vector<unsigned char>{0xd2, 0x04, 0x00, 0x00, 0x00, 0x00, 0x03}));
}

TEST(SystemcTarget, HighRadixZeroDivisorLeavesTheQuotientUnknown) {
    REQUIRE_ELABORATION();
    // 8.4 signed High Radix: dividend 1, divisor 1, quotient 9 bits (2), fraction 4 bits (1), flags.
    using target = divider_target<HR, 8, 8, 4, true, true>;
    ASSERT_EQ(target::payload_bytes, 6u);
    target t("hr", configuration_of(HR, 8, 8, true, true, 4), sc_core::SC_ZERO_TIME);
    std::vector<unsigned char> most_negative{0x80, 0xff, 0xee, 0xee, 0xee, 0xee};
    std::vector<unsigned char> zero{0x05, 0x00, 0xee, 0xee, 0xee, 0xee};
    tlm::tlm_generic_payload a, b;
    sc_core::sc_time delay = sc_core::SC_ZERO_TIME;
    prepare(a, most_negative);
    prepare(b, zero);
    t.b_transport(a, delay);
    t.b_transport(b, delay);
    // -128 / -1 = +128: the 9-bit integer part 0x080, fraction 0.
    EXPECT_EQ(most_negative, (std::vector<unsigned char>{0x80, 0xff, 0x80, 0x00, 0x00, 0x02}));
    EXPECT_EQ(zero, (std::vector<unsigned char>{0x05, 0x00, 0x00, 0x00, 0x00, 0x01}));
}

TEST(SystemcTarget, RefusesBadTransactionsWithTheirStatusAndTouchesNothing) {
    REQUIRE_ELABORATION();
    target16x8 target("target", configuration_of(R2, 8, 16, true), sc_core::sc_time(20, sc_core::SC_NS));
    struct bad_case {
        const char *what;
        void (*spoil)(tlm::tlm_generic_payload &, std::vector<unsigned char> &);
        tlm::tlm_response_status expected;
    };
    static unsigned char enables[7] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    const bad_case cases[] = {
        {"write",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) {
             t.set_command(tlm::TLM_WRITE_COMMAND);
         },
         tlm::TLM_COMMAND_ERROR_RESPONSE},
        {"ignore",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) {
             t.set_command(tlm::TLM_IGNORE_COMMAND);
         },
         tlm::TLM_COMMAND_ERROR_RESPONSE},
        {"address", [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) { t.set_address(8); },
         tlm::TLM_ADDRESS_ERROR_RESPONSE},
        {"byte enables",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) {
             t.set_byte_enable_ptr(enables);
             t.set_byte_enable_length(7);
         },
         tlm::TLM_BYTE_ENABLE_ERROR_RESPONSE},
        {"short", [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) { t.set_data_length(6); },
         tlm::TLM_BURST_ERROR_RESPONSE},
        {"long",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &b) {
             b.resize(8, 0xee);
             t.set_data_ptr(b.data());
             t.set_data_length(8);
             t.set_streaming_width(8);
         },
         tlm::TLM_BURST_ERROR_RESPONSE},
        {"empty", [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) { t.set_data_length(0); },
         tlm::TLM_BURST_ERROR_RESPONSE},
        {"streaming",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) { t.set_streaming_width(2); },
         tlm::TLM_BURST_ERROR_RESPONSE},
        {"null data",
         [](tlm::tlm_generic_payload &t, std::vector<unsigned char> &) { t.set_data_ptr(nullptr); },
         tlm::TLM_GENERIC_ERROR_RESPONSE},
    };
    for (const bad_case &c : cases) {
        std::vector<unsigned char> bytes = request(100, 7);
        tlm::tlm_generic_payload t;
        prepare(t, bytes);
        c.spoil(t, bytes);
        const std::vector<unsigned char> before = bytes;
        sc_core::sc_time delay(5, sc_core::SC_NS);
        target.b_transport(t, delay);
        EXPECT_EQ(t.get_response_status(), c.expected) << c.what;
        EXPECT_EQ(bytes, before) << c.what;
        EXPECT_EQ(delay, sc_core::sc_time(5, sc_core::SC_NS)) << c.what;
        t.set_data_ptr(nullptr);
        t.set_byte_enable_ptr(nullptr);
    }
}

} // namespace

int sc_main(int argc, char *argv[]) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
