// quodra._quodra: the compiled half of the Python package. It owns the
// model, moves samples between Python and the library, and releases the GIL
// while the library divides. Argument checking, names and result objects
// live in the pure-Python half (quodra/__init__.py).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bound_samples.h"
#include "diagnosis_bindings.h"
#include "engine/driver/word_batch.h"
#include "engine/driver/word_sample.h"
#include "integer_conversion.h"
#include "quodra.hpp"

namespace py = pybind11;

namespace quodra_python {
namespace {

// The common base of the two errors below, as a C++ tag for pybind11.
struct quodra_failure {};
struct configuration_refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct division_refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Warnings and notes of the call running on this thread, as runs of one
// text repeated: the real-valued front end warns once per value it
// truncates, and a batch of millions would otherwise hold millions of copies
// of a few texts. The library calls its handler on the caller's thread while
// the GIL is released, so texts are kept here and handed to Python's
// warnings once the call is back.
struct message_run {
    std::string text;
    std::size_t count;
};
using message_runs = std::vector<message_run>;

thread_local message_runs *pending_messages = nullptr;

class message_collection {
public:
    message_collection() : outer_(pending_messages) { pending_messages = &runs_; }
    ~message_collection() { pending_messages = outer_; }
    message_collection(const message_collection &) = delete;
    message_collection &operator=(const message_collection &) = delete;
    const message_runs &runs() const { return runs_; }

private:
    message_runs runs_;
    message_runs *outer_;
};

void collect_message(std::string_view text) {
    if (pending_messages == nullptr) {
        return;
    }
    if (!pending_messages->empty() && pending_messages->back().text == text) {
        ++pending_messages->back().count;
        return;
    }
    pending_messages->push_back({std::string(text), 1});
}

// The front end's warning texts (after "<name> WARNING: ") in the order one
// call gives them: it converts every divisor, then every dividend, divides,
// then converts every quotient and every remainder, warning once per value
// it truncates.
constexpr std::string_view phase_texts[] = {
    "Truncating non-integer divisor input", "Truncating non-integer dividend input",
    "Quotient truncated to fit double precision", "Remainder truncated to fit double precision"};

// The phase a text comes from; a text of no known phase ranks after them.
std::size_t phase_of(const std::string &text) {
    const auto ends_with = [&](std::string_view ending) {
        return text.size() >= ending.size() &&
               text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
    };
    return static_cast<std::size_t>(std::find_if(std::begin(phase_texts), std::end(phase_texts), ends_with) -
                                    std::begin(phase_texts));
}

// Adds one slice's messages to its batch's, a text already met to its run.
void merge_slice_messages(message_runs &batch, const message_runs &slice) {
    for (const message_run &run : slice) {
        const auto known = std::find_if(batch.begin(), batch.end(),
                                        [&](const message_run &placed) { return placed.text == run.text; });
        if (known != batch.end()) {
            known->count += run.count;
        } else {
            batch.push_back(run);
        }
    }
}

// A batch's messages as one call over all of it gives them: each text as
// one run, in phase order (texts of no known phase as first met).
void order_as_one_call(message_runs &batch) {
    std::stable_sort(batch.begin(), batch.end(), [](const message_run &a, const message_run &b) {
        return phase_of(a.text) < phase_of(b.text);
    });
}

py::list messages_to_python(const message_runs &runs) {
    py::list texts;
    for (const message_run &run : runs) {
        texts.append(py::make_tuple(py::str(run.text), run.count));
    }
    return texts;
}

// Batches go to the library in slices: its sample count is 32 bits, and a
// slice's placeholder elements (16 bytes a sample) stay small and in cache
// while the call costs no more than a few per-call checks per slice.
constexpr std::size_t slice_samples = std::size_t{1} << 16;

// Takes the GIL back for a moment and runs Python's pending signal handlers:
// Ctrl-C during a long batch raises KeyboardInterrupt at the next slice.
void raise_pending_signal() {
    py::gil_scoped_acquire held;
    if (PyErr_CheckSignals() != 0) {
        throw py::error_already_set();
    }
}

// Calls divide_slice(first, size) over the batch, slice by slice, and once
// for an empty batch, which still gets the library's configuration checks.
// Between slices a pending signal may end the batch. Call without the GIL.
template <class Slice> void for_each_slice(std::size_t count, Slice &&divide_slice) {
    std::size_t first = 0;
    do {
        const std::size_t size = std::min(count - first, slice_samples);
        divide_slice(first, size);
        first += size;
        if (first < count) {
            raise_pending_signal();
        }
    } while (first < count);
}

template <class T> T *offset(void *data, std::size_t first) {
    return data == nullptr ? nullptr : static_cast<T *>(data) + first;
}

sample_buffer slice_of(sample_buffer whole, std::size_t first) {
    switch (whole.kind) {
    case element_kind::int64:
        return {whole.kind, offset<int64_t>(whole.data, first)};
    case element_kind::uint64:
        return {whole.kind, offset<uint64_t>(whole.data, first)};
    case element_kind::big:
        return {whole.kind, offset<mpz_class>(whole.data, first)};
    }
    return whole;
}

element_kind native_kind(const py::array &array, const char *role) {
    if (array.dtype().is(py::dtype::of<int64_t>())) {
        return element_kind::int64;
    }
    if (array.dtype().is(py::dtype::of<uint64_t>())) {
        return element_kind::uint64;
    }
    throw py::type_error(std::string(role) + " must be an int64 or uint64 array");
}

void require_vector(const py::array &array, std::size_t count, bool writeable, const char *role) {
    const bool contiguous = (array.flags() & py::array::c_style) != 0;
    if (array.ndim() != 1 || static_cast<std::size_t>(array.shape(0)) != count || !contiguous ||
        (writeable && !array.writeable())) {
        throw py::value_error(std::string(role) + " must be a contiguous 1-D array of " +
                              std::to_string(count) + " elements");
    }
}

class core_model {
public:
    core_model(const std::string &name, int32_t algorithm, int32_t divisor_width,
               int32_t dividend_width, int32_t operand_sign, int32_t remainder_type,
               int32_t fractional_width)
        : model_(make_model(name, algorithm, divisor_width, dividend_width, operand_sign,
                            remainder_type, fractional_width)),
          divider_(model_, collect_message) {}

