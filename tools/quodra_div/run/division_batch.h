// One batch on its way through the model: the samples read for it, the
// library arrays they are divided in, and each sample's decoded result.
// Running, checking and every --jobs worker take batches through the same
// steps: fill, then divide.
#ifndef QUODRA_DIV_RUN_DIVISION_BATCH_H
#define QUODRA_DIV_RUN_DIVISION_BATCH_H

#include <cstddef>
#include <deque>
#include <exception>

#include "cli/tool_error.h"
#include "formats/result_layout.h"
#include "numbers/big_integer.h"
#include "run/divider_model.h"
#include "run/sample_batch.h"
#include "samples/sample.h"

namespace quodra_div {

// What a failure to decode a result says about its sample: runs name the
// operands, a check's report has already named the row.
enum class fault_naming { with_operands, plain };

class division_batch {
public:
    // Holds up to capacity samples, but memory follows the samples actually
    // read: the samples and the library arrays grow as a fill needs them
    // and are then reused, so a short input costs little at any
    // --batch-size. Throws tool_error if the library arrays cannot be
    // allocated. Without remainder the library is given no remainder array.
    division_batch(std::size_t capacity, bool with_remainder);

    std::size_t capacity() const { return capacity_; }
    std::size_t count() const { return count_; }
    // The problem (a bad sample, a refused operand) that ended the batch
    // early, to be thrown after the rows before it; null if none.
    const std::exception_ptr &input_problem() const { return input_problem_; }
    // Whether a batch like this one is the last: the input ended or failed.
    bool is_last() const { return input_problem_ || count_ < capacity(); }

    // A library call with no samples runs every check of the configuration,
    // including the algorithm choice, before any output exists.
    void check_configuration(const divider_model &model);

    // Empties the batch for the next fill.
    void reset();

    // Reads up to capacity samples: read(operands, index) fills the next
    // one and returns true, or returns false at the end of the input. A
    // tool_error from read ends the batch there and is kept.
    template <typename Read> void fill(Read &&read) {
        try {
            while (count_ < capacity_ && read(next_input(), count_)) {
                ++count_;
            }
        } catch (const tool_error &) {
            input_problem_ = std::current_exception();
        }
    }

    // Loads the operands into the library arrays, divides them in one
    // library call and hands each decoded result to take(index, input,
    // result), in sample order. An array refusing an operand ends the batch
    // there, as a bad sample would. Throws tool_error when the library
    // fails or a result cannot be decoded.
    template <typename Take>
    void divide(const divider_model &model, const result_layout &layout, fault_naming naming,
                Take &&take) {
        load_arrays();
        if (count_ == 0) {
            return;
        }
        arrays_.divide(model.get(), count_, layout.unwritten_marker());
        for (std::size_t i = 0; i < count_; ++i) {
            take(i, inputs_[i], decoded(i, layout, naming));
        }
    }

private:
    sample &next_input();
    void load_arrays();
    const sample_result &decoded(std::size_t index, const result_layout &layout,
                                 fault_naming naming);

    std::size_t capacity_;
    sample_batch arrays_;
    std::deque<sample> inputs_; // grows without copying the samples read
    std::size_t count_ = 0;
    std::exception_ptr input_problem_;
    big_integer quotient_;
    big_integer remainder_;
    sample_result result_;
};

} // namespace quodra_div

#endif
