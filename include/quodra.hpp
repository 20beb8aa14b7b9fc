// quodra.hpp - C++17 layer over the plain C interface of quodra.
//
// Header-only; it uses nothing but quodra.h and GNU MP's C++ classes
// (<gmpxx.h>: link -lquodra -lgmpxx -lgmp).
//
//   quodra::config        the configuration record with an owned std::string name
//   quodra::model         owns a model object (qor_quodra_v5_1_create/destroy)
//   quodra::array<...>    owns an array descriptor of one of the seven families:
//                         bit_array, real_array, complex_array, uint_array,
//                         uint32_array, mpz_array, mpz_complex_array
//   quodra::divider       divides one sample, a batch of mpz_class or 64-bit
//                         integers, or caller-owned arrays as data_do does
//   quodra::error         what the library reported, text exactly as reported
//
// The divisor always comes before the dividend, as in the C interface.
//
// Results keep the library's representation: remainder-mode and Radix-2
// results are non-negative two's-complement patterns of their field width,
// the High Radix quotient is a signed integer. A High Radix sample with a zero
// divisor has no quotient (the datapath leaves that element untouched), so
// result::quotient is empty there; everywhere else it is set. result::remainder
// is set in remainder mode only.
//
// Errors. A refused creation throws quodra::error carrying the library's bare
// text ("Operand sign must be Signed for the High Radix algorithm"); a refused
// data call throws quodra::error carrying "<name> ERROR: <text>". A batch
// result that does not fit the requested 64-bit type throws std::overflow_error:
// nothing wraps silently. Warnings and notes ("<name> WARNING: <text>") go to
// the divider's message callback while the call runs; an exception thrown by
// the callback is held until the C call has returned and then rethrown.
//
// Threads. A model is immutable after creation: one quodra::model (for
// example a std::shared_ptr<const quodra::model>) may be used by any number of
// dividers on any number of threads at once. A divider keeps working arrays and
// must be used by one thread at a time: give each thread its own divider.
// Messages are captured per call on the calling thread, so concurrent calls on
// one model never see each other's errors. A message callback shared by
// dividers on several threads must itself be safe to call concurrently.
// Arrays follow the C rule: one thread at a time per array.
//
// Messages reach this layer only while one of its own calls runs. A model
// obtained with get() or release() and used directly through the C functions
// reports to nobody.
#ifndef QUODRA_HPP
#define QUODRA_HPP

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "quodra.h"

namespace quodra {

// A failure reported by the library, with its message text unchanged.
class error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Receives warnings and notes; the text is valid only during the call.
using message_callback = std::function<void(std::string_view message)>;

// The library's own version text, "5.1"; QUODRA_VERSION_STRING is the
// header's.
inline std::string library_version() { return qor_quodra_v5_1_get_version(); }

namespace detail {

// What the library reported during one call of this layer on this thread.
struct call_messages {
    const message_callback *on_message = nullptr;
    std::string error_text;
    bool has_error = false;
    std::exception_ptr callback_failure;
    call_messages *outer = nullptr;
};

inline thread_local call_messages *current_call = nullptr;

// The handler given to every model this layer creates. The library calls it
// on the thread that made the call, before the call returns, so the
// thread-local record of the running call is the one to fill. Nothing may
// propagate into the library from here.
inline void deliver_message(void * /*handle*/, int32_t is_error, const char *text) noexcept {
    call_messages *call = current_call;
    if (call == nullptr || text == nullptr) {
        return;
    }
    try {
        if (is_error != 0) {
            if (!call->has_error) {
                call->error_text = text;
                call->has_error = true;
            }
        } else if (call->on_message != nullptr && *call->on_message && !call->callback_failure) {
            (*call->on_message)(std::string_view(text));
        }
    } catch (...) {
        if (!call->callback_failure) {
            call->callback_failure = std::current_exception();
        }
    }
}

// Installs a call record for the duration of one C call; nests.
class message_scope {
public:
    explicit message_scope(const message_callback *on_message) noexcept {
        messages_.on_message = on_message;
        messages_.outer = current_call;
        current_call = &messages_;
    }
    ~message_scope() { current_call = messages_.outer; }
    message_scope(const message_scope &) = delete;
    message_scope &operator=(const message_scope &) = delete;

