#include "diagnosis/operand_map.h"

#include <algorithm>

namespace quodra_diagnosis {

namespace {

constexpr unsigned max_cells = 64;
constexpr unsigned widest_by_range = 16;
__extension__ typedef unsigned __int128 unsigned_wide;

} // namespace

map_axis::map_axis(unsigned width, bool is_signed)
    : width_(width), is_signed_(is_signed), by_magnitude_(width > widest_by_range) {
    if (!by_magnitude_) {
        cells_ = std::min(max_cells, 1u << width);
        length_buckets_ = 0;
        return;
    }
    // Bit lengths 0..width of the magnitude, per sign.
    const unsigned per_sign = is_signed ? max_cells / 2 : max_cells;
    length_buckets_ = std::min(per_sign, width + 1);
    cells_ = is_signed ? 2 * length_buckets_ : length_buckets_;
}

unsigned map_axis::cell_of(mpz_srcptr value) const {
    const int sign = mpz_sgn(value);
    if (!by_magnitude_) return cell_of_small(mpz_get_si(value));
    return cell_of_length(sign, sign == 0 ? 0 : static_cast<unsigned>(mpz_sizeinbase(value, 2)));
}

unsigned map_axis::cell_of(word_value value) const {
    if (!by_magnitude_) return cell_of_small(static_cast<int64_t>(value));
    const unsigned_wide magnitude =
        value < 0 ? static_cast<unsigned_wide>(0) - static_cast<unsigned_wide>(value)
                  : static_cast<unsigned_wide>(value);
    const auto high = static_cast<uint64_t>(magnitude >> 64);
    const auto low = static_cast<uint64_t>(magnitude);
    const unsigned length = high != 0  ? 128 - static_cast<unsigned>(__builtin_clzll(high))
                            : low != 0 ? 64 - static_cast<unsigned>(__builtin_clzll(low))
                                       : 0;
    return cell_of_length(value < 0 ? -1 : value > 0 ? 1 : 0, length);
}

// (value - lowest) * cells / 2^width, lowest = -2^(w-1) or 0.
unsigned map_axis::cell_of_small(int64_t value) const {
    int64_t offset = value;
    if (is_signed_) offset += int64_t{1} << (width_ - 1);
    return static_cast<unsigned>((static_cast<uint64_t>(offset) * cells_) >> width_);
}

unsigned map_axis::cell_of_length(int sign, unsigned length) const {
    const unsigned bucket = length * length_buckets_ / (width_ + 1);
    if (!is_signed_) return bucket;
    // Most negative first: negative buckets run down from the longest.
    return sign < 0 ? length_buckets_ - 1 - bucket : length_buckets_ + bucket;
}

std::string map_axis::label(unsigned cell) const {
    if (!by_magnitude_) {
        const uint64_t span = (uint64_t{1} << width_);
        const int64_t lowest = is_signed_ ? -(int64_t{1} << (width_ - 1)) : 0;
        const int64_t first = lowest + static_cast<int64_t>((cell * span + cells_ - 1) / cells_);
        const int64_t last = lowest + static_cast<int64_t>(((cell + 1) * span + cells_ - 1) / cells_) - 1;
        return first == last ? std::to_string(first)
                             : std::to_string(first) + " to " + std::to_string(last);
    }
    const bool negative = is_signed_ && cell < length_buckets_;
    const unsigned bucket = negative ? length_buckets_ - 1 - cell : cell - (is_signed_ ? length_buckets_ : 0);
    // The bit lengths whose bucket this is.
    const unsigned first = (bucket * (width_ + 1) + length_buckets_ - 1) / length_buckets_;
    const unsigned last = ((bucket + 1) * (width_ + 1) + length_buckets_ - 1) / length_buckets_ - 1;
    const std::string lengths = first == last ? std::to_string(first) + (first == 1 ? " bit" : " bits")
                                              : std::to_string(first) + " to " +
                                                    std::to_string(last) + " bits";
    return std::string(negative ? "negative, " : is_signed_ ? "non-negative, " : "") + lengths;
}

mismatch_class map_cell::majority() const {
    const auto most = std::max_element(by_class.begin(), by_class.end());
    return *most == 0 ? mismatch_class::unclassified
                      : static_cast<mismatch_class>(most - by_class.begin());
}

operand_map::operand_map(const divider_shape &shape)
    : dividends_(shape.dividend_width, shape.is_signed),
      divisors_(shape.divisor_width, shape.is_signed),
      cells_(std::size_t{dividends_.cells()} * divisors_.cells()) {}

void operand_map::add(mpz_srcptr dividend, mpz_srcptr divisor, bool differs,
                      mismatch_class kind) {
    count(dividends_.cell_of(dividend), divisors_.cell_of(divisor), differs, kind);
}

void operand_map::add(word_value dividend, word_value divisor, bool differs,
                      mismatch_class kind) {
    count(dividends_.cell_of(dividend), divisors_.cell_of(divisor), differs, kind);
}

void operand_map::count(unsigned dividend_cell, unsigned divisor_cell, bool differs,
                        mismatch_class kind) {
    map_cell &cell = cells_[std::size_t{divisor_cell} * dividends_.cells() + dividend_cell];
    ++cell.rows;
    if (differs) {
        ++cell.differing;
        ++cell.by_class[static_cast<std::size_t>(kind)];
    }
}

const map_cell &operand_map::at(unsigned dividend_cell, unsigned divisor_cell) const {
    return cells_[std::size_t{divisor_cell} * dividends_.cells() + dividend_cell];
}

} // namespace quodra_diagnosis
