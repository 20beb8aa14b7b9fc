// Where samples come from: command-line pairs, a text stream, random
// generation or the built-in demo set. Each hands out one sample at a time,
// so memory stays flat however many samples there are.
#ifndef QUODRA_DIV_SAMPLE_SOURCE_H
#define QUODRA_DIV_SAMPLE_SOURCE_H

#include <cstdint>
#include <memory>
#include <string>

#include "big_integer.h"

namespace quodra_div {

struct tool_options;
class result_layout;

struct sample {
    big_integer dividend;
    big_integer divisor;
};

class sample_source {
public:
    virtual ~sample_source() = default;

    // Fills the next sample and returns true, or returns false at the end.
    // Throws tool_error, naming the position, for malformed input.
    virtual bool next(sample &next_sample) = 0;

    // Where the sample last returned came from, for error messages,
    // e.g. "pairs.txt:12".
    virtual std::string position() const = 0;

    // Number of samples when known in advance, else 0 (for progress).
    virtual uint64_t known_total() const { return 0; }
};

// Throws tool_error when the input cannot be opened.
std::unique_ptr<sample_source> make_sample_source(const tool_options &options,
                                                  const result_layout &layout);

} // namespace quodra_div

#endif