    bool fractional() const { return divider_.configuration().is_fractional(); }

    // The one-sample fast path's Result: its class and the Fields object
    // every Result of this model carries.
    void bind_result(py::object result_class, py::object fields) {
        result_class_ = std::move(result_class);
        fields_ = std::move(fields);
    }

    // One sample of two Python ints on the engine's word batch, as a Result;
    // None when the sample needs the exact path: an operand that is not
    // an int, does not fit int64 or not its field (the exact path then
    // raises the error), a configuration out of the batch's reach, a result
    // its word cannot hold, or no Result class bound yet.
    py::object divide_one(py::handle dividend, py::handle divisor) const {
        int64_t n = 0;
        int64_t d = 0;
        if (!one_sample_.in_reach || !result_class_ || !one_sample_.dividend.read(dividend, n) ||
            !one_sample_.divisor.read(divisor, d)) {
            return py::none();
        }
        uint64_t quotient = 0;
        uint64_t remainder = 0;
        uint32_t flag = 0;
        // The operands are int64 values, whatever the fields' sign.
        if (quodra_internal::divide_word_sample(*model_->get(), true, static_cast<uint64_t>(n),
                                                static_cast<uint64_t>(d), one_sample_.signed_quotient,
                                                1, {&quotient, &remainder, &flag}) !=
            quodra_internal::word_batch_status::divided) {
            return py::none();
        }
        py::object quotient_value;
        if (flag != 0 && one_sample_.signed_quotient) {
            quotient_value = py::none(); // High Radix writes no quotient for a zero divisor
        } else if (one_sample_.signed_quotient) {
            quotient_value = py::reinterpret_steal<py::object>(
                PyLong_FromLongLong(static_cast<int64_t>(quotient)));
        } else {
            quotient_value = py::reinterpret_steal<py::object>(PyLong_FromUnsignedLongLong(quotient));
        }
        py::object remainder_value =
            fractional() ? py::object(py::none())
                         : py::reinterpret_steal<py::object>(PyLong_FromUnsignedLongLong(remainder));
        return make_result(quotient_value, remainder_value, flag != 0);
    }