    // Rethrows what the callback threw, else turns a failure status into an
    // error carrying the reported text (or `unreported` when the library
    // refused without a message, as it does for null arguments).
    void finish(bool failed, const char *unreported) const {
        if (messages_.callback_failure) {
            std::rethrow_exception(messages_.callback_failure);
        }
        if (failed) {
            throw error(messages_.has_error ? messages_.error_text : std::string(unreported));
        }
    }

private:
    call_messages messages_;
};

// The twelve operations of one array family, under family-independent names.
#define QUODRA_DETAIL_ARRAY_FAMILY(family, element_type)                                        \
    struct family##_family {                                                                    \
        using descriptor = qor_array_##family;                                                  \
        using ops_table = qor_array_##family##_ops;                                             \
        using element = element_type;                                                           \
        static ops_table *default_ops() noexcept {                                              \
            return qor_quodra_v5_1_qor_array_##family##_get_default_ops();                      \
        }                                                                                       \
        static descriptor *create() noexcept { return qor_quodra_v5_1_qor_array_##family##_create(); } \
        static descriptor *create_ex(ops_table *ops) noexcept {                                 \
            return qor_quodra_v5_1_qor_array_##family##_create_ex(ops);                         \
        }                                                                                       \
        static int reserve_data(descriptor *a, std::size_t n) noexcept {                        \
            return qor_quodra_v5_1_qor_array_##family##_reserve_data(a, n);                     \
        }                                                                                       \
        static int reserve_dim(descriptor *a, std::size_t n) noexcept {                         \
            return qor_quodra_v5_1_qor_array_##family##_reserve_dim(a, n);                      \
        }                                                                                       \
        static descriptor *destroy(descriptor *a) noexcept {                                    \
            return qor_quodra_v5_1_qor_array_##family##_destroy(a);                             \
        }                                                                                       \
        static std::size_t sub2ind(const descriptor *a, std::size_t i0) noexcept {              \
            return qor_quodra_v5_1_qor_array_##family##_sub2ind_1d(a, i0);                      \
        }                                                                                       \
        static std::size_t sub2ind(const descriptor *a, std::size_t i0, std::size_t i1) noexcept { \
            return qor_quodra_v5_1_qor_array_##family##_sub2ind_2d(a, i0, i1);                  \
        }                                                                                       \
        static std::size_t sub2ind(const descriptor *a, std::size_t i0, std::size_t i1,         \
                                   std::size_t i2) noexcept {                                   \
            return qor_quodra_v5_1_qor_array_##family##_sub2ind_3d(a, i0, i1, i2);              \
        }                                                                                       \
        static std::size_t sub2ind(const descriptor *a, std::size_t i0, std::size_t i1,         \
                                   std::size_t i2, std::size_t i3) noexcept {                   \
            return qor_quodra_v5_1_qor_array_##family##_sub2ind_4d(a, i0, i1, i2, i3);          \
        }                                                                                       \
        static int set_element(descriptor *a, const element *value, std::size_t i) noexcept {   \
            return qor_quodra_v5_1_qor_array_##family##_set_element(a, value, i);               \
        }                                                                                       \
        static int get_element(const descriptor *a, element *dst, std::size_t i) noexcept {     \
            return qor_quodra_v5_1_qor_array_##family##_get_element(a, dst, i);                 \
        }                                                                                       \
    }

QUODRA_DETAIL_ARRAY_FAMILY(bit, unsigned char);
QUODRA_DETAIL_ARRAY_FAMILY(real, double);
QUODRA_DETAIL_ARRAY_FAMILY(complex, qor_complex);
QUODRA_DETAIL_ARRAY_FAMILY(uint, unsigned int);
QUODRA_DETAIL_ARRAY_FAMILY(uint32, uint32_t);
QUODRA_DETAIL_ARRAY_FAMILY(mpz, mpz_t);
QUODRA_DETAIL_ARRAY_FAMILY(mpz_complex, qor_mpz_complex);

#undef QUODRA_DETAIL_ARRAY_FAMILY

// The two families that carry samples also have 1-D sample access.
struct mpz_samples : mpz_family {
    using sample_type = mpz_class;
    static int set_sample(descriptor *a, const mpz_class &value, std::size_t i) noexcept {
        return qor_quodra_v5_1_qor_array_mpz_set_data(a, value.get_mpz_t(), i);
    }
    static int get_sample(const descriptor *a, mpz_class &dst, std::size_t i) noexcept {
        return qor_quodra_v5_1_qor_array_mpz_get_data(a, dst.get_mpz_t(), i);
    }
};

struct uint_samples : uint_family {
    using sample_type = uint32_t;
    static int set_sample(descriptor *a, uint32_t value, std::size_t i) noexcept {
        return qor_quodra_v5_1_qor_array_uint_set_data(a, value, i);
    }
    static int get_sample(const descriptor *a, uint32_t &dst, std::size_t i) noexcept {
        return qor_quodra_v5_1_qor_array_uint_get_data(a, &dst, i);
    }
};

[[noreturn]] inline void throw_index_refused(const char *operation, std::size_t index) {
    throw std::out_of_range(std::string("quodra: ") + operation + " refused index " +
                            std::to_string(index));
}

} // namespace detail

// Owner of one array descriptor. Move-only; the destructor calls the family's
// destroy, which leaves a descriptor with a non-zero `owner` (storage someone
// else manages) to whoever made it.
template <class Family>
class array {
public:
    using descriptor = typename Family::descriptor;
    using ops_table = typename Family::ops_table;
    using element = typename Family::element;

