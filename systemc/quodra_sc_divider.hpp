// quodra_sc_divider.hpp - the divider core as a clocked SystemC module, the
// way an RTL divider looks to a bench: operands and a start strobe in,
// results with a one-clock done pulse out, a fixed number of clocks later.
//
// Timing (rising edges of clk; rst_n is an active-low asynchronous reset):
//   edge k      start is high and busy is low: the operands are taken, the
//               sample divided, busy goes high;
//   edge k + L  (L = the latency given to the constructor, at least 1)
//               quotient, remainder, div_by_zero and quotient_known show the
//               result, done is high for this one clock, busy goes low.
// A start at an edge where busy is high (the delivering edge k + L
// included) is ignored, as a sequential divider that owns its operand
// registers ignores it; ignored_starts() counts them. The next start is
// taken at edge k + L + 1 at the earliest. Outputs hold their values until
// the next result or a reset, which clears every output.
//
// Ports are sc_bigint (signed fields) or sc_biguint of the fields' widths
// (quodra_sc_fields.hpp); a High Radix quotient of a zero divisor, which the
// core leaves undefined, shows as quotient 0 with quotient_known low.
#ifndef QUODRA_SC_DIVIDER_HPP
#define QUODRA_SC_DIVIDER_HPP

#include <systemc>

#include <cstdint>
#include <stdexcept>

#include "quodra_sc_fields.hpp"

namespace quodra {
namespace sc {

namespace detail {

// Checked before the module's own construction, so that a refused
// configuration leaves no half-made module in the simulation's hierarchy.
template <class Layout>
struct checked_engine {
    checked_engine(const config &configuration, unsigned latency, division_route route)
        : engine(configuration, route), latency(at_least_one(latency)) {}

    static unsigned at_least_one(unsigned latency) {
        if (latency == 0) {
            throw std::invalid_argument("quodra::sc: a clocked divider needs a latency of at least 1 clock");
        }
        return latency;
    }

    field_divider<Layout> engine;
    unsigned latency;
};

} // namespace detail

template <int ALGORITHM, int DIVISOR_W, int DIVIDEND_W, int FRACTION_W = 0, bool SIGNED = true,
          bool FRACTIONAL = false>
class divider_module : private detail::checked_engine<
                           field_layout<ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED, FRACTIONAL>>,
                       public sc_core::sc_module {
public:
    using layout = field_layout<ALGORITHM, DIVISOR_W, DIVIDEND_W, FRACTION_W, SIGNED, FRACTIONAL>;
    using dividend_type = typename layout::dividend_type;
    using divisor_type = typename layout::divisor_type;
    using quotient_type = typename layout::quotient_type;
    using remainder_type = typename layout::remainder_type;

    sc_core::sc_in<bool> clk;
    sc_core::sc_in<bool> rst_n;
    sc_core::sc_in<bool> start;
    sc_core::sc_in<dividend_type> dividend;
    sc_core::sc_in<divisor_type> divisor;
    sc_core::sc_out<bool> busy;
    sc_core::sc_out<bool> done;
    sc_core::sc_out<quotient_type> quotient;
    sc_core::sc_out<remainder_type> remainder; // the fraction field in fractional mode
    sc_core::sc_out<bool> div_by_zero;
    sc_core::sc_out<bool> quotient_known;

    SC_HAS_PROCESS(divider_module);

    // Throws std::invalid_argument for a configuration whose algorithm,
    // widths, sign or output type differ from the template's, or a latency
    // of 0, and quodra::error for one the library refuses.
    divider_module(const sc_core::sc_module_name &name, const config &configuration, unsigned latency,
                   division_route route = division_route::fastest)
        : detail::checked_engine<layout>(configuration, latency, route), sc_core::sc_module(name), clk("clk"),
          rst_n("rst_n"), start("start"), dividend("dividend"), divisor("divisor"), busy("busy"),
          done("done"), quotient("quotient"), remainder("remainder"), div_by_zero("div_by_zero"),
          quotient_known("quotient_known") {
        SC_METHOD(on_edge);
        sensitive << clk.pos() << rst_n.neg();
        dont_initialize();
    }

    unsigned latency() const noexcept { return this->checked_engine::latency; }
    std::uint64_t ignored_starts() const noexcept { return ignored_starts_; }
    // True when samples go through the engine's word batch.
    bool on_words() const noexcept { return this->engine.on_words(); }

private:
    using checked_engine = detail::checked_engine<layout>;

    void on_edge() {
        if (!rst_n.read()) {
            clear();
            return;
        }
        done.write(false);
        if (!busy_) {
            if (start.read()) {
                pending_ = this->engine.divide(dividend.read(), divisor.read());
                clocks_left_ = latency();
                set_busy(true);
            }
            return;
        }
        if (start.read()) {
            ++ignored_starts_;
        }
        if (--clocks_left_ == 0) {
            deliver();
        }
    }

    void deliver() {
        quotient.write(pending_.quotient);
        remainder.write(pending_.remainder);
        div_by_zero.write(pending_.div_by_zero);
        quotient_known.write(pending_.quotient_known);
        done.write(true);
        set_busy(false);
    }

    void clear() {
        set_busy(false);
        clocks_left_ = 0;
        done.write(false);
        quotient.write(quotient_type(0));
        remainder.write(remainder_type(0));
        div_by_zero.write(false);
        quotient_known.write(false);
    }

    void set_busy(bool value) {
        busy_ = value;
        busy.write(value);
    }

    field_result<layout> pending_;
    unsigned clocks_left_ = 0;
    bool busy_ = false;
    std::uint64_t ignored_starts_ = 0;
};

} // namespace sc
} // namespace quodra

#endif // QUODRA_SC_DIVIDER_HPP