    // Native arrays in and out. Returns false when a result did not fit its
    // output array (the caller then divides again into Python integers).
    bool divide_native(const py::array &divisors, const py::array &dividends,
                       const py::array &quotient, const py::object &remainder,
                       const py::array &div_by_zero) const {
        const std::size_t count = static_cast<std::size_t>(divisors.size());
        const sample_buffer divisor_buffer = checked_input(divisors, count, "divisors");
        const sample_buffer dividend_buffer = checked_input(dividends, count, "dividends");
        const sample_buffer quotient_buffer = checked_output(quotient, count, "quotient");
        sample_buffer remainder_buffer{element_kind::int64, nullptr};
        if (!fractional()) {
            remainder_buffer = checked_output(remainder.cast<py::array>(), count, "remainder");
        }
        if (!div_by_zero.dtype().is(py::dtype::of<uint32_t>())) {
            throw py::type_error("div_by_zero must be a uint32 array");
        }
        require_vector(div_by_zero, count, true, "div_by_zero");
        auto *flags = static_cast<uint32_t *>(const_cast<void *>(div_by_zero.data()));

        py::gil_scoped_release unlocked;
        if (divide_word_slices(divisor_buffer, dividend_buffer, quotient_buffer, remainder_buffer,
                               flags, count)) {
            return true;
        }
        return divide_slices(divisor_buffer, dividend_buffer, quotient_buffer, remainder_buffer,
                             flags, count);
    }

    // Python integers in and out: (quotients, remainders or None, flags).
    py::tuple divide_integers(const py::sequence &divisors, const py::sequence &dividends) const {
        const std::size_t count = divisors.size();
        if (dividends.size() != count) {
            throw py::value_error("dividends and divisors differ in length");
        }
        std::vector<mpz_class> divisor_values(count), dividend_values(count);
        for (std::size_t i = 0; i < count; ++i) {
            assign_from_python(divisor_values[i], divisors[i]);
            assign_from_python(dividend_values[i], dividends[i]);
        }
        std::vector<mpz_class> quotients(count), remainders(fractional() ? 0 : count);
        std::vector<uint32_t> flags(count);
        {
            py::gil_scoped_release unlocked;
            divide_slices({element_kind::big, divisor_values.data()},
                          {element_kind::big, dividend_values.data()},
                          {element_kind::big, quotients.data()},
                          {element_kind::big, fractional() ? nullptr : remainders.data()},
                          flags.data(), count);
        }
        py::list quotient_list(count), flag_list(count);
        for (std::size_t i = 0; i < count; ++i) {
            quotient_list[i] = to_python(quotients[i]);
            flag_list[i] = py::bool_(flags[i] != 0);
        }
        py::object remainder_list = py::none();
        if (!fractional()) {
            py::list values(count);
            for (std::size_t i = 0; i < count; ++i) {
                values[i] = to_python(remainders[i]);
            }
            remainder_list = values;
        }
        return py::make_tuple(quotient_list, remainder_list, flag_list);
    }

