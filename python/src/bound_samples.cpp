#include "bound_samples.h"

#include <limits>
#include <optional>

#include "quodra.hpp"

namespace quodra_python {

namespace {

// The vectors never grow, shrink or release anything: their storage belongs
// to the caller. Allocation is refused; the rest does nothing.
void *refuse_allocation(qor_array_mpz_ops *, void *, std::size_t) { return nullptr; }
void release_nothing(qor_array_mpz_ops *, void *) {}
void leave_element(qor_array_mpz_ops *, mpz_t *) {}
void swap_nothing(qor_array_mpz_ops *, mpz_t *, mpz_t *) {}

} // namespace

placeholder_elements::placeholder_elements(std::size_t count)
    : elements_(new mpz_t[count > 0 ? count : 1]), count_(count) {
    for (std::size_t i = 0; i < count_; ++i) {
        mpz_init(elements_[i]);
    }
}

placeholder_elements::~placeholder_elements() {
    for (std::size_t i = 0; i < count_; ++i) {
        mpz_clear(elements_[i]);
    }
}

bound_samples::bound_samples(const placeholder_elements &elements, std::size_t count,
                             sample_buffer buffer)
    : elements_(&elements), buffer_(buffer), extent_(count < elements.size() ? count : elements.size()) {
    table_.ops.realloc = refuse_allocation;
    table_.ops.free = release_nothing;
    table_.ops.init = leave_element;
    table_.ops.copy = copy;
    table_.ops.swap = swap_nothing;
    table_.ops.clear = leave_element;
    table_.owner = this;

    descriptor_.data = elements.data();
    descriptor_.data_size = extent_;
    descriptor_.data_capacity = elements.size();
    descriptor_.dim = &extent_;
    descriptor_.dim_size = 1;
    descriptor_.dim_capacity = 1;
    descriptor_.owner = 1; // storage managed by the caller
    descriptor_.ops = &table_.ops;
}

void bound_samples::copy(qor_array_mpz_ops *ops, mpz_t *destination, const mpz_t *source) {
    bound_samples &self = *reinterpret_cast<owned_table *>(ops)->owner;
    const std::size_t read_index = self.index_of(source);
    if (read_index < self.extent_) {
        self.read(read_index, *destination);
        return;
    }
    const std::size_t write_index = self.index_of(destination);
    if (write_index < self.extent_) {
        self.write(write_index, *source);
        return;
    }
    mpz_set(*destination, *source); // neither end is ours: a plain copy
}

std::size_t bound_samples::index_of(const mpz_t *element) const noexcept {
    const mpz_t *first = elements_->data();
    const std::size_t count = elements_->size();
    // Compared as addresses so that foreign pointers are well defined.
    const auto address = reinterpret_cast<std::uintptr_t>(element);
    const auto begin = reinterpret_cast<std::uintptr_t>(first);
    if (address < begin || address >= begin + count * sizeof(mpz_t)) {
        return count;
    }
    return (address - begin) / sizeof(mpz_t);
}

void bound_samples::read(std::size_t index, mpz_ptr destination) const {
    switch (buffer_.kind) {
    case element_kind::int64:
        quodra::detail::assign(destination, static_cast<const int64_t *>(buffer_.data)[index]);
        break;
    case element_kind::uint64:
        quodra::detail::assign(destination, static_cast<const uint64_t *>(buffer_.data)[index]);
        break;
    case element_kind::big:
        mpz_set(destination, static_cast<const mpz_class *>(buffer_.data)[index].get_mpz_t());
        break;
    }
}

void bound_samples::write(std::size_t index, mpz_srcptr source) {
    switch (buffer_.kind) {
    case element_kind::int64: {
        const std::optional<uint64_t> magnitude = quodra::detail::magnitude_of(source);
        constexpr uint64_t largest = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
        const bool negative = mpz_sgn(source) < 0;
        if (!magnitude || *magnitude > largest + (negative ? 1 : 0)) {
            overflowed_ = true;
            return;
        }
        static_cast<int64_t *>(buffer_.data)[index] =
            negative ? static_cast<int64_t>(0 - *magnitude) : static_cast<int64_t>(*magnitude);
        break;
    }
    case element_kind::uint64: {
        const std::optional<uint64_t> magnitude = quodra::detail::magnitude_of(source);
        if (!magnitude || mpz_sgn(source) < 0) {
            overflowed_ = true;
            return;
        }
        static_cast<uint64_t *>(buffer_.data)[index] = *magnitude;
        break;
    }
    case element_kind::big:
        mpz_set(static_cast<mpz_class *>(buffer_.data)[index].get_mpz_t(), source);
        break;
    }
}

} // namespace quodra_python
