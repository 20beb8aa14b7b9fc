// The SystemC bench: each quodra::sc::divider_module runs beside a cycle
// model of a sequential divider (cycle_models.hpp) on the same clock, reset,
// start strobe and operands, and every output of the two is compared at
// every clock: busy, done, the result fields and div_by_zero (and, for High
// Radix, quotient_known and the quotient only where it is known). Operands:
// every pair of edge values, then random ones; the start strobe is random,
// so that starts while busy (ignored by both) are exercised too.
//
// Usage: quodra_systemc_bench [--inject-fault]
// --inject-fault gives the remainder-mode models the fault of leaving a
// negative dividend's remainder positive; the bench must then fail.
#include <systemc>

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "cycle_models.hpp"
#include "quodra_sc_divider.hpp"

namespace {

using quodra::sc::divider_module;
using quodra::sc::field_layout;
using quodra_sc_test::field_of;
using quodra_sc_test::library_divider;
using quodra_sc_test::power_of_two;
using quodra_sc_test::serial_divider;

unsigned total_mismatches = 0;
// Benches made, and those done: the last one done stops the simulation.
unsigned benches = 0;
unsigned stopped = 0;
constexpr unsigned random_samples = 200;
constexpr unsigned shown_mismatches = 20;

// Edge values of a W-bit port: zero, one, two, the extremes and their
// neighbours.
std::vector<mpz_class> edge_values(int width, bool is_signed) {
    const mpz_class top = is_signed ? power_of_two(width - 1) - 1 : power_of_two(width) - 1;
    const mpz_class bottom = is_signed ? mpz_class(-power_of_two(width - 1)) : mpz_class(0);
    std::vector<mpz_class> values{0, 1, top, top - 1, bottom};
    if (width > 1) {
        values.push_back(2);
    }
    if (is_signed) {
        values.push_back(-1);
        values.push_back(bottom + 1);
    } else {
        values.push_back(power_of_two(width - 1));
    }
    std::vector<mpz_class> in_range;
    for (const mpz_class &v : values) {
        if (v >= bottom && v <= top) {
            in_range.push_back(v);
        }
    }
    return in_range;
}

mpz_class random_pattern(std::mt19937_64 &rng, int width) {
    mpz_class value = 0;
    for (int bits = 0; bits < width; bits += 32) {
        value = value * power_of_two(32) + static_cast<unsigned long>(rng() & 0xffffffffu);
    }
    // Short and long operands alike: keep a random number of low bits.
    const int kept = 1 + static_cast<int>(rng() % static_cast<uint64_t>(width));
    return quodra_sc_test::wrap(value, kept);
}

quodra::config configuration_of(const std::string &name, int algorithm, int divisor_width, int dividend_width,
                                bool is_signed, bool fractional, int fraction_width) {
    quodra::config c;
    c.name = name;
    c.algorithm_type = algorithm;
    c.divisor_width = divisor_width;
    c.dividend_width = dividend_width;
    c.operand_sign = is_signed ? QUODRA_OPERAND_SIGNED : QUODRA_OPERAND_UNSIGNED;
    c.remainder_type = fractional ? QUODRA_OUTPUT_FRACTIONAL : QUODRA_OUTPUT_REMAINDER;
    c.fractional_width = fraction_width;
    return c;
}

// The module and a model side by side, the stimulus that drives both and
// the comparison of their outputs.
template <class Layout, class Model>
class pair_bench : public sc_core::sc_module {
public:
    using module_type = divider_module<Layout::algorithm, Layout::divisor_width, Layout::dividend_width,
                                       Layout::fraction_width, Layout::is_signed, Layout::fractional>;
    using dividend_type = typename Layout::dividend_type;
    using divisor_type = typename Layout::divisor_type;
    using quotient_type = typename Layout::quotient_type;
    using remainder_type = typename Layout::remainder_type;

    struct outputs {
        sc_core::sc_signal<bool> busy, done, div_by_zero, quotient_known;
        sc_core::sc_signal<quotient_type> quotient;
        sc_core::sc_signal<remainder_type> remainder;
    };

    SC_HAS_PROCESS(pair_bench);
    pair_bench(const sc_core::sc_module_name &name, sc_core::sc_clock &clock, std::unique_ptr<Model> model,
               const quodra::config &configuration, unsigned latency, uint64_t seed)
        : sc_core::sc_module(name), module_("module", configuration, latency), model_(std::move(model)),
          rng_(seed) {
        bind(module_, clock, module_out_);
        bind(*model_, clock, model_out_);
        queue_samples();
        SC_METHOD(drive);
        sensitive << clock.posedge_event();
        dont_initialize();
        SC_METHOD(compare);
        sensitive << clock.negedge_event();
        dont_initialize();
    }

