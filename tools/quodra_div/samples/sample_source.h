// The origin of the samples the options chose, cut to the --shard part.
#ifndef QUODRA_DIV_SAMPLES_SAMPLE_SOURCE_H
#define QUODRA_DIV_SAMPLES_SAMPLE_SOURCE_H

#include <cstdint>
#include <string>
#include <variant>

#include "cli/options.h"
#include "formats/readback.h"
#include "formats/result_layout.h"
#include "samples/exhaustive_samples.h"
#include "samples/fixed_samples.h"
#include "samples/random_samples.h"
#include "samples/text_samples.h"

namespace quodra_div {

// Each origin hands out one sample at a time, so memory stays flat however
// many samples there are. next() fills the next sample and returns true, or
// returns false at the end; position() names where the sample last
// returned came from, for error messages; known_total() is the number of
// samples when known in advance, else 0 (for progress). Every sample fits
// the layout's fields. The layout must outlive the source.
class sample_source {
public:
    // Throws tool_error when the input cannot be opened. An input file in
    // one of the tool's own formats is read as such (see text_samples).
    sample_source(const tool_options &options, const result_layout &layout);

    bool next(sample &next_sample);
    // Whether the samples come as words too: random samples of fields 1 ..
    // 64 bits wide, and exhaustive pairs. next_words then hands out what
    // next() would, as
    // two's-complement words (numbers/machine_word.h); only then.
    bool gives_words() const;
    bool next_words(uint64_t &dividend, uint64_t &divisor);
    // Takes the next samples, up to `most`, without reading them: returns
    // how many, and in `first` the index that words_at gives the first of
    // them by. Only when gives_words(). words_at reads nothing that
    // claim_words changes, so threads may call it while the caller claims.
    uint64_t claim_words(uint64_t most, uint64_t &first);
    void words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const;
    std::string position() const;
    uint64_t known_total() const;

private:
    void restrict_to_shard(const shard_choice &shard);
    bool take_one_within_limit();

    own_file_formats own_formats_;
    // Random, exhaustive and demo samples are in range by construction.
    // monostate is only there until the constructor has built the chosen
    // origin.
    std::variant<std::monostate, fixed_samples, text_samples, random_samples, exhaustive_samples>
        origin_;
    // --shard: the part has limit_ samples; all but the last part stop
    // handing out samples there.
    bool sharded_ = false;
    bool limited_ = false;
    uint64_t limit_ = 0;
    uint64_t handed_out_ = 0;
};

} // namespace quodra_div

#endif
