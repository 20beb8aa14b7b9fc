/*
 * The floor for speed_bench.sv: a DPI function with quodra_dpi_divide64's
 * signature that only divides 32-bit signed operands with C's / and %
 * (a zero divisor and the one overflowing quotient answered as the core
 * answers them, since C leaves both undefined), and a clock.
 */
#include <stdint.h>
#include <time.h>

#include "Vspeed_bench__Dpi.h"

int speed_floor_divide64(void *model, unsigned long long dividend, unsigned long long divisor,
                         unsigned long long *quotient, unsigned long long *remainder,
                         svBit *div_by_zero, svBit *quotient_known) {
    const int32_t n = (int32_t)(uint32_t)dividend;
    const int32_t d = (int32_t)(uint32_t)divisor;
    (void)model;
    *div_by_zero = d == 0;
    *quotient_known = 1;
    if (d == 0 || (d == -1 && n == INT32_MIN)) {
        *quotient = d == 0 ? 0 : (uint32_t)n;
        *remainder = 0;
        return 0;
    }
    *quotient = (uint32_t)(n / d);
    *remainder = (uint32_t)(n % d);
    return 0;
}

/* The thread's CPU time: on a shared machine the time it waits for a core
 * is not the call's cost. */
unsigned long long speed_now_ns(void) {
    struct timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return (unsigned long long)now.tv_sec * 1000000000ull + (unsigned long long)now.tv_nsec;
}