    bool finished() const { return finished_; }
    const module_type &module() const { return module_; }
    const Model &model() const { return *model_; }

private:
    template <class Device>
    void bind(Device &device, sc_core::sc_clock &clock, outputs &out) {
        device.clk(clock);
        device.rst_n(rst_n_);
        device.start(start_);
        device.dividend(dividend_);
        device.divisor(divisor_);
        device.busy(out.busy);
        device.done(out.done);
        device.quotient(out.quotient);
        device.remainder(out.remainder);
        device.div_by_zero(out.div_by_zero);
        device.quotient_known(out.quotient_known);
    }

    void queue_samples() {
        for (const mpz_class &n : edge_values(Layout::dividend_width, Layout::is_signed)) {
            for (const mpz_class &d : edge_values(Layout::divisor_width, Layout::is_signed)) {
                samples_.emplace_back(n, d);
            }
        }
        for (unsigned i = 0; i < random_samples; ++i) {
            samples_.emplace_back(random_pattern(rng_, Layout::dividend_width),
                                  random_pattern(rng_, Layout::divisor_width));
        }
    }

    // At each rising edge: count the start the devices just took, then set
    // the strobe and operands they sample at the next edge. Operands change
    // at every clock, so a device that read them late would see others.
    void drive() {
        ++cycle_;
        if (cycle_ <= 2) {
            rst_n_.write(cycle_ == 2);
            return;
        }
        if (start_.read() && !model_out_.busy.read()) {
            samples_.pop_front();
            ++taken_;
        }
        if (samples_.empty()) {
            start_.write(false);
            finished_ = finished_ || (!model_out_.busy.read() && !start_.read());
            if (finished_ && ++idle_ > 2) {
                report_and_stop();
            }
            return;
        }
        const bool strobe = rng_() % 4 != 0;
        start_.write(strobe);
        const bool hold = strobe && !model_out_.busy.read();
        dividend_.write(field_of<dividend_type, Layout::dividend_width>(
            hold ? samples_.front().first : random_pattern(rng_, Layout::dividend_width)));
        divisor_.write(field_of<divisor_type, Layout::divisor_width>(
            hold ? samples_.front().second : random_pattern(rng_, Layout::divisor_width)));
    }

    void report_and_stop() {
        if (reported_) {
            return;
        }
        reported_ = true;
        std::cout << name() << ": " << taken_ << " samples, " << mismatches_ << " mismatches, "
                  << module_.ignored_starts() << " starts ignored while busy, "
                  << (module_.on_words() ? "word batch" : "GNU MP") << " path\n";
        if (++stopped == benches) {
            sc_core::sc_stop();
        }
    }

    template <class T>
    void check(const char *field, const T &model, const T &module) {
        if (model == module) {
            return;
        }
        ++mismatches_;
        if (++total_mismatches <= shown_mismatches) {
            std::cout << "MISMATCH " << name() << " cycle " << cycle_ << " " << field << ": model " << model
                      << ", module " << module << "\n";
        }
    }

    void compare() {
        check("busy", model_out_.busy.read(), module_out_.busy.read());
        check("done", model_out_.done.read(), module_out_.done.read());
        check("div_by_zero", model_out_.div_by_zero.read(), module_out_.div_by_zero.read());
        check("quotient_known", model_out_.quotient_known.read(), module_out_.quotient_known.read());
        if (!Layout::signed_quotient_value || model_out_.quotient_known.read()) {
            check("quotient", model_out_.quotient.read(), module_out_.quotient.read());
        }
        check("remainder", model_out_.remainder.read(), module_out_.remainder.read());
    }

    module_type module_;
    std::unique_ptr<Model> model_;
    std::mt19937_64 rng_;
    sc_core::sc_signal<bool> rst_n_, start_;
    sc_core::sc_signal<dividend_type> dividend_;
    sc_core::sc_signal<divisor_type> divisor_;
    outputs module_out_, model_out_;
    std::deque<std::pair<mpz_class, mpz_class>> samples_;
    uint64_t cycle_ = 0;
    unsigned taken_ = 0;
    unsigned mismatches_ = 0;
    unsigned idle_ = 0;
    bool finished_ = false;
    bool reported_ = false;
};

} // namespace