    // Doubles through data_real_do, slice by slice: (quotient, remainder or
    // None, flags, the library's warnings as (text, times given) pairs).
    py::tuple divide_real(const py::array_t<double, py::array::c_style | py::array::forcecast> &divisors,
                          const py::array_t<double, py::array::c_style | py::array::forcecast> &dividends) const {
        const std::size_t count = static_cast<std::size_t>(divisors.size());
        if (divisors.ndim() != 1 || dividends.ndim() != 1 ||
            static_cast<std::size_t>(dividends.size()) != count) {
            throw py::value_error("dividends and divisors must be 1-D and of equal length");
        }
        if (count > std::numeric_limits<uint32_t>::max()) {
            throw py::value_error("a real-valued batch holds at most 2^32 - 1 samples");
        }
        py::array_t<double> quotient(static_cast<py::ssize_t>(count));
        py::array_t<double> remainder(static_cast<py::ssize_t>(count));
        py::array_t<uint32_t> flags(static_cast<py::ssize_t>(count));
        const real_batch batch{divisors.data(), dividends.data(), quotient.mutable_data(),
                               remainder.mutable_data(), flags.mutable_data()};
        message_runs messages;
        {
            py::gil_scoped_release unlocked;
            divide_real_slices(batch, count, messages);
        }
        order_as_one_call(messages);
        py::object remainder_result = fractional() ? py::object(py::none()) : py::object(remainder);
        return py::make_tuple(quotient, remainder_result, flags, messages_to_python(messages));
    }

private:
    // An operand field's int64 values, [low, high]: what Fields.operand_fits
    // accepts, for the values that fit int64.
    struct int64_field {
        int64_t low = 0;
        int64_t high = -1; // empty: every sample takes the exact path
        bool read(py::handle value, int64_t &out) const {
            if (!PyLong_CheckExact(value.ptr())) {
                return false; // bool, numpy integers and others: the exact path decides
            }
            int overflow = 0;
            const long long read = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
            if (overflow != 0 || (read == -1 && PyErr_Occurred() != nullptr)) {
                PyErr_Clear();
                return false;
            }
            out = read;
            return low <= out && out <= high;
        }
    };

    static int64_field field_of(int32_t width, bool is_signed) {
        constexpr int64_t largest = std::numeric_limits<int64_t>::max();
        if (width <= 0) {
            return {}; // the library judges such a field
        }
        if (is_signed) {
            return width >= 64 ? int64_field{std::numeric_limits<int64_t>::min(), largest}
                               : int64_field{-(int64_t{1} << (width - 1)), (int64_t{1} << (width - 1)) - 1};
        }
        return {0, width >= 63 ? largest : (int64_t{1} << width) - 1};
    }

    // Decided once: whether the word batch takes this configuration for
    // int64 operands, how its quotient reads, and the operand fields.
    struct one_sample_plan {
        bool in_reach = false;
        bool signed_quotient = false; // the High Radix quotient value
        int64_field dividend;
        int64_field divisor;
    };

    one_sample_plan plan_one_sample() const {
        const qor_quodra_v5_1_config &config = model_->get()->config;
        one_sample_plan plan;
        plan.signed_quotient = config.remainder_type == QUODRA_OUTPUT_FRACTIONAL &&
                               config.algorithm_type == QUODRA_ALGORITHM_HIGH_RADIX;
        const bool is_signed = config.operand_sign == QUODRA_OPERAND_SIGNED;
        plan.dividend = field_of(config.dividend_width, is_signed);
        plan.divisor = field_of(config.divisor_width, is_signed);
        uint64_t unused_word = 0;
        uint32_t unused_flag = 0;
        // No samples: the batch answers for the configuration alone.
        plan.in_reach = quodra_internal::divide_word_sample(
                            *model_->get(), true, 0, 0, plan.signed_quotient, 0,
                            {&unused_word, &unused_word, &unused_flag}) ==
                        quodra_internal::word_batch_status::divided;
        return plan;
    }

    // A Result as the Python half makes one: the dataclass's fields set as
    // object.__setattr__ sets them (it is frozen), without its __init__.
    py::object make_result(const py::object &quotient, const py::object &remainder, bool flag) const {
        // Kept for the life of the process: released after the interpreter,
        // they would be released into a finalized one.
        static PyObject *const quotient_name = PyUnicode_InternFromString("quotient");
        static PyObject *const remainder_name = PyUnicode_InternFromString("remainder");
        static PyObject *const flag_name = PyUnicode_InternFromString("div_by_zero");
        static PyObject *const fields_name = PyUnicode_InternFromString("_fields");
        static PyObject *const no_arguments = PyTuple_New(0);
        auto *type = reinterpret_cast<PyTypeObject *>(result_class_.ptr());
        py::object result = py::reinterpret_steal<py::object>(type->tp_new(type, no_arguments, nullptr));
        if (!result || PyObject_GenericSetAttr(result.ptr(), quotient_name, quotient.ptr()) != 0 ||
            PyObject_GenericSetAttr(result.ptr(), remainder_name, remainder.ptr()) != 0 ||
            PyObject_GenericSetAttr(result.ptr(), flag_name, flag ? Py_True : Py_False) != 0 ||
            PyObject_GenericSetAttr(result.ptr(), fields_name, fields_.ptr()) != 0) {
            throw py::error_already_set();
        }
        return result;
    }

