#include "running.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <vector>

#include "check.h"
#include "output_file.h"
#include "output_formats.h"
#include "parallel_run.h"

namespace quodra_div {

// ---------------------------------------------------------------------------
// The model
namespace {

// Where this thread's library messages go instead of standard error.
thread_local std::string *library_message_capture = nullptr;

// Every library message, with its severity, on standard error.
extern "C" void print_library_message(void *, int32_t error, const char *message) {
    const char *severity = error != 0 ? "error" : "warning";
    const char *text = message != nullptr ? message : "";
    if (library_message_capture != nullptr) {
        try {
            *library_message_capture +=
                std::string("quodra-div: ") + severity + ": " + text + "\n";
            return;
        } catch (const std::exception &) {
            // No memory to keep it: print it now rather than lose it.
        }
    }
    std::fprintf(stderr, "quodra-div: %s: %s\n", severity, text);
}

} // namespace

std::string *capture_library_messages(std::string *into) {
    std::string *previous = library_message_capture;
    library_message_capture = into;
    return previous;
}

divider_model::divider_model(const divider_settings &settings) {
    const qor_quodra_v5_1_config config = settings.library_config();
    model_ = qor_quodra_v5_1_create(&config, print_library_message, nullptr);
    if (model_ == nullptr) {
        throw tool_error(exit_status::division_failed, "");
    }
}

divider_model::~divider_model() { qor_quodra_v5_1_destroy(model_); }

// ---------------------------------------------------------------------------
// Batches
namespace {

// Never a flag value: shows that the library wrote no flag.
constexpr uint32_t unwritten_flag = 2;

tool_error array_failure(const char *what) {
    return tool_error(exit_status::division_failed, std::string("library array ") + what);
}

void require_success(int status, const char *what) {
    if (status != 0) {
        throw array_failure(what);
    }
}

} // namespace

sample_batch::sample_batch(std::size_t capacity, bool with_remainder)
    : capacity_(capacity),
      divisor_(qor_quodra_v5_1_qor_array_mpz_alloc(capacity)),
      dividend_(qor_quodra_v5_1_qor_array_mpz_alloc(capacity)),
      quotient_(qor_quodra_v5_1_qor_array_mpz_alloc(capacity)),
      remainder_(with_remainder ? qor_quodra_v5_1_qor_array_mpz_alloc(capacity) : nullptr),
      div_by_zero_(qor_quodra_v5_1_qor_array_uint_alloc(capacity)) {
    if (divisor_ == nullptr || dividend_ == nullptr || quotient_ == nullptr ||
        (with_remainder && remainder_ == nullptr) || div_by_zero_ == nullptr) {
        release();
        throw array_failure("allocation failed");
    }
}

sample_batch::~sample_batch() { release(); }

void sample_batch::release() {
    // destroy accepts null and returns null once it has released the array.
    divisor_ = qor_quodra_v5_1_qor_array_mpz_destroy(divisor_);
    dividend_ = qor_quodra_v5_1_qor_array_mpz_destroy(dividend_);
    quotient_ = qor_quodra_v5_1_qor_array_mpz_destroy(quotient_);
    remainder_ = qor_quodra_v5_1_qor_array_mpz_destroy(remainder_);
    div_by_zero_ = qor_quodra_v5_1_qor_array_uint_destroy(div_by_zero_);
}

void sample_batch::set_operands(std::size_t index, const sample &operands) {
    require_success(qor_quodra_v5_1_qor_array_mpz_set_data(divisor_, operands.divisor.get(), index),
                    "refused a divisor");
    require_success(
        qor_quodra_v5_1_qor_array_mpz_set_data(dividend_, operands.dividend.get(), index),
        "refused a dividend");
}

void sample_batch::mark_outputs_unwritten(std::size_t count, mpz_srcptr marker) {
    for (std::size_t i = 0; i < count; ++i) {
        qor_quodra_v5_1_qor_array_mpz_set_data(quotient_, marker, i);
        if (remainder_ != nullptr) {
            qor_quodra_v5_1_qor_array_mpz_set_data(remainder_, marker, i);
        }
        qor_quodra_v5_1_qor_array_uint_set_data(div_by_zero_, unwritten_flag, i);
    }
}

void sample_batch::divide(const quodra_v5_1 *model, std::size_t count,
                          mpz_srcptr unwritten_marker) {
    mark_outputs_unwritten(count, unwritten_marker);
    if (qor_quodra_v5_1_data_do(model, divisor_, dividend_, quotient_, remainder_, div_by_zero_,
                                static_cast<uint32_t>(count)) != 0) {
        throw tool_error(exit_status::division_failed, ""); // the library has said why
    }
}

void sample_batch::read_outputs(std::size_t index, mpz_ptr quotient, mpz_ptr remainder,
                                bool &div_by_zero) const {
    require_success(qor_quodra_v5_1_qor_array_mpz_get_data(quotient_, quotient, index),
                    "refused a quotient read");
    if (remainder_ != nullptr) {
        require_success(qor_quodra_v5_1_qor_array_mpz_get_data(remainder_, remainder, index),
                        "refused a remainder read");
    }
    uint32_t flag = unwritten_flag;
    require_success(qor_quodra_v5_1_qor_array_uint_get_data(div_by_zero_, &flag, index),
                    "refused a div_by_zero read");
    if (flag > 1) {
        throw tool_error(exit_status::division_failed,
                         "the library left a div_by_zero flag of " + std::to_string(flag));
    }
    div_by_zero = flag == 1;
}

// ---------------------------------------------------------------------------
// Progress line
namespace {

// Short runs stay quiet; long ones refresh a few times a second.
constexpr std::chrono::milliseconds quiet_start{1000};
constexpr std::chrono::milliseconds refresh_interval{250};

} // namespace

progress_meter::progress_meter(bool wanted, bool output_on_terminal, uint64_t total)
    : enabled_(wanted && !output_on_terminal && isatty(STDERR_FILENO) != 0),
      total_(total),
      started_(clock::now()),
      last_shown_(started_) {}

progress_meter::~progress_meter() { finish(); }

void progress_meter::update(uint64_t done) {
    if (!enabled_) {
        return;
    }
    const clock::time_point now = clock::now();
    if (now - started_ < quiet_start || now - last_shown_ < refresh_interval) {
        return;
    }
    last_shown_ = now;
    int printed = 0;
    if (total_ > 0) {
        printed = std::fprintf(stderr, "\rquodra-div: %llu of %llu samples (%.0f%%)",
                     static_cast<unsigned long long>(done),
                     static_cast<unsigned long long>(total_), 100.0 * done / total_);
    } else {
        printed = std::fprintf(stderr, "\rquodra-div: %llu samples",
                               static_cast<unsigned long long>(done));
    }
    shown_length_ = printed > 1 ? printed - 1 : 0;
    std::fflush(stderr);
}

void progress_meter::finish() {
    if (shown_length_ > 0) {
        std::fprintf(stderr, "\r%*s\r", shown_length_, "");
        std::fflush(stderr);
        shown_length_ = 0;
    }
}

// ---------------------------------------------------------------------------
// The run loop
namespace {

class batch_pipeline {
public:
    batch_pipeline(const tool_options &options, const divider_model &model,
                   const result_layout &layout, sample_batch &batch)
        : options_(options), model_(model), layout_(layout), batch_(batch),
          inputs_(batch.capacity()) {}

