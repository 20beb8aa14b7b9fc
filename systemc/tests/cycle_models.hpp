// Cycle models of sequential dividers, the devices the SystemC bench checks
// quodra::sc::divider_module against clock by clock. They share the
// module's handshake (start taken when not busy, a one-clock done pulse,
// starts ignored while busy) but compute their results their own way:
//
//   serial_divider     a radix-2 restoring divider, one quotient bit per
//                      clock: remainder mode (signed operands divided as
//                      magnitudes, signs applied at the end) and the unsigned
//                      Radix-2 fractional register floor(N * 2^F / D), all
//                      ones for D = 0; DIVIDEND_W + F + 1 clocks from start
//                      to done. fault_remainder_sign leaves a negative
//                      dividend's remainder positive: the bench must see it.
//   library_divider    the High Radix core as the C++ layer returns it on
//                      GNU MP integers, cut into fields here, after a fixed
//                      latency; each quotient is also held to the core's law
//                      |Q * D - N * 2^F| < |D|.
#ifndef QUODRA_SYSTEMC_TESTS_CYCLE_MODELS_HPP
#define QUODRA_SYSTEMC_TESTS_CYCLE_MODELS_HPP

#include <systemc>

#include <cstdint>
#include <string>

#include "quodra_sc_fields.hpp"

namespace quodra_sc_test {

using quodra::sc::detail::field_of;
using quodra::sc::detail::value_of;

inline mpz_class power_of_two(int exponent) {
    mpz_class p;
    mpz_setbit(p.get_mpz_t(), static_cast<mp_bitcnt_t>(exponent));
    return p;
}

// x mod 2^width, non-negative.
inline mpz_class wrap(const mpz_class &x, int width) {
    mpz_class r;
    mpz_fdiv_r_2exp(r.get_mpz_t(), x.get_mpz_t(), static_cast<mp_bitcnt_t>(width));
    return r;
}

// The ports every model shares with the module.
template <class Layout>
struct model_ports : sc_core::sc_module {
    sc_core::sc_in<bool> clk;
    sc_core::sc_in<bool> rst_n;
    sc_core::sc_in<bool> start;
    sc_core::sc_in<typename Layout::dividend_type> dividend;
    sc_core::sc_in<typename Layout::divisor_type> divisor;
    sc_core::sc_out<bool> busy;
    sc_core::sc_out<bool> done;
    sc_core::sc_out<typename Layout::quotient_type> quotient;
    sc_core::sc_out<typename Layout::remainder_type> remainder;
    sc_core::sc_out<bool> div_by_zero;
    sc_core::sc_out<bool> quotient_known;

    explicit model_ports(const sc_core::sc_module_name &name)
        : sc_core::sc_module(name), clk("clk"), rst_n("rst_n"), start("start"), dividend("dividend"),
          divisor("divisor"), busy("busy"), done("done"), quotient("quotient"), remainder("remainder"),
          div_by_zero("div_by_zero"), quotient_known("quotient_known") {}

    void clear_outputs() {
        busy.write(false);
        done.write(false);
        quotient.write(0);
        remainder.write(0);
        div_by_zero.write(false);
        quotient_known.write(false);
    }
};

template <class Layout>
class serial_divider : public model_ports<Layout> {
public:
    static constexpr int B = Layout::dividend_width;
    static constexpr int A = Layout::divisor_width;
    static constexpr int F = Layout::fraction_width;
    static constexpr int steps = B + F; // one quotient bit a clock
    static_assert(!Layout::fractional || !Layout::is_signed, "the fractional model is unsigned");

    SC_HAS_PROCESS(serial_divider);
    serial_divider(const sc_core::sc_module_name &name, bool fault_remainder_sign)
        : model_ports<Layout>(name), fault_remainder_sign_(fault_remainder_sign) {
        SC_METHOD(on_edge);
        this->sensitive << this->clk.pos() << this->rst_n.neg();
        this->dont_initialize();
    }

    static constexpr unsigned latency = steps + 1;

private:
    void on_edge() {
        if (!this->rst_n.read()) {
            this->clear_outputs();
            busy_ = false;
            return;
        }
        this->done.write(false);
        if (!busy_) {
            if (this->start.read()) {
                load();
            }
        } else if (steps_left_ != 0) {
            step();
        } else {
            finish();
        }
    }

    void load() {
        const mpz_class n = value_of(this->dividend.read(), B, Layout::is_signed);
        const mpz_class d = value_of(this->divisor.read(), A, Layout::is_signed);
        bits_ = abs(n) * power_of_two(F); // the dividend magnitude shifting out, quotient bits in
        partial_ = 0;
        magnitude_ = abs(d);
        negate_quotient_ = (n < 0) != (d < 0);
        negate_remainder_ = n < 0;
        zero_divisor_ = d == 0;
        steps_left_ = steps;
        busy_ = true;
        this->busy.write(true);
    }

