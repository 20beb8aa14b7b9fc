// The reciprocal table is built by the compiler from its defining rule, so
// the library carries no text to parse and every entry is a constant.
#include "engine/high_radix/reference/reciprocal_table.h"

namespace {

// B_i: 2^30 / (1025 + 2i) is four times 2^18 / x at the interval midpoint
// x = 1 + (2i + 1)/1024; the offset keeps the 19-bit field positive.
constexpr int64_t midpoint_base(int64_t i) {
    return (int64_t{1} << 30) / (1025 + 2 * i) - (int64_t{1} << 19) + 2;
}

// C_i: 2^12 plus the centred difference of the neighbouring bases, a
// one-sided difference (doubled) at both ends of the table.
constexpr int64_t slope_code(int64_t i) {
    constexpr int64_t last = reciprocal_table::entry_count - 1;
    if (i == 0) {
        return (int64_t{1} << 12) + 2 * (midpoint_base(1) - midpoint_base(0));
    }
    if (i == last) {
        return (int64_t{1} << 12) + 2 * (midpoint_base(last) - midpoint_base(last - 1));
    }
    return (int64_t{1} << 12) + midpoint_base(i + 1) - midpoint_base(i - 1);
}

// b_i = B_i followed by the bits 100; c_i = C_i followed by the bits 00.
constexpr uint64_t table_entry(int64_t i) {
    const uint64_t b = static_cast<uint64_t>(8 * midpoint_base(i) + 4);
    const uint64_t c = static_cast<uint64_t>(4 * slope_code(i));
    return (b << reciprocal_table::slope_bits) | c;
}

constexpr std::array<uint64_t, reciprocal_table::entry_count> build_entries() {
    std::array<uint64_t, reciprocal_table::entry_count> built{};
    for (uint32_t i = 0; i < reciprocal_table::entry_count; ++i) {
        built[i] = table_entry(i);
    }
    return built;
}

// Every field must fit its hardware width: B in 19 bits, C in 12 bits.
constexpr bool fields_fit() {
    for (int64_t i = 0; i < reciprocal_table::entry_count; ++i) {
        if (midpoint_base(i) <= 0 || midpoint_base(i) >= (int64_t{1} << 19)) return false;
        if (slope_code(i) <= 0 || slope_code(i) >= (int64_t{1} << 12)) return false;
    }
    return true;
}
static_assert(fields_fit(), "reciprocal table fields exceed their widths");

} // namespace

namespace reciprocal_table {

// Constant-initialised: the table exists before any code of the library runs.
constexpr std::array<uint64_t, entry_count> entries = build_entries();

} // namespace reciprocal_table
