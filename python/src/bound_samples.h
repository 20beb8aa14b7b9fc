// Sample vectors bound to the caller's own buffers.
//
// The library reads every operand and writes every result one sample at a
// time through the copy operation of the array's operations table. A bound
// vector supplies its own table: a read of sample i converts element i of a
// numpy int64/uint64 buffer (or of a vector of GMP integers) straight into
// the engine's working register, and a write stores the result straight into
// the output buffer. No intermediate array of GMP integers is filled or
// emptied, so a batch costs what the division costs.
//
// The descriptor's elements are real, zero-valued GMP integers (one block
// shared by every vector of a call), so anything that looks at the stored
// elements directly still sees valid integers.
#ifndef QUODRA_PYTHON_BOUND_SAMPLES_H
#define QUODRA_PYTHON_BOUND_SAMPLES_H

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "quodra.h"

namespace quodra_python {

enum class element_kind { int64, uint64, big };

// Where the samples of one vector live: `count` elements of `kind`
// (int64_t, uint64_t or mpz_class).
struct sample_buffer {
    element_kind kind = element_kind::big;
    void *data = nullptr;
};

// The zero-valued placeholder elements the descriptors point at.
class placeholder_elements {
public:
    explicit placeholder_elements(std::size_t count);
    ~placeholder_elements();
    placeholder_elements(const placeholder_elements &) = delete;
    placeholder_elements &operator=(const placeholder_elements &) = delete;

    mpz_t *data() const noexcept { return elements_.get(); }
    std::size_t size() const noexcept { return count_; }

private:
    std::unique_ptr<mpz_t[]> elements_;
    std::size_t count_;
};

// One bound vector of `count` samples (at most elements.size()). Not
// copyable or movable: the library holds pointers to its table and
// descriptor during a call.
class bound_samples {
public:
    bound_samples(const placeholder_elements &elements, std::size_t count, sample_buffer buffer);
    bound_samples(const bound_samples &) = delete;
    bound_samples &operator=(const bound_samples &) = delete;

    qor_array_mpz *descriptor() noexcept { return &descriptor_; }

    // True when a result did not fit the native buffer it was written to
    // (the element keeps its previous value).
    bool overflowed() const noexcept { return overflowed_; }

private:
    static void copy(qor_array_mpz_ops *ops, mpz_t *destination, const mpz_t *source);
    void read(std::size_t index, mpz_ptr destination) const;
    void write(std::size_t index, mpz_srcptr source);
    // Index of a placeholder element, or count when the pointer is not one.
    std::size_t index_of(const mpz_t *element) const noexcept;

    // The library hands copy() the table's address; the table sits first in
    // a record that also names its vector.
    struct owned_table {
        qor_array_mpz_ops ops;
        bound_samples *owner;
    };

    owned_table table_{};
    const placeholder_elements *elements_;
    sample_buffer buffer_;
    std::size_t extent_;
    qor_array_mpz descriptor_{};
    bool overflowed_ = false;
};

// A one-dimensional descriptor over `count` elements of caller storage that
// the family's own table copies by assignment (the uint and real families).
template <class Descriptor, class Ops>
struct caller_vector {
    caller_vector(decltype(Descriptor::data) data, std::size_t count, Ops *ops) noexcept
        : extent(count) {
        descriptor.data = data;
        descriptor.data_size = count;
        descriptor.data_capacity = count;
        descriptor.dim = &extent;
        descriptor.dim_size = 1;
        descriptor.dim_capacity = 1;
        descriptor.owner = 1; // storage managed by the caller
        descriptor.ops = ops;
    }
    caller_vector(const caller_vector &) = delete;
    caller_vector &operator=(const caller_vector &) = delete;

    Descriptor descriptor{};
    std::size_t extent;
};

} // namespace quodra_python

#endif
