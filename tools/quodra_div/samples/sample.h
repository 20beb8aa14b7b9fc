// One sample: the operands of one division, and the fields they must fit.
#ifndef QUODRA_DIV_SAMPLES_SAMPLE_H
#define QUODRA_DIV_SAMPLES_SAMPLE_H

#include "numbers/big_integer.h"
#include "numbers/operand_range.h"

namespace quodra_div {

struct sample {
    big_integer dividend;
    big_integer divisor;
};

// The fields samples go into, and whether an operand too wide for its field
// is refused (the default) or keeps its low bits, as the core's input port
// would (--wrap-operands).
struct operand_fields {
    const operand_range &dividend;
    const operand_range &divisor;
    bool wrap;
};

} // namespace quodra_div

#endif
