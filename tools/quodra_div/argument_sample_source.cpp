#include "argument_sample_source.h"

#include "sample_line.h"
#include "tool_error.h"

namespace quodra_div {

argument_sample_source::argument_sample_source(std::vector<std::string> texts)
    : texts_(std::move(texts)) {}

bool argument_sample_source::next(sample &next_sample) {
    if (2 * pairs_taken_ + 1 >= texts_.size()) {
        return false;
    }
    const std::string &dividend = texts_[2 * pairs_taken_];
    const std::string &divisor = texts_[2 * pairs_taken_ + 1];
    ++pairs_taken_;
    try {
        parse_named_operand(dividend, "dividend", next_sample.dividend.get());
        parse_named_operand(divisor, "divisor", next_sample.divisor.get());
    } catch (const tool_error &e) {
        throw tool_error(e.status(), position() + ": " + e.what());
    }
    return true;
}

std::string argument_sample_source::position() const {
    return "command-line pair " + std::to_string(pairs_taken_);
}

} // namespace quodra_div
