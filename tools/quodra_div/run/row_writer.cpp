#include "run/row_writer.h"

namespace quodra_div {

bool header_goes_with(const division_batch &first) {
    return first.count() > 0 || !first.input_problem();
}

void row_writer::open_batch(const division_batch &batch, std::string &text) {
    if (header_pending_ && header_goes_with(batch)) {
        formatter_.append_header(text);
    }
    header_pending_ = false;
}

} // namespace quodra_div
