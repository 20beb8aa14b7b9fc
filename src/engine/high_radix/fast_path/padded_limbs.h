// An operand of the High Radix fast path copied once into a fixed buffer of
// 64-bit limbs on the stack, so that any limb-wide window of it, at any bit
// position, is two plain reads and two shifts.
#ifndef QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_PADDED_LIMBS_H
#define QUODRA_ENGINE_HIGH_RADIX_FAST_PATH_PADDED_LIMBS_H

#include <gmp.h>

#include <cstddef>
#include <cstdint>

#include "engine/common/machine_words.h"
#include "engine/common/twos_complement_fields.h"

#if defined(__SIZEOF_INT128__)
using int128_word = machine_words::int128;
#endif

// A value of up to `capacity` limbs, copied once in two's complement (or as
// its magnitude) between one limb of zeros below and one limb of its sign
// above. A limb-wide window at any bit position, negative ones included,
// is then two plain reads and two shifts once the position is clamped to the
// limbs: no branch on where the window falls.
class padded_limbs {
public:
    static constexpr size_t capacity = 10;

    // value must have fewer than `capacity` limbs.
    padded_limbs(mpz_srcptr value, bool magnitude_only)
        : limb_total(static_cast<int64_t>(limb_count(value))) {
        // The sign as a 0/1 word, so that neither the fill nor the carry
        // waits on a branch on it.
        const uint64_t negative =
            magnitude_only ? 0 : static_cast<uint64_t>(static_cast<unsigned>(value->_mp_size) >> 31);
        const uint64_t fill = uint64_t{0} - negative;
        // -m is ~m + 1: the carry of the "+ 1" runs through the low zero limbs.
        uint64_t carry = negative;
        buffer[0] = 0;
        for (int64_t i = 0; i < limb_total; ++i) {
            const uint64_t limb =
                (static_cast<uint64_t>(mpz_getlimbn(value, static_cast<mp_size_t>(i))) ^ fill) +
                carry;
            carry &= limb == 0 ? 1 : 0;
            buffer[i + 1] = limb;
        }
        buffer[limb_total + 1] = fill;
        buffer[limb_total + 2] = fill;
    }

    // The 64 bits of the value from bit `position` up; bits below bit 0 are
    // zeros. A window wholly below bit 0 reads as the one just below it, a
    // window wholly above the top limb as the one at the sign limb.
    uint64_t window(int64_t position) const {
        const int64_t within = position < -64 ? -64 : (position > 64 * limb_total ? 64 * limb_total : position);
        const int64_t index = (within >> 6) + 1; // arithmetic: floor; buffer[0] is limb -1
        const unsigned offset = static_cast<unsigned>(within & 63);
        const uint64_t low = buffer[index] >> offset;
        // Shifted in two steps: a shift by the full 64 bits is undefined.
        const uint64_t high = (buffer[index + 1] << 1) << (63 - offset);
        return low | high;
    }

private:
    int64_t limb_total;
    uint64_t buffer[capacity + 3]; // zeros, the limbs, the sign twice
};

#endif
