// The 512-entry reciprocal table of the High Radix divider. Entry i serves
// normalised divisors x in [1 + i/512, 1 + (i + 1)/512) and holds a 22-bit
// base b (2^18 / x at the interval's midpoint, less 2^17, in units of 2^-5;
// its low three bits are always 100) and a 14-bit slope code c used for
// linear interpolation within the interval.
#ifndef QUODRA_ENGINE_RECIPROCAL_TABLE_H
#define QUODRA_ENGINE_RECIPROCAL_TABLE_H

#include <array>
#include <cassert>
#include <cstdint>

namespace reciprocal_table {

constexpr uint32_t entry_count = 512;
constexpr uint32_t entry_bits = 36;
constexpr uint32_t slope_bits = 14;

// The entries as 36-bit words: base in bits 35..14, slope code in 13..0.
extern const std::array<uint64_t, entry_count> entries;

inline uint64_t entry(uint32_t index) {
    assert(index < entry_count);
    return entries[index];
}

// Upper 22 bits of an entry.
inline uint32_t base(uint32_t index) { return static_cast<uint32_t>(entry(index) >> slope_bits); }

// Lower 14 bits of an entry.
inline uint32_t slope(uint32_t index) {
    return static_cast<uint32_t>(entry(index) & ((uint64_t{1} << slope_bits) - 1));
}

} // namespace reciprocal_table

#endif