    // An empty descriptor on the family's default operations table.
    array() : raw_(Family::create()) {
        if (raw_ == nullptr) {
            throw std::bad_alloc();
        }
    }

    // An empty descriptor on the caller's table, which must outlive it.
    explicit array(ops_table &ops) : raw_(Family::create_ex(&ops)) {
        if (raw_ == nullptr) {
            throw std::bad_alloc();
        }
    }

    // Takes ownership of a descriptor made elsewhere (may be null).
    explicit array(descriptor *adopted) noexcept : raw_(adopted) {}

    // An array with the given extents (column-major) and as many elements as
    // their product; a single extent gives a 1-D sample vector.
    explicit array(std::initializer_list<std::size_t> extents) : array() { reshape(extents); }

    array(array &&other) noexcept : raw_(other.release()) {}
    array &operator=(array &&other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    array(const array &) = delete;
    array &operator=(const array &) = delete;
    ~array() { reset(); }

    descriptor *get() const noexcept { return raw_; }
    descriptor *operator->() const noexcept { return raw_; }
    explicit operator bool() const noexcept { return raw_ != nullptr; }

    // Gives the descriptor up; the caller destroys it.
    descriptor *release() noexcept { return std::exchange(raw_, nullptr); }

    void reset(descriptor *replacement = nullptr) noexcept {
        descriptor *old = std::exchange(raw_, replacement);
        if (old != nullptr) {
            Family::destroy(old);
        }
    }

    // Growth only, to exactly the count. Throws std::bad_alloc when the
    // family refuses (allocation failure, or storage it does not own).
    void reserve_data(std::size_t count) {
        if (Family::reserve_data(&checked(), count) != 0) {
            throw std::bad_alloc();
        }
    }
    void reserve_dim(std::size_t count) {
        if (Family::reserve_dim(&checked(), count) != 0) {
            throw std::bad_alloc();
        }
    }

    // Sets the extents and makes data_size their product, growing storage as
    // needed; existing elements keep their slots.
    void reshape(std::initializer_list<std::size_t> extents) {
        const std::size_t count = element_count(extents);
        reserve_dim(extents.size());
        reserve_data(count);
        std::size_t k = 0;
        for (std::size_t extent : extents) {
            raw_->dim[k++] = extent;
        }
        raw_->dim_size = extents.size();
        raw_->data_size = count;
    }

    std::size_t size() const noexcept { return raw_ != nullptr ? raw_->data_size : 0; }
    std::size_t dimensions() const noexcept { return raw_ != nullptr ? raw_->dim_size : 0; }
    std::size_t extent(std::size_t dimension) const {
        if (dimension >= dimensions()) {
            detail::throw_index_refused("extent", dimension);
        }
        return raw_->dim[dimension];
    }

    // Linear element index of column-major subscripts (the family's sub2ind).
    std::size_t index(std::size_t i0) const noexcept { return Family::sub2ind(raw_, i0); }
    std::size_t index(std::size_t i0, std::size_t i1) const noexcept {
        return Family::sub2ind(raw_, i0, i1);
    }
    std::size_t index(std::size_t i0, std::size_t i1, std::size_t i2) const noexcept {
        return Family::sub2ind(raw_, i0, i1, i2);
    }
    std::size_t index(std::size_t i0, std::size_t i1, std::size_t i2, std::size_t i3) const noexcept {
        return Family::sub2ind(raw_, i0, i1, i2, i3);
    }

    // Direct element storage: operator[] unchecked, at() checked against
    // data_size.
    element &operator[](std::size_t i) const noexcept { return raw_->data[i]; }
    element &at(std::size_t i) const {
        if (i >= size()) {
            detail::throw_index_refused("at", i);
        }
        return raw_->data[i];
    }

    // Element copies through the operations table, as the C functions make.
    void set_element(std::size_t i, const element &value) {
        if (Family::set_element(raw_, &value, i) != 0) {
            detail::throw_index_refused("set_element", i);
        }
    }
    void get_element(std::size_t i, element &destination) const {
        if (Family::get_element(raw_, &destination, i) != 0) {
            detail::throw_index_refused("get_element", i);
        }
    }

    // 1-D sample access of mpz (mpz_class) and uint (uint32_t) arrays.
    template <class Value>
    void set_sample(std::size_t i, const Value &value) {
        if (Family::set_sample(raw_, value, i) != 0) {
            detail::throw_index_refused("set_sample", i);
        }
    }
    auto sample(std::size_t i) const {
        typename Family::sample_type value{};
        if (Family::get_sample(raw_, value, i) != 0) {
            detail::throw_index_refused("sample", i);
        }
        return value;
    }

private:
    descriptor &checked() const {
        if (raw_ == nullptr) {
            throw std::logic_error("quodra: the array owner holds no array");
        }
        return *raw_;
    }

    static std::size_t element_count(std::initializer_list<std::size_t> extents) {
        std::size_t count = 1;
        for (std::size_t extent : extents) {
            if (extent != 0 && count > std::numeric_limits<std::size_t>::max() / extent) {
                throw std::length_error("quodra: array extents overflow the element count");
            }
            count *= extent;
        }
        return count;
    }

    descriptor *raw_ = nullptr;
};

using bit_array = array<detail::bit_family>;
using real_array = array<detail::real_family>;
using complex_array = array<detail::complex_family>;
using uint_array = array<detail::uint_samples>;
using uint32_array = array<detail::uint32_family>;
using mpz_array = array<detail::mpz_samples>;
using mpz_complex_array = array<detail::mpz_complex_family>;

// The configuration record with a name the object owns. Default-constructed
// it holds the library's defaults (aux_param_2, which the library leaves
// alone, is 0).
struct config {
    std::string name;
    int32_t algorithm_type = 0;
    int32_t divisor_width = 0;
    int32_t dividend_width = 0;
    int32_t operand_sign = 0;
    int32_t remainder_type = 0;
    int32_t fractional_width = 0;
    int32_t aux_param_1 = 0;
    int32_t aux_param_2 = 0;

