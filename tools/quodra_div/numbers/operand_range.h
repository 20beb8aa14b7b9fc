// The values an input port of a given width can carry.
#ifndef QUODRA_DIV_NUMBERS_OPERAND_RANGE_H
#define QUODRA_DIV_NUMBERS_OPERAND_RANGE_H

#include <string>

#include "numbers/big_integer.h"

namespace quodra_div {

// The values an input port of a given width can carry: 0 to 2^w - 1, or
// -2^(w-1) to 2^(w-1) - 1 for two's complement.
class operand_range {
public:
    operand_range(unsigned width, bool is_signed);

    unsigned width() const { return width_; }
    bool is_signed() const { return signed_; }
    mpz_srcptr lowest() const { return lowest_.get(); }
    mpz_srcptr highest() const { return highest_.get(); }

    bool contains(mpz_srcptr value) const;

    // The value the port's wires would carry: the low `width` bits, read as
    // two's complement when signed.
    void wrap(mpz_ptr value) const { wrap_to_width(value, width_, signed_); }

    // "8-bit signed"
    std::string kind() const;
    // "-128 to 127"
    std::string limits() const;

private:
    unsigned width_;
    bool signed_;
    big_integer lowest_;
    big_integer highest_;
};

} // namespace quodra_div

#endif