    static std::shared_ptr<const quodra::model> make_model(const std::string &name, int32_t algorithm,
                                                           int32_t divisor_width, int32_t dividend_width,
                                                           int32_t operand_sign, int32_t remainder_type,
                                                           int32_t fractional_width) {
        const quodra::config defaults; // for the two auxiliary fields
        const quodra::config configuration(qor_quodra_v5_1_config{
            name.c_str(), algorithm, divisor_width, dividend_width, operand_sign, remainder_type,
            fractional_width, defaults.aux_param_1, defaults.aux_param_2});
        try {
            return std::make_shared<const quodra::model>(configuration);
        } catch (const quodra::error &refused) {
            throw configuration_refused(refused.what());
        }
    }

    static sample_buffer checked_input(const py::array &array, std::size_t count, const char *role) {
        require_vector(array, count, false, role);
        return {native_kind(array, role), const_cast<void *>(array.data())};
    }

    static sample_buffer checked_output(const py::array &array, std::size_t count, const char *role) {
        require_vector(array, count, true, role);
        return {native_kind(array, role), const_cast<void *>(array.data())};
    }

    template <class Call> static void run_reporting_failure(Call &&call) {
        try {
            call();
        } catch (const quodra::error &refused) {
            throw division_refused(refused.what());
        }
    }

    // The engine's word batch over the whole batch, slice by slice, when
    // both operand arrays are of one native type: the same results as
    // data_do without a GNU MP integer per sample. False, with the outputs
    // to be written again, when the configuration or a result is out of its
    // reach; data_do then divides the batch. Call without the GIL.
    bool divide_word_slices(sample_buffer divisors, sample_buffer dividends, sample_buffer quotients,
                            sample_buffer remainders, uint32_t *flags, std::size_t count) const {
        if (divisors.kind != dividends.kind || count == 0) {
            return false; // an empty batch still gets data_do's checks
        }
        bool divided = true;
        for_each_slice(count, [&](std::size_t first, std::size_t size) {
            if (!divided) {
                return;
            }
            quodra_internal::word_results out;
            out.quotient = result_words_of(slice_of(quotients, first));
            out.remainder = result_words_of(slice_of(remainders, first));
            out.div_by_zero = flags + first;
            divided = divide_word_slice(slice_of(divisors, first), slice_of(dividends, first), size,
                                        out) == quodra_internal::word_batch_status::divided;
        });
        return divided;
    }

    quodra_internal::word_batch_status divide_word_slice(sample_buffer divisors, sample_buffer dividends,
                                                         std::size_t size,
                                                         const quodra_internal::word_results &out) const {
        if (divisors.kind == element_kind::int64) {
            return quodra_internal::divide_word_batch(*model_->get(), static_cast<const int64_t *>(divisors.data),
                                                      static_cast<const int64_t *>(dividends.data), size, out);
        }
        return quodra_internal::divide_word_batch(*model_->get(), static_cast<const uint64_t *>(divisors.data),
                                                  static_cast<const uint64_t *>(dividends.data), size, out);
    }

    static quodra_internal::result_words result_words_of(sample_buffer buffer) {
        quodra_internal::result_words words;
        if (buffer.kind == element_kind::int64) {
            words.as_int64 = static_cast<int64_t *>(buffer.data);
        } else {
            words.as_uint64 = static_cast<uint64_t *>(buffer.data);
        }
        return words;
    }