    config() {
        qor_quodra_v5_1_config record{};
        qor_quodra_v5_1_default_config(&record);
        *this = config(record);
    }

    explicit config(const qor_quodra_v5_1_config &record)
        : name(record.name != nullptr ? record.name : ""), algorithm_type(record.algorithm_type),
          divisor_width(record.divisor_width), dividend_width(record.dividend_width),
          operand_sign(record.operand_sign), remainder_type(record.remainder_type),
          fractional_width(record.fractional_width), aux_param_1(record.aux_param_1),
          aux_param_2(record.aux_param_2) {}

    // The C record; its name points into this object, so it is valid while
    // this object lives and its name is unchanged (never from a temporary).
    qor_quodra_v5_1_config to_c() const & noexcept {
        return {name.c_str(), algorithm_type, divisor_width,    dividend_width, operand_sign,
                remainder_type, fractional_width, aux_param_1, aux_param_2};
    }
    qor_quodra_v5_1_config to_c() const && = delete;
    explicit operator qor_quodra_v5_1_config() const & noexcept { return to_c(); }
    explicit operator qor_quodra_v5_1_config() const && = delete;

    bool is_fractional() const noexcept { return remainder_type != QUODRA_OUTPUT_REMAINDER; }
    bool is_signed() const noexcept { return operand_sign == QUODRA_OPERAND_SIGNED; }
    // The High Radix datapath writes no quotient for a zero divisor.
    bool quotient_undefined_on_zero_divisor() const noexcept {
        return is_fractional() && algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
    }
};

// Owner of one model object. Move-only and immutable: a const model may be
// shared by threads.
class model {
public:
    // Throws quodra::error with the library's bare text if the configuration
    // is refused.
    explicit model(const config &configuration) {
        const qor_quodra_v5_1_config record = configuration.to_c();
        detail::message_scope scope(nullptr);
        raw_ = qor_quodra_v5_1_create(&record, &detail::deliver_message, nullptr);
        scope.finish(raw_ == nullptr, "quodra: the model could not be created");
    }

