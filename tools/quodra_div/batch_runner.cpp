#include "batch_runner.h"

#include <exception>
#include <vector>

#include "divider_model.h"
#include "number_text.h"
#include "output_sink.h"
#include "progress_meter.h"
#include "result_layout.h"
#include "row_formatter.h"
#include "sample_batch.h"
#include "sample_source.h"
#include "tool_error.h"

namespace quodra_div {
namespace {

// Operands the configured ports cannot carry are rejected, or wrapped to
// the port width on request; the library is never handed them, since its
// algorithms each treat extra bits differently and no core of this width
// could produce such a row.
class operand_check {
public:
    operand_check(const result_layout &layout, bool wrap)
        : dividend_(layout.dividend_range()), divisor_(layout.divisor_range()), wrap_(wrap) {}

    void apply(sample &operands, const sample_source &source) const {
        fit(operands.dividend.get(), dividend_, "dividend", source);
        fit(operands.divisor.get(), divisor_, "divisor", source);
    }

private:
    void fit(mpz_ptr value, const operand_range &range, const char *role,
             const sample_source &source) const {
        if (range.contains(value)) {
            return;
        }
        if (wrap_) {
            range.wrap(value);
            return;
        }
        std::string text;
        number_text().append_decimal(text, value);
        constexpr std::size_t longest_shown = 40;
        if (text.size() > longest_shown) {
            text = text.substr(0, longest_shown) + "...";
        }
        throw usage_error(source.position() + ": " + role + " " + text + " does not fit the " +
                          range.kind() + " " + role + " field (" + range.limits() +
                          "); --wrap-operands keeps its low bits");
    }

    const operand_range &dividend_;
    const operand_range &divisor_;
    bool wrap_;
};

class batch_pipeline {
public:
    batch_pipeline(const tool_options &options, const divider_model &model,
                   const result_layout &layout, sample_batch &batch)
        : options_(options), model_(model), layout_(layout), batch_(batch),
          check_(layout, options.wrap_operands), inputs_(batch.capacity()) {}

    void run(sample_source &source, row_formatter &formatter, output_sink &sink) {
        progress_meter progress(options_.progress, sink.is_terminal(), source.known_total());
        if (options_.header) {
            formatter.append_header(text_);
        }
        uint64_t done = 0;
        std::exception_ptr input_problem;
        for (;;) {
            const std::size_t count = fill(source, input_problem);
            divide_and_format(count, formatter);
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
                check_.apply(inputs_[count], source);
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
        batch_.mark_outputs_unwritten(count, layout_.unwritten_marker());
        if (!batch_.divide(model_.get(), count)) {
            throw tool_error(exit_status::division_failed, ""); // the library has said why
        }
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
    operand_check check_;
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
    // algorithm choice, before any output exists.
    if (!batch.divide(model.get(), 0)) {
        throw tool_error(exit_status::division_failed, "");
    }
    const result_layout layout(options.divider);
    const std::unique_ptr<sample_source> source = make_sample_source(options, layout);
    const std::unique_ptr<output_sink> sink = open_output(options.output_path);
    const std::unique_ptr<row_formatter> formatter = make_row_formatter(
        options.format, layout, describe_configuration(options.divider));
    batch_pipeline(options, model, layout, batch).run(*source, *formatter, *sink);
}

} // namespace quodra_div
