#include "samples/sample_source.h"

#include <algorithm>
#include <type_traits>

namespace quodra_div {

namespace {

// The call for every origin but the placeholder.
template <typename Result, typename Call> struct on_origin {
    Result none;
    Call call;
    Result operator()(std::monostate &) const { return none; }
    Result operator()(const std::monostate &) const { return none; }
    template <typename Origin> Result operator()(Origin &origin) const { return call(origin); }
};

template <typename Result, typename Call>
on_origin<Result, Call> for_origins(Result none, Call call) {
    return {none, call};
}

// The origins that hand out words (gives_words says when).
template <typename Origin>
constexpr bool has_words =
    std::is_same_v<Origin, random_samples> || std::is_same_v<Origin, exhaustive_samples>;

} // namespace

sample_source::sample_source(const tool_options &options, const result_layout &layout)
    : own_formats_{layout, options.divider} {
    const operand_range &dividend_range = layout.dividend_range();
    const operand_range &divisor_range = layout.divisor_range();
    const operand_fields fields{dividend_range, divisor_range, options.wrap_operands};
    // Each origin is built in place: a text stream owns an open file.
    switch (options.origin) {
    case sample_origin::arguments:
        origin_.emplace<fixed_samples>(
            fixed_samples::from_arguments(options.operand_texts, fields));
        break;
    case sample_origin::random:
        origin_.emplace<random_samples>(dividend_range, divisor_range, options.random_count,
                                        options.random_seed);
        break;
    case sample_origin::demo:
        origin_.emplace<fixed_samples>(fixed_samples::demo(dividend_range, divisor_range));
        break;
    case sample_origin::exhaustive:
        origin_.emplace<exhaustive_samples>(dividend_range, divisor_range);
        break;
    case sample_origin::text_stream:
        origin_.emplace<text_samples>(options.input_path, fields, &own_formats_);
        break;
    }
    restrict_to_shard(options.shard);
}

bool sample_source::take_one_within_limit() {
    if (limited_) {
        if (handed_out_ >= limit_) {
            return false;
        }
        ++handed_out_;
    }
    return true;
}

bool sample_source::next(sample &next_sample) {
    if (!take_one_within_limit()) {
        return false;
    }
    return std::visit(for_origins(false, [&](auto &origin) { return origin.next(next_sample); }),
                      origin_);
}

bool sample_source::gives_words() const {
    const auto *random = std::get_if<random_samples>(&origin_);
    return (random != nullptr && random->fits_words()) ||
           std::holds_alternative<exhaustive_samples>(origin_);
}

bool sample_source::next_words(uint64_t &dividend, uint64_t &divisor) {
    uint64_t index = 0;
    if (claim_words(1, index) == 0) {
        return false;
    }
    words_at(index, dividend, divisor);
    return true;
}

uint64_t sample_source::claim_words(uint64_t most, uint64_t &first) {
    if (limited_) {
        most = std::min(most, limit_ - handed_out_);
    }
    const uint64_t taken = std::visit(
        for_origins(uint64_t{0},
                    [&](auto &origin) -> uint64_t {
                        using origin_type = std::decay_t<decltype(origin)>;
                        if constexpr (has_words<origin_type>) {
                            return origin.claim(most, first);
                        } else {
                            return 0;
                        }
                    }),
        origin_);
    handed_out_ += taken;
    return taken;
}

void sample_source::words_at(uint64_t index, uint64_t &dividend, uint64_t &divisor) const {
    if (const auto *random = std::get_if<random_samples>(&origin_)) {
        random->words_at(index, dividend, divisor);
    } else {
        std::get<exhaustive_samples>(origin_).words_at(index, dividend, divisor);
    }
}

std::string sample_source::position() const {
    return std::visit(
        for_origins(std::string(), [](const auto &origin) { return origin.position(); }), origin_);
}

uint64_t sample_source::known_total() const {
    if (sharded_) {
        return limit_;
    }
    return std::visit(
        for_origins(uint64_t{0}, [](const auto &origin) { return origin.known_total(); }),
        origin_);
}

// Skips the samples before shard K and limits the run to shard K's samples.
// The last part takes everything after its start, so a file is read to its
// end exactly as without --shard.
void sample_source::restrict_to_shard(const shard_choice &shard) {
    if (shard.whole()) {
        return;
    }
    uint64_t total = 0;
    if (auto *text = std::get_if<text_samples>(&origin_)) {
        total = text->count_samples();
    } else {
        total = known_total();
    }
    const uint64_t begin = shard_begin(shard.index, shard.count, total);
    const uint64_t end = shard.index == shard.count
                             ? total
                             : shard_begin(shard.index + 1, shard.count, total);
    std::visit(for_origins(0, [&](auto &origin) {
                   origin.skip(begin);
                   return 0;
               }),
               origin_);
    sharded_ = true;
    limited_ = shard.index != shard.count;
    limit_ = end - begin;
}

} // namespace quodra_div