    // Runs data_do over the whole batch, slice by slice, with every vector
    // bound to its buffer. Call without the GIL. True when every result fit.
    bool divide_slices(sample_buffer divisors, sample_buffer dividends, sample_buffer quotients,
                       sample_buffer remainders, uint32_t *flags, std::size_t count) const {
        bool every_result_fits = true;
        const placeholder_elements elements(std::min(count, slice_samples));
        for_each_slice(count, [&](std::size_t first, std::size_t size) {
            bound_samples divisor(elements, size, slice_of(divisors, first));
            bound_samples dividend(elements, size, slice_of(dividends, first));
            bound_samples quotient(elements, size, slice_of(quotients, first));
            bound_samples remainder(elements, size, slice_of(remainders, first));
            caller_vector<qor_array_uint, qor_array_uint_ops> flag_vector(
                reinterpret_cast<unsigned int *>(flags + first), size,
                qor_quodra_v5_1_qor_array_uint_get_default_ops());
            qor_array_mpz *remainder_vector = remainders.data != nullptr ? remainder.descriptor() : nullptr;
            run_reporting_failure([&] {
                divider_.divide(divisor.descriptor(), dividend.descriptor(), quotient.descriptor(),
                                remainder_vector, &flag_vector.descriptor, static_cast<uint32_t>(size));
            });
            every_result_fits = every_result_fits && !quotient.overflowed() && !remainder.overflowed();
        });
        return every_result_fits;
    }

    // The caller's storage of one real-valued batch.
    struct real_batch {
        const double *divisors;
        const double *dividends;
        double *quotients;
        double *remainders;
        uint32_t *flags;
    };

    // Runs data_real_do over the batch in slices, so that its temporary
    // integers stay a slice long. One call over the whole batch refuses an
    // infinity or NaN before anything else, a divisor before a dividend;
    // the sample it would name goes to the library alone first, so a
    // refusal is the same whichever slice holds it. Every other refusal
    // depends on the configuration only and comes with the first slice.
    // Call without the GIL.
    void divide_real_slices(const real_batch &batch, std::size_t count, message_runs &messages) const {
        const std::size_t unconvertible = first_unconvertible_sample(batch, count);
        if (unconvertible < count) {
            message_runs unused;
            divide_real_slice(batch, unconvertible, 1, unused);
        }
        for_each_slice(count, [&](std::size_t first, std::size_t size) {
            divide_real_slice(batch, first, size, messages);
        });
    }

    // The first sample with a non-finite divisor, else the first with a
    // non-finite dividend, else count.
    static std::size_t first_unconvertible_sample(const real_batch &batch, std::size_t count) {
        const auto non_finite = [](double value) { return !std::isfinite(value); };
        const double *divisor = std::find_if(batch.divisors, batch.divisors + count, non_finite);
        if (divisor != batch.divisors + count) {
            return static_cast<std::size_t>(divisor - batch.divisors);
        }
        return static_cast<std::size_t>(std::find_if(batch.dividends, batch.dividends + count, non_finite) -
                                        batch.dividends);
    }

    void divide_real_slice(const real_batch &batch, std::size_t first, std::size_t size,
                           message_runs &messages) const {
        qor_array_real_ops *real_ops = qor_quodra_v5_1_qor_array_real_get_default_ops();
        using real_vector = caller_vector<qor_array_real, qor_array_real_ops>;
        real_vector divisor(const_cast<double *>(batch.divisors + first), size, real_ops);
        real_vector dividend(const_cast<double *>(batch.dividends + first), size, real_ops);
        real_vector quotient(batch.quotients + first, size, real_ops);
        real_vector remainder(batch.remainders + first, size, real_ops);
        caller_vector<qor_array_uint, qor_array_uint_ops> flags(
            reinterpret_cast<unsigned int *>(batch.flags + first), size,
            qor_quodra_v5_1_qor_array_uint_get_default_ops());
        const message_collection slice_messages;
        run_reporting_failure([&] {
            divider_.divide_real(&divisor.descriptor, &dividend.descriptor, &quotient.descriptor,
                                 &remainder.descriptor, &flags.descriptor, static_cast<uint32_t>(size));
        });
        merge_slice_messages(messages, slice_messages.runs());
    }

