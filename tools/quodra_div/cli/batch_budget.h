// How many samples a batch may hold. A batch keeps every sample's operands
// and results at once (as GNU MP integers, in the library's arrays and as
// formatted text, about five times their bits in bytes), so at wide fields
// --batch-size alone would let one batch outgrow memory: a million samples
// of 65536-bit fields is about 160 GB.
#ifndef QUODRA_DIV_CLI_BATCH_BUDGET_H
#define QUODRA_DIV_CLI_BATCH_BUDGET_H

#include <cstddef>
#include <cstdint>

#include "cli/divider_settings.h"

namespace quodra_div {

// The operand and result bits one batch may hold: 2^26 bits, a few tens of
// megabytes in all. Fields of 16 bits fill the largest --batch-size within
// it; fields of 65536 bits get 256 samples a batch.
constexpr uint64_t batch_bit_budget = uint64_t{1} << 26;

// The requested batch size, lowered (to 1 at least) so that a batch's
// operand and result bits stay within the budget. Batches only group
// library calls: the output is the same for every batch size.
std::size_t samples_within_budget(std::size_t requested, const divider_settings &settings);

} // namespace quodra_div

#endif
