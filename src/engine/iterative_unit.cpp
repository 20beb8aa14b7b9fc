// The model's iterative unit: one sample of the radix-2^14 slice datapath.
#include "high_radix_unit.h"
#include "quodra_v5_1.h"

int quodra_v5_1::iterative_unit(mpz_t T, const mpz_t R, const mpz_t X, const mpz_t M) const {
    return high_radix_unit_run(high_radix_unit_shape_of(*this), T, R, X, M, nullptr);
}
