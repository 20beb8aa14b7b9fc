#include "check/word_check.h"

#include <exception>
#include <string>
#include <vector>

#include "cli/tool_error.h"
#include "formats/hex_word_row.h"
#include "numbers/machine_word.h"
#include "run/word_division_batch.h"
#include "run/word_route.h"

namespace quodra_div {

namespace {

bool widths_in_words(const result_layout &layout) {
    const auto in_word = [](unsigned width) { return width >= 1 && width <= 64; };
    for (const output_field &field : layout.fields()) {
        if (!in_word(field.width)) return false;
    }
    return in_word(layout.dividend_range().width()) && in_word(layout.divisor_range().width()) &&
           fields_fit_words(layout);
}

// compare_result_row's verdict on a hex row: every output the model
// defines is given with the model's pattern, and so is the flag.
bool agrees(const word_row &row, const word_result &model, std::size_t fields) {
    if (model.fields_known) {
        for (std::size_t f = 0; f < fields; ++f) {
            if (!row.defined[f] || row.patterns[f] != model.field_patterns[f]) return false;
        }
    }
    return row.flag_defined && row.div_by_zero == model.div_by_zero;
}

// One batch of rows and what checking it needs, reused batch after batch
// so that a row costs no allocation.
class word_checker {
public:
    word_checker(const tool_options &options, prepared_divider &divider, check_report &report)
        : divider_(divider), report_(report),
          words_(options.batch_size, divider.layout.dividend_range().is_signed()) {}

    // Reads up to capacity rows; a tool_error ends the batch there and is
    // returned, to be thrown after the rows before it are checked.
    std::exception_ptr read(result_rows &rows) {
        count_ = 0;
        try {
            while (count_ < words_.capacity()) {
                if (count_ == rows_.size()) rows_.emplace_back();
                if (!rows.next_words(rows_[count_])) break;
                ++count_;
            }
        } catch (const tool_error &) {
            return std::current_exception();
        }
        return nullptr;
    }

    std::size_t count() const { return count_; }
    std::size_t capacity() const { return words_.capacity(); }

    void check(std::string &text) {
        words_.fill_with(count_, [&](std::size_t i, uint64_t &dividend, uint64_t &divisor) {
            dividend = rows_[i].dividend;
            divisor = rows_[i].divisor;
        });
        if (words_.divide(divider_.model, divider_.layout) && all_agree()) {
            add_agreeing_rows();
        } else {
            check_on_gnu_mp(text);
        }
    }

private:
    bool all_agree() const {
        const std::size_t fields = divider_.layout.fields().size();
        for (std::size_t i = 0; i < count_; ++i) {
            if (!agrees(rows_[i], words_.result(i), fields)) return false;
        }
        return true;
    }

    void add_agreeing_rows() {
        for (std::size_t i = 0; i < count_; ++i) {
            report_.add_agreeing(rows_[i].dividend, rows_[i].divisor, words_.result(i));
        }
    }

    // The batch as check_results' GNU MP loop checks it.
    void check_on_gnu_mp(std::string &text) {
        division_batch &batch = divider_.batch;
        const bool dividend_signed = divider_.layout.dividend_range().is_signed();
        const bool divisor_signed = divider_.layout.divisor_range().is_signed();
        batch.reset();
        batch.fill([&](sample &operands, std::size_t i) {
            if (i >= count_) return false;
            set_from_word(operands.dividend.get(), rows_[i].dividend, dividend_signed);
            set_from_word(operands.divisor.get(), rows_[i].divisor, divisor_signed);
            return true;
        });
        batch.divide(divider_.model, divider_.layout, fault_naming::plain,
                     [&](std::size_t i, const sample &, const sample_result &result) {
                         result_row_from_words(rows_[i], divider_.layout, row_);
                         report_.add(row_, result, text);
                     });
    }

    prepared_divider &divider_;
    check_report &report_;
    word_division_batch words_;
    std::vector<word_row> rows_;
    std::size_t count_ = 0;
    result_row row_;
};

} // namespace

bool checks_on_words(const prepared_divider &divider, result_rows &rows) {
    return widths_in_words(divider.layout) && word_batch_reaches(divider.model) &&
           rows.format() == output_format::hex;
}

void check_word_batches(const tool_options &options, prepared_divider &divider,
                        result_rows &rows, check_report &report, output_file &sink,
                        progress_meter &progress) {
    word_checker checker(options, divider, report);
    std::string text;
    uint64_t done = 0;
    for (;;) {
        const std::exception_ptr problem = checker.read(rows);
        checker.check(text);
        sink.write(text);
        text.clear();
        done += checker.count();
        progress.update(done);
        if (problem) {
            std::rethrow_exception(problem);
        }
        if (checker.count() < checker.capacity()) {
            break;
        }
    }
    progress.finish();
}

} // namespace quodra_div