    model(model &&other) noexcept : raw_(other.release()) {}
    model &operator=(model &&other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    model(const model &) = delete;
    model &operator=(const model &) = delete;
    ~model() { reset(nullptr); }

    quodra_v5_1 *get() noexcept { return raw_; }
    const quodra_v5_1 *get() const noexcept { return raw_; }
    explicit operator bool() const noexcept { return raw_ != nullptr; }

    // Gives the model up; the caller destroys it with qor_quodra_v5_1_destroy.
    quodra_v5_1 *release() noexcept { return std::exchange(raw_, nullptr); }

    // The configuration as the model stored it.
    config configuration() const {
        qor_quodra_v5_1_config record{};
        detail::message_scope scope(nullptr);
        const int32_t status = qor_quodra_v5_1_get_config(raw_, &record);
        scope.finish(status != 0, "quodra: the model holds no configuration");
        return config(record);
    }

private:
    void reset(quodra_v5_1 *replacement) noexcept {
        quodra_v5_1 *old = std::exchange(raw_, replacement);
        if (old != nullptr) {
            qor_quodra_v5_1_destroy(old);
        }
    }

    quodra_v5_1 *raw_ = nullptr;
};

// A read-only contiguous run of samples: a pointer and a count, or any
// container with data() and size() of exactly this element type.
template <class T>
class sample_view {
public:
    constexpr sample_view() noexcept = default;
    constexpr sample_view(const T *data, std::size_t size) noexcept : data_(data), size_(size) {}
    template <class Range,
              class Pointer = decltype(std::data(std::declval<const Range &>())),
              class = std::enable_if_t<std::is_same_v<
                  std::remove_cv_t<std::remove_pointer_t<Pointer>>, T>>>
    constexpr sample_view(const Range &range) noexcept
        : data_(std::data(range)), size_(std::size(range)) {}

