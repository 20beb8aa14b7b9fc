#include "run/word_route.h"

#include <exception>
#include <optional>
#include <vector>

#include "formats/row_formatter.h"
#include "numbers/machine_word.h"
#include "run/word_division_batch.h"

namespace quodra_div {

namespace {

// The batch's samples again, as GNU MP integers, through division_batch and
// data_do, written as the GNU MP route writes them. Returns the rows
// written: fewer than the samples when the library refused an operand.
std::size_t divide_on_gnu_mp(const word_division_batch &words, division_batch &batch,
                             const divider_model &model, const result_layout &layout,
                             row_formatter &formatter, std::string &text,
                             quodra_diagnosis::corner_coverage *coverage) {
    const bool is_signed = layout.dividend_range().is_signed();
    batch.reset();
    batch.fill([&](sample &operands, std::size_t index) {
        if (index >= words.count()) {
            return false;
        }
        set_from_word(operands.dividend.get(), words.dividend(index), is_signed);
        set_from_word(operands.divisor.get(), words.divisor(index), is_signed);
        return true;
    });
    batch.divide(model, layout, fault_naming::with_operands,
                 [&](std::size_t, const sample &input, const sample_result &result) {
                     formatter.append_row(input, result, text);
                     if (coverage != nullptr) tally(*coverage, layout, input, result);
                 });
    return batch.count();
}

void append_word_rows(const word_division_batch &words, const row_formatter &formatter,
                      std::string &text, word_tally *coverage) {
    for (std::size_t i = 0; i < words.count(); ++i) {
        formatter.append_word_row(words.dividend(i), words.divisor(i), words.result(i), text);
        if (coverage != nullptr) coverage->add(words.dividend(i), words.divisor(i), words.result(i));
    }
}

} // namespace

bool fields_fit_words(const result_layout &layout) {
    for (const output_field &field : layout.fields()) {
        if (field.width > 64) {
            return false;
        }
    }
    // A signed raw quotient leaves the word's top value free for the
    // planted unwritten marker.
    return layout.raw_quotient_bits() <= (layout.raw_quotient_signed() ? 63u : 64u);
}

std::size_t divide_and_append_rows(word_division_batch &words, division_batch &gnu_mp,
                                   const divider_model &model, const result_layout &layout,
                                   row_formatter &formatter, std::string &text,
                                   word_tally *coverage) {
    if (!words.divide(model, layout)) {
        return divide_on_gnu_mp(words, gnu_mp, model, layout, formatter, text,
                                coverage != nullptr ? &coverage->bins() : nullptr);
    }
    append_word_rows(words, formatter, text, coverage);
    return words.count();
}

bool takes_word_route(const tool_options &options, const sample_source &source,
                      const prepared_divider &divider) {
    return row_formatter::writes_words(options.format) && source.gives_words() && fields_fit_words(divider.layout) &&
           word_batch_reaches(divider.model);
}

void run_word_batches(const tool_options &options, prepared_divider &divider, sample_source &source,
                      const std::string &summary, output_file &sink, progress_meter &progress,
                      quodra_diagnosis::corner_coverage *coverage) {
    std::optional<word_tally> tallied;
    if (coverage != nullptr) tallied.emplace(*coverage, divider.layout);
    row_formatter formatter(options.format, divider.layout, summary);
    word_division_batch words(options.batch_size, divider.layout.dividend_range().is_signed());
    bool header_pending = options.header; // random samples never fail to read
    std::string text;
    uint64_t done = 0;
    for (;;) {
        words.fill(source);
        if (header_pending) {
            formatter.append_header(text);
            header_pending = false;
        }
        const std::size_t rows = divide_and_append_rows(words, divider.batch, divider.model,
                                                        divider.layout, formatter, text,
                                                        tallied ? &*tallied : nullptr);
        sink.write(text);
        text.clear();
        done += rows;
        progress.update(done);
        if (divider.batch.input_problem()) {
            std::rethrow_exception(divider.batch.input_problem());
        }
        if (words.count() < words.capacity()) {
            break;
        }
    }
    progress.finish();
}

} // namespace quodra_div
