// The Radix-2 divider as the hardware is built: a bit-serial non-restoring
// divider, one iteration per quotient bit. Each iteration shifts the partial
// remainder left, brings in the next dividend bit (zeros once the dividend is
// used up) and adds or subtracts the divisor according to the sign the
// partial remainder had before the shift; the quotient bit is 1 when the
// result is not negative. The partial remainder is never corrected at the
// end. This loop on GNU MP integers is the datapath's definition: the closed
// form (closed_form.cpp) is checked against it.
#include "engine/radix2/bit_serial_loop.h"

#include "engine/common/working_integer.h"

namespace {

// Keeps a copy of P after the shift so the hook sees both stages at once.
class hook_trace {
public:
    hook_trace(radix2_trace_hook hook, void *context) : hook(hook), context(context) {}
    void shifted(mpz_srcptr p) { mpz_set(after_shift, p); }
    void updated(uint64_t j, bool was_negative, mpz_srcptr p, bool bit_set) {
        if (hook != nullptr) {
            hook(context, j, was_negative, after_shift, p, bit_set);
        }
    }

private:
    radix2_trace_hook hook;
    void *context;
    working_integer after_shift;
};

// Runs the n iterations for one sample: Q receives the quotient register,
// P ends holding the uncorrected partial remainder. Dividend bits enter
// from bit W - 1 down to bit 0; bits of N at or above W are never looked at.
template <class Trace>
void run_bit_serial(mpz_ptr q, mpz_ptr p, mpz_srcptr d, mpz_srcptr n, uint64_t dividend_bits,
                    uint64_t iterations, Trace &trace) {
    mpz_set_ui(p, 0);
    mpz_set_ui(q, 0);
    for (uint64_t j = 0; j < iterations; ++j) {
        const bool was_negative = mpz_sgn(p) < 0;
        mpz_mul_2exp(p, p, 1);
        if (j < dividend_bits && mpz_tstbit(n, dividend_bits - 1 - j) != 0) {
            mpz_add_ui(p, p, 1);
        }
        trace.shifted(p);
        if (was_negative) {
            mpz_add(p, p, d);
        } else {
            mpz_sub(p, p, d);
        }
        const bool bit_set = mpz_sgn(p) >= 0;
        if (bit_set) {
            mpz_setbit(q, iterations - 1 - j);
        }
        trace.updated(j, was_negative, p, bit_set);
    }
}

} // namespace

// The bit-serial loop of one sample with every iteration reported to `hook`.
void radix2_bit_serial_traced(mpz_ptr q, mpz_ptr p, mpz_srcptr d, mpz_srcptr n,
                              uint64_t dividend_bits, uint64_t iterations, radix2_trace_hook hook,
                              void *context) {
    hook_trace trace(hook, context);
    run_bit_serial(q, p, d, n, dividend_bits, iterations, trace);
}