    void run(sample_source &source, row_formatter &formatter, output_file &sink) {
        progress_meter progress(options_.progress, sink.is_terminal(), source.known_total());
        // The header goes out with the first batch, once it has been read
        // and divided: a run that fails on its first sample prints nothing.
        bool header_pending = options_.header;
        uint64_t done = 0;
        std::exception_ptr input_problem;
        for (;;) {
            const std::size_t count = fill(source, input_problem);
            divide_and_format(count, formatter);
            if (header_pending && (count > 0 || !input_problem)) {
                std::string header;
                formatter.append_header(header);
                sink.write(header);
            }
            header_pending = false;
            sink.write(text_);
            text_.clear();
            done += count;
            progress.update(done);
            if (input_problem) {
                std::rethrow_exception(input_problem); // after the rows before it
            }
            if (count < batch_.capacity()) {
                break;
            }
        }
        progress.finish();
        sink.finish();
    }

private:
    // Up to one batch of checked samples; a bad one ends the batch early.
    std::size_t fill(sample_source &source, std::exception_ptr &problem) {
        std::size_t count = 0;
        try {
            while (count < inputs_.size() && source.next(inputs_[count])) {
                batch_.set_operands(count, inputs_[count]);
                ++count;
            }
        } catch (const tool_error &) {
            problem = std::current_exception();
        }
        return count;
    }

    void divide_and_format(std::size_t count, row_formatter &formatter) {
        if (count == 0) {
            return;
        }
        batch_.divide(model_.get(), count, layout_.unwritten_marker());
        for (std::size_t i = 0; i < count; ++i) {
            bool div_by_zero = false;
            batch_.read_outputs(i, quotient_.get(), remainder_.get(), div_by_zero);
            decode(i, div_by_zero);
            formatter.append_row(inputs_[i], result_, text_);
        }
    }

    void decode(std::size_t index, bool div_by_zero) {
        try {
            layout_.decode(quotient_.get(), remainder_.get(), div_by_zero, result_);
        } catch (const tool_error &e) {
            std::string operands;
            number_text numbers;
            numbers.append_decimal(operands, inputs_[index].dividend.get());
            operands += " / ";
            numbers.append_decimal(operands, inputs_[index].divisor.get());
            throw tool_error(e.status(), std::string(e.what()) + " for " + operands);
        }
    }

    const tool_options &options_;
    const divider_model &model_;
    const result_layout &layout_;
    sample_batch &batch_;
    std::vector<sample> inputs_;
    big_integer quotient_;
    big_integer remainder_;
    sample_result result_;
    std::string text_;
};

} // namespace

void run_divisions(const tool_options &options) {
    const divider_model model(options.divider);
    sample_batch batch(options.batch_size, !options.divider.fractional_output);
    // A call with no samples runs every check of the library, including the
    // algorithm choice, before any output exists (no slot to mark).
    batch.divide(model.get(), 0, nullptr);
    const result_layout layout(options.divider);
    // -i may name a file the tool wrote; check.cpp knows its formats.
    sample_source source(options, layout.dividend_range(), layout.divisor_range(),
                         results_file_probe(options, layout));
    output_file sink(options.output_path);
    if (options.jobs > 1) {
        run_batches_in_parallel(options, model, layout, source, sink);
        return;
    }
    row_formatter formatter(options.format, layout, describe_configuration(options.divider));
    batch_pipeline(options, model, layout, batch).run(source, formatter, sink);
}

} // namespace quodra_div