    constexpr const T *data() const noexcept { return data_; }
    constexpr std::size_t size() const noexcept { return size_; }
    constexpr bool empty() const noexcept { return size_ == 0; }
    constexpr const T &operator[](std::size_t i) const noexcept { return data_[i]; }
    constexpr const T *begin() const noexcept { return data_; }
    constexpr const T *end() const noexcept { return data_ + size_; }

private:
    const T *data_ = nullptr;
    std::size_t size_ = 0;
};

// One sample's outputs.
template <class T>
struct result {
    std::optional<T> quotient;  // empty: High Radix with a zero divisor
    std::optional<T> remainder; // set in remainder mode only
    bool div_by_zero = false;
};

namespace detail {

// Moves 64-bit values into GNU MP integers and back without going through
// `long`, which is 32 bits on some platforms.
inline void assign(mpz_ptr target, const mpz_class &value) { mpz_set(target, value.get_mpz_t()); }

inline void assign(mpz_ptr target, uint64_t value) {
    if constexpr (sizeof(unsigned long) >= sizeof(uint64_t)) {
        mpz_set_ui(target, static_cast<unsigned long>(value));
    } else {
        mpz_import(target, 1, -1, sizeof value, 0, 0, &value);
    }
}

inline void assign(mpz_ptr target, int64_t value) {
    if constexpr (sizeof(long) >= sizeof(int64_t)) {
        mpz_set_si(target, static_cast<long>(value));
    } else {
        // The magnitude of INT64_MIN is 2^63, which uint64_t holds.
        const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        assign(target, magnitude);
        if (value < 0) {
            mpz_neg(target, target);
        }
    }
}

// |value| when it fits 64 bits, read limb by limb (limbs are 32 or 64 bits).
inline std::optional<uint64_t> magnitude_of(mpz_srcptr value) {
    constexpr unsigned limb_bits = GMP_NUMB_BITS;
    if (mpz_size(value) > 64 / limb_bits && mpz_sizeinbase(value, 2) > 64) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    for (std::size_t k = mpz_size(value); k-- > 0;) {
        magnitude = limb_bits >= 64 ? 0 : magnitude << (limb_bits % 64);
        magnitude |= static_cast<uint64_t>(mpz_getlimbn(value, static_cast<mp_size_t>(k)));
    }
    return magnitude;
}

[[noreturn]] inline void throw_does_not_fit(const char *field, std::size_t sample, const char *type) {
    throw std::overflow_error(std::string("quodra: the ") + field + " of sample " +
                              std::to_string(sample) + " does not fit in " + type);
}

inline void store(std::optional<mpz_class> &target, mpz_srcptr value, const char *, std::size_t) {
    if (!target) {
        target.emplace();
    }
    mpz_set(target->get_mpz_t(), value);
}

inline void store(std::optional<uint64_t> &target, mpz_srcptr value, const char *field,
                  std::size_t sample) {
    const std::optional<uint64_t> magnitude = magnitude_of(value);
    if (!magnitude || mpz_sgn(value) < 0) {
        throw_does_not_fit(field, sample, "uint64_t");
    }
    target = *magnitude;
}

inline void store(std::optional<int64_t> &target, mpz_srcptr value, const char *field,
                  std::size_t sample) {
    const std::optional<uint64_t> magnitude = magnitude_of(value);
    constexpr uint64_t largest = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    if (!magnitude || *magnitude > largest + (mpz_sgn(value) < 0 ? 1 : 0)) {
        throw_does_not_fit(field, sample, "int64_t");
    }
    // Negation in unsigned arithmetic, then a conversion that is exact for
    // every value in range, INT64_MIN included.
    target = mpz_sgn(value) < 0 ? static_cast<int64_t>(0 - *magnitude) : static_cast<int64_t>(*magnitude);
}

} // namespace detail

// Divides samples with one model. Holds its working arrays, allocated once and
// grown when a larger batch comes, so steady-state batches allocate nothing
// per sample (beyond what an mpz_class result needs the first time). One
// thread at a time; the model itself may be shared. Move-only; a moved-from
// divider throws on every call.
class divider {
public:
    explicit divider(const config &configuration = config(), message_callback on_message = {})
        : divider(std::make_shared<const model>(configuration), std::move(on_message)) {}

    explicit divider(std::shared_ptr<const model> shared, message_callback on_message = {})
        : model_(std::move(shared)), on_message_(std::move(on_message)) {
        if (!model_ || !*model_) {
            throw std::invalid_argument("quodra: a divider needs a model");
        }
        configuration_ = model_->configuration();
    }

    const config &configuration() const noexcept { return configuration_; }
    const std::shared_ptr<const model> &shared_model() const noexcept { return model_; }

    // One sample: the divisor first, then the dividend.
    result<mpz_class> divide(const mpz_class &divisor, const mpz_class &dividend) {
        prepare(1);
        detail::assign(divisor_[0], divisor);
        detail::assign(dividend_[0], dividend);
        run(1);
        result<mpz_class> out;
        collect(0, out);
        return out;
    }

    // Batches: out gets one result per sample and is reused across calls.
    void divide(sample_view<mpz_class> divisors, sample_view<mpz_class> dividends,
                std::vector<result<mpz_class>> &out) {
        divide_batch(divisors, dividends, out);
    }
    void divide(sample_view<int64_t> divisors, sample_view<int64_t> dividends,
                std::vector<result<int64_t>> &out) {
        divide_batch(divisors, dividends, out);
    }
    void divide(sample_view<uint64_t> divisors, sample_view<uint64_t> dividends,
                std::vector<result<uint64_t>> &out) {
        divide_batch(divisors, dividends, out);
    }
    std::vector<result<mpz_class>> divide(sample_view<mpz_class> divisors, sample_view<mpz_class> dividends) {
        return divide_batch(divisors, dividends);
    }
    std::vector<result<int64_t>> divide(sample_view<int64_t> divisors, sample_view<int64_t> dividends) {
        return divide_batch(divisors, dividends);
    }
    std::vector<result<uint64_t>> divide(sample_view<uint64_t> divisors, sample_view<uint64_t> dividends) {
        return divide_batch(divisors, dividends);
    }