int sc_main(int argc, char *argv[]) {
    const bool inject_fault = argc > 1 && std::strcmp(argv[1], "--inject-fault") == 0;
    sc_core::sc_clock clock("clock", 10, sc_core::SC_NS);
    std::vector<std::unique_ptr<sc_core::sc_module>> keep;
    std::vector<std::function<unsigned()>> law_failures;
    uint64_t seed = 20261209;

    auto remainder_pair = [&](auto layout, const char *name) {
        using L = decltype(layout);
        using model = serial_divider<L>;
        const quodra::config c = configuration_of(name, QUODRA_ALGORITHM_RADIX2, L::divisor_width,
                                                  L::dividend_width, L::is_signed, false, 0);
        keep.push_back(std::make_unique<pair_bench<L, model>>(
            name, clock, std::make_unique<model>((std::string(name) + "_model").c_str(), inject_fault), c,
            model::latency, ++seed));
    };
    auto radix2_pair = [&](auto layout, const char *name) {
        using L = decltype(layout);
        using model = serial_divider<L>;
        const quodra::config c = configuration_of(name, QUODRA_ALGORITHM_RADIX2, L::divisor_width,
                                                  L::dividend_width, false, true, L::fraction_width);
        keep.push_back(std::make_unique<pair_bench<L, model>>(
            name, clock, std::make_unique<model>((std::string(name) + "_model").c_str(), false), c,
            model::latency, ++seed));
    };
    auto high_radix_pair = [&](auto layout, const char *name, unsigned latency) {
        using L = decltype(layout);
        using model = library_divider<L>;
        const quodra::config c = configuration_of(name, QUODRA_ALGORITHM_HIGH_RADIX, L::divisor_width,
                                                  L::dividend_width, true, true, L::fraction_width);
        auto device = std::make_unique<model>((std::string(name) + "_model").c_str(), c, latency);
        const model *watched = device.get();
        law_failures.push_back([watched] { return watched->law_failures(); });
        keep.push_back(
            std::make_unique<pair_bench<L, model>>(name, clock, std::move(device), c, latency, ++seed));
    };

    constexpr int R2 = QUODRA_ALGORITHM_RADIX2;
    constexpr int HR = QUODRA_ALGORITHM_HIGH_RADIX;
    // Remainder mode: words, words at their limit, GNU MP past it, one bit.
    remainder_pair(field_layout<R2, 8, 8, 0, true, false>(), "rem_s8_8");
    remainder_pair(field_layout<R2, 8, 8, 0, false, false>(), "rem_u8_8");
    remainder_pair(field_layout<R2, 17, 33, 0, true, false>(), "rem_s33_17");
    remainder_pair(field_layout<R2, 64, 64, 0, true, false>(), "rem_s64_64");
    remainder_pair(field_layout<R2, 64, 64, 0, false, false>(), "rem_u64_64");
    remainder_pair(field_layout<R2, 70, 100, 0, true, false>(), "rem_s100_70");
    remainder_pair(field_layout<R2, 1, 3, 0, true, false>(), "rem_s3_1");
    // Radix-2 fractional, unsigned: registers of 24, 64 and 78 bits.
    radix2_pair(field_layout<R2, 8, 16, 8, false, true>(), "r2_u16_8_f8");
    radix2_pair(field_layout<R2, 24, 40, 24, false, true>(), "r2_u40_24_f24");
    radix2_pair(field_layout<R2, 40, 48, 30, false, true>(), "r2_u48_40_f30");
    radix2_pair(field_layout<R2, 5, 7, 0, false, true>(), "r2_u7_5_f0");
    // High Radix: words (B + F + 1 <= 64), and GNU MP past them.
    high_radix_pair(field_layout<HR, 16, 16, 12, true, true>(), "hr_16_16_f12", 3);
    high_radix_pair(field_layout<HR, 12, 24, 20, true, true>(), "hr_24_12_f20", 1);
    high_radix_pair(field_layout<HR, 30, 40, 40, true, true>(), "hr_40_30_f40", 7);

    benches = static_cast<unsigned>(keep.size());
    sc_core::sc_start(50, sc_core::SC_MS);

    unsigned law = 0;
    for (const auto &failures : law_failures) {
        law += failures();
    }
    if (law != 0) {
        std::cout << "MISMATCH " << law << " High Radix quotients break |Q*D - N*2^F| < |D|\n";
    }
    const bool all_stopped = stopped == benches;
    if (!all_stopped) {
        std::cout << "MISMATCH only " << stopped << " of " << benches << " benches finished\n";
    }
    const unsigned failures = total_mismatches + law + (all_stopped ? 0 : 1);
    std::cout << (failures == 0 ? "bench passed"
                                : "bench FAILED: " + std::to_string(failures) + " mismatches")
              << "\n";
    return failures == 0 ? 0 : 1;
}
