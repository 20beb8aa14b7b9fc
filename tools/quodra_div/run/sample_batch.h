// The library arrays of one batch of samples.
#ifndef QUODRA_DIV_RUN_SAMPLE_BATCH_H
#define QUODRA_DIV_RUN_SAMPLE_BATCH_H

#include <cstddef>

#include "quodra.h"
#include "samples/sample.h"

namespace quodra_div {

// The library arrays for one batch of samples, reused for every batch, so a
// run of any length keeps the same memory. They start with room for one
// sample and are replaced by larger ones only when a batch holds more.
class sample_batch {
public:
    // Without remainder the library is given no remainder array
    // (fractional output). Throws tool_error if allocation fails.
    explicit sample_batch(bool with_remainder);
    ~sample_batch();
    sample_batch(const sample_batch &) = delete;
    sample_batch &operator=(const sample_batch &) = delete;

    std::size_t capacity() const { return capacity_; }
    // Makes room for count samples; the arrays' contents are not kept.
    // Throws tool_error if allocation fails.
    void hold(std::size_t count);

    void set_operands(std::size_t index, const sample &operands);

    // One library call for the first count samples. Their output slots
    // first get `unwritten_marker`, so that a result the library leaves
    // unwritten is recognised instead of being stale. Throws tool_error
    // (division_failed, no text) when the library refused: its handler has
    // already said why.
    void divide(const quodra_v5_1 *model, std::size_t count, mpz_srcptr unwritten_marker);

    // remainder is untouched without a remainder array. Throws tool_error
    // if the library left a flag other than 0 or 1.
    void read_outputs(std::size_t index, mpz_ptr quotient, mpz_ptr remainder,
                      bool &div_by_zero) const;

private:
    void allocate(std::size_t capacity);
    void mark_outputs_unwritten(std::size_t count, mpz_srcptr marker);
    void release();

    bool with_remainder_;
    std::size_t capacity_ = 0;
    qor_array_mpz *divisor_ = nullptr;
    qor_array_mpz *dividend_ = nullptr;
    qor_array_mpz *quotient_ = nullptr;
    qor_array_mpz *remainder_ = nullptr;
    qor_array_uint *div_by_zero_ = nullptr;
};

} // namespace quodra_div

#endif