    // The caller's arrays, exactly as qor_quodra_v5_1_data_do takes them
    // (remainder may be null in fractional mode). Uses no working array.
    void divide(qor_array_mpz *divisor, qor_array_mpz *dividend, qor_array_mpz *quotient,
                qor_array_mpz *remainder, qor_array_uint *div_by_zero, uint32_t count) const {
        detail::message_scope scope(&on_message_);
        const int32_t status =
            qor_quodra_v5_1_data_do(raw_model(), divisor, dividend, quotient, remainder, div_by_zero, count);
        scope.finish(status != 0, "quodra: data_do refused a null model, divisor or quotient array");
    }
    void divide(mpz_array &divisor, mpz_array &dividend, mpz_array &quotient, mpz_array &remainder,
                uint_array &div_by_zero, uint32_t count) const {
        divide(divisor.get(), dividend.get(), quotient.get(), remainder.get(), div_by_zero.get(), count);
    }

    // The same with doubles (qor_quodra_v5_1_data_real_do); truncation
    // warnings go to the message callback.
    void divide_real(qor_array_real *divisor, qor_array_real *dividend, qor_array_real *quotient,
                     qor_array_real *remainder, qor_array_uint *div_by_zero, uint32_t count) const {
        detail::message_scope scope(&on_message_);
        const int32_t status = qor_quodra_v5_1_data_real_do(raw_model(), divisor, dividend, quotient,
                                                            remainder, div_by_zero, count);
        scope.finish(status != 0, "quodra: data_real_do refused a null model, divisor or quotient array");
    }
    void divide_real(real_array &divisor, real_array &dividend, real_array &quotient, real_array &remainder,
                     uint_array &div_by_zero, uint32_t count) const {
        divide_real(divisor.get(), dividend.get(), quotient.get(), remainder.get(), div_by_zero.get(), count);
    }

private:
    // Null once the divider has been moved from; the library refuses it.
    const quodra_v5_1 *raw_model() const noexcept { return model_ ? model_->get() : nullptr; }

    template <class T>
    std::vector<result<T>> divide_batch(sample_view<T> divisors, sample_view<T> dividends) {
        std::vector<result<T>> out;
        divide_batch(divisors, dividends, out);
        return out;
    }

    template <class T>
    void divide_batch(sample_view<T> divisors, sample_view<T> dividends, std::vector<result<T>> &out) {
        if (divisors.size() != dividends.size()) {
            throw std::invalid_argument("quodra: divisors and dividends differ in number");
        }
        const std::size_t count = divisors.size();
        if (count > std::numeric_limits<uint32_t>::max()) {
            throw std::length_error("quodra: a batch holds at most 2^32 - 1 samples");
        }
        prepare(count);
        for (std::size_t i = 0; i < count; ++i) {
            detail::assign(divisor_[i], divisors[i]);
            detail::assign(dividend_[i], dividends[i]);
        }
        run(static_cast<uint32_t>(count));
        out.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            collect(i, out[i]);
        }
    }

    // Shapes the working arrays as 1-D vectors of count samples; storage only
    // ever grows.
    void prepare(std::size_t count) {
        divisor_.reshape({count});
        dividend_.reshape({count});
        quotient_.reshape({count});
        flags_.reshape({count});
        if (!configuration_.is_fractional()) {
            remainder_.reshape({count});
        }
    }

    void run(uint32_t count) {
        qor_array_mpz *remainder = configuration_.is_fractional() ? nullptr : remainder_.get();
        divide(divisor_.get(), dividend_.get(), quotient_.get(), remainder, flags_.get(), count);
    }

    template <class T>
    void collect(std::size_t i, result<T> &out) const {
        out.div_by_zero = flags_[i] != 0;
        if (out.div_by_zero && configuration_.quotient_undefined_on_zero_divisor()) {
            out.quotient.reset();
        } else {
            detail::store(out.quotient, quotient_[i], "quotient", i);
        }
        if (configuration_.is_fractional()) {
            out.remainder.reset();
        } else {
            detail::store(out.remainder, remainder_[i], "remainder", i);
        }
    }

    std::shared_ptr<const model> model_;
    message_callback on_message_;
    config configuration_;
    mpz_array divisor_;
    mpz_array dividend_;
    mpz_array quotient_;
    mpz_array remainder_;
    uint_array flags_;
};

} // namespace quodra

#endif // QUODRA_HPP