    // One restoring step: the next dividend bit into the partial remainder,
    // then the divisor subtracted if it fits.
    void step() {
        const int top = steps - 1;
        mpz_class shifted = partial_ * 2 + (mpz_tstbit(bits_.get_mpz_t(), top) != 0 ? 1 : 0);
        const bool fits = shifted >= magnitude_;
        partial_ = fits ? mpz_class(shifted - magnitude_) : shifted;
        bits_ = wrap(bits_ * 2 + (fits ? 1 : 0), steps);
        --steps_left_;
    }

    void finish() {
        busy_ = false;
        this->busy.write(false);
        this->done.write(true);
        this->div_by_zero.write(zero_divisor_);
        this->quotient_known.write(true);
        if (Layout::fractional) {
            // bits_ is the register: all ones for a zero divisor, as every
            // trial subtraction of 0 fits.
            this->quotient.write(
                field_of<typename Layout::quotient_type, Layout::quotient_width>(bits_ >> F));
            this->remainder.write(field_of<typename Layout::remainder_type, Layout::remainder_width>(
                F > 0 ? wrap(bits_, F) : mpz_class(0)));
            return;
        }
        const bool sign_remainder = negate_remainder_ && !fault_remainder_sign_;
        const mpz_class q = zero_divisor_ ? mpz_class(0) : negate_quotient_ ? mpz_class(-bits_) : bits_;
        const mpz_class r = zero_divisor_ ? mpz_class(0) : sign_remainder ? mpz_class(-partial_) : partial_;
        this->quotient.write(field_of<typename Layout::quotient_type, Layout::quotient_width>(q));
        this->remainder.write(field_of<typename Layout::remainder_type, Layout::remainder_width>(r));
    }

    bool fault_remainder_sign_;
    bool busy_ = false;
    int steps_left_ = 0;
    mpz_class bits_, partial_, magnitude_;
    bool negate_quotient_ = false, negate_remainder_ = false, zero_divisor_ = false;
};

template <class Layout>
class library_divider : public model_ports<Layout> {
public:
    static constexpr int B = Layout::dividend_width;
    static constexpr int A = Layout::divisor_width;
    static constexpr int F = Layout::fraction_width;

    SC_HAS_PROCESS(library_divider);
    library_divider(const sc_core::sc_module_name &name, const quodra::config &configuration,
                    unsigned latency)
        : model_ports<Layout>(name), divider_(configuration), latency_(latency) {
        SC_METHOD(on_edge);
        this->sensitive << this->clk.pos() << this->rst_n.neg();
        this->dont_initialize();
    }

    unsigned law_failures() const { return law_failures_; }

private:
    void on_edge() {
        if (!this->rst_n.read()) {
            this->clear_outputs();
            clocks_left_ = 0;
            return;
        }
        this->done.write(false);
        if (clocks_left_ == 0) {
            if (this->start.read()) {
                load();
            }
        } else if (--clocks_left_ == 0) {
            finish();
        }
    }

    void load() {
        const mpz_class n = value_of(this->dividend.read(), B, true);
        const mpz_class d = value_of(this->divisor.read(), A, true);
        const quodra::result<mpz_class> r = divider_.divide(d, n);
        zero_divisor_ = r.div_by_zero;
        known_ = r.quotient.has_value();
        q_ = known_ ? *r.quotient : mpz_class(0);
        if (known_) {
            const mpz_class error = q_ * d - n * power_of_two(F);
            law_failures_ += abs(error) >= abs(d) ? 1 : 0;
        }
        clocks_left_ = latency_;
        this->busy.write(true);
    }

    void finish() {
        this->busy.write(false);
        this->done.write(true);
        this->div_by_zero.write(zero_divisor_);
        this->quotient_known.write(known_);
        mpz_class integer_part = q_;
        mpz_class fraction = 0;
        if (F > 0) {
            mpz_fdiv_q_2exp(integer_part.get_mpz_t(), q_.get_mpz_t(), F);
            fraction = q_ - integer_part * power_of_two(F);
        }
        this->quotient.write(field_of<typename Layout::quotient_type, Layout::quotient_width>(integer_part));
        this->remainder.write(field_of<typename Layout::remainder_type, Layout::remainder_width>(fraction));
    }

    quodra::divider divider_;
    unsigned latency_;
    unsigned clocks_left_ = 0;
    unsigned law_failures_ = 0;
    mpz_class q_;
    bool known_ = false;
    bool zero_divisor_ = false;
};

} // namespace quodra_sc_test

#endif
