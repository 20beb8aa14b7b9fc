#include "run/division_batch.h"

#include <string>

#include "numbers/number_text.h"

namespace quodra_div {

division_batch::division_batch(std::size_t capacity, bool with_remainder)
    : capacity_(capacity), arrays_(with_remainder) {}

sample &division_batch::next_input() {
    if (count_ == inputs_.size()) {
        inputs_.emplace_back();
    }
    return inputs_[count_];
}

void division_batch::check_configuration(const divider_model &model) {
    arrays_.divide(model.get(), 0, nullptr); // no samples, so no slot to mark
}

void division_batch::reset() {
    count_ = 0;
    input_problem_ = nullptr;
}

void division_batch::load_arrays() {
    arrays_.hold(count_);
    for (std::size_t i = 0; i < count_; ++i) {
        try {
            arrays_.set_operands(i, inputs_[i]);
        } catch (const tool_error &) {
            input_problem_ = std::current_exception();
            count_ = i;
        }
    }
}

const sample_result &division_batch::decoded(std::size_t index, const result_layout &layout,
                                             fault_naming naming) {
    bool div_by_zero = false;
    arrays_.read_outputs(index, quotient_.get(), remainder_.get(), div_by_zero);
    try {
        layout.decode(quotient_.get(), remainder_.get(), div_by_zero, result_);
    } catch (const tool_error &e) {
        if (naming == fault_naming::plain) {
            throw;
        }
        std::string operands;
        number_text numbers;
        numbers.append_decimal(operands, inputs_[index].dividend.get());
        operands += " / ";
        numbers.append_decimal(operands, inputs_[index].divisor.get());
        throw tool_error(e.status(), std::string(e.what()) + " for " + operands);
    }
    return result_;
}

} // namespace quodra_div