    std::shared_ptr<const quodra::model> model_;
    quodra::divider divider_;
    one_sample_plan one_sample_ = plan_one_sample();
    py::object result_class_;
    py::object fields_;
};

// divide_one as a plain CPython function bound to one model: a fast call
// with two positional arguments and none of the binding layer's overload
// dispatch, which costs more than the division. Its self is a capsule that
// holds the model's Python object alive, the model itself as its context.
constexpr const char *one_sample_capsule = "quodra.one_sample";

PyObject *divide_one_call(PyObject *self, PyObject *const *args, Py_ssize_t count) {
    if (count != 2) {
        PyErr_SetString(PyExc_TypeError, "divide_one takes a dividend and a divisor");
        return nullptr;
    }
    const auto *model = static_cast<const core_model *>(PyCapsule_GetContext(self));
    try {
        return model->divide_one(args[0], args[1]).release().ptr();
    } catch (py::error_already_set &raised) {
        raised.restore();
    } catch (const std::exception &failure) {
        PyErr_SetString(PyExc_RuntimeError, failure.what());
    }
    return nullptr;
}

PyMethodDef divide_one_definition = {"divide_one", reinterpret_cast<PyCFunction>(
                                                       reinterpret_cast<void (*)()>(divide_one_call)),
                                     METH_FASTCALL, "One sample on machine words, or None."};

void release_owner(PyObject *capsule) {
    Py_XDECREF(static_cast<PyObject *>(PyCapsule_GetPointer(capsule, one_sample_capsule)));
}

py::object one_sample_function(py::object model) {
    py::object capsule = py::reinterpret_steal<py::object>(
        PyCapsule_New(model.ptr(), one_sample_capsule, release_owner));
    if (!capsule) {
        throw py::error_already_set();
    }
    model.inc_ref(); // released with the capsule
    if (PyCapsule_SetContext(capsule.ptr(), &model.cast<core_model &>()) != 0) {
        throw py::error_already_set();
    }
    py::object function =
        py::reinterpret_steal<py::object>(PyCFunction_New(&divide_one_definition, capsule.ptr()));
    if (!function) {
        throw py::error_already_set();
    }
    return function;
}

// The library's default configuration, in the Python package's terms.
py::dict default_configuration() {
    const quodra::config defaults;
    py::dict fields;
    fields["name"] = defaults.name;
    fields["algorithm"] = defaults.algorithm_type;
    fields["divisor_width"] = defaults.divisor_width;
    fields["dividend_width"] = defaults.dividend_width;
    fields["signed"] = defaults.is_signed();
    fields["output"] = defaults.is_fractional() ? "fractional" : "remainder";
    fields["fractional_width"] = defaults.fractional_width;
    return fields;
}

} // namespace
} // namespace quodra_python

PYBIND11_MODULE(_quodra, module) {
    using namespace quodra_python;
    module.doc() = "Compiled core of the quodra package; use the quodra package itself.";
    module.attr("__version__") = QUODRA_PYTHON_VERSION;
    module.attr("library_version") = quodra::library_version();
    module.attr("header_version") = QUODRA_VERSION_STRING;

    static py::exception<quodra_failure> base_error(module, "Error", PyExc_Exception);
    py::register_exception<configuration_refused>(module, "ConfigurationError", base_error);
    py::register_exception<division_refused>(module, "DivisionError", base_error);

    module.def("default_configuration", &default_configuration);

    py::class_<core_model>(module, "CoreModel")
        .def(py::init<const std::string &, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>(),
             py::arg("name"), py::arg("algorithm"), py::arg("divisor_width"), py::arg("dividend_width"),
             py::arg("operand_sign"), py::arg("remainder_type"), py::arg("fractional_width"))
        .def("divide_native", &core_model::divide_native)
        .def("divide_integers", &core_model::divide_integers)
        .def("divide_real", &core_model::divide_real)
        .def("bind_result", &core_model::bind_result)
        .def("one_sample_function", &one_sample_function);

    // The floor of the one-sample benchmark (python/bench/divide_one.py): a
    // call that takes two ints and returns them, through the same binding
    // layer as divide_one. Not part of the package's interface.
    module.def("_echo2", [](py::handle a, py::handle b) {
        return py::make_tuple(a, b);
    });

    bind_diagnosis(module);
}
