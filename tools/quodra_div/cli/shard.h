// --shard K/N: which contiguous part of the samples a run divides.
#ifndef QUODRA_DIV_CLI_SHARD_H
#define QUODRA_DIV_CLI_SHARD_H

#include <cstdint>
#include <string>

namespace quodra_div {

// --shard K/N: the K-th (from 1) of N contiguous shards of the samples.
struct shard_choice {
    uint64_t index = 1;
    uint64_t count = 1;
    bool whole() const { return count == 1; }
};

// "K/N" with 1 <= K <= N, both decimal. Throws tool_error naming --shard.
shard_choice parse_shard(const std::string &text);

// The first sample index of part `index` of `count` over `total` samples:
// floor((index - 1) * total / count). Shard K holds the samples
// [shard_begin(K), shard_begin(K + 1)), so parts differ by at most one
// sample and together hold every sample once, in order.
uint64_t shard_begin(uint64_t index, uint64_t count, uint64_t total);

} // namespace quodra_div

#endif
