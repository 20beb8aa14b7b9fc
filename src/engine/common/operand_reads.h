// How a divider loads an operand register: the sample as get_data delivers
// it, except that through the default table only the bits the divider uses
// are taken from the stored integer, so a sample's cost follows the register
// and not the size of what the bench stored. Through a caller's own table the
// caller's copy delivers the whole value and the divider reduces it as it
// always has; both give the same register contents.
#ifndef QUODRA_ENGINE_COMMON_OPERAND_READS_H
#define QUODRA_ENGINE_COMMON_OPERAND_READS_H

#include <gmp.h>

#include <cstddef>

#include "arrays/in_place_reads.h"
#include "quodra.h"

// Loads sample `index` of `array` into `target`. keep_used_bits(target,
// stored) sets target from the stored integer, keeping every bit and sign
// the divider's later steps look at. A refused read leaves target as it
// was, as a register that is not loaded keeps its value.
template <class KeepUsedBits>
void load_operand(const qor_array_mpz *array, std::size_t index, mpz_ptr target,
                  KeepUsedBits keep_used_bits) {
    if (const mpz_t *stored = quodra_arrays::sample_readable_in_place(array, index)) {
        keep_used_bits(target, *stored);
        return;
    }
    qor_quodra_v5_1_qor_array_mpz_get_data(array, target, index);
}

#endif
