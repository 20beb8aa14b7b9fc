#include "cli/shard.h"

#include "cli/tool_error.h"

namespace quodra_div {

namespace {

bool parse_count(const std::string &text, uint64_t &value) {
    if (text.empty() || text.size() > 19) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

} // namespace

shard_choice parse_shard(const std::string &text) {
    const std::size_t slash = text.find('/');
    shard_choice shard;
    if (slash == std::string::npos || !parse_count(text.substr(0, slash), shard.index) ||
        !parse_count(text.substr(slash + 1), shard.count) || shard.index < 1 ||
        shard.index > shard.count) {
        throw usage_error("--shard: expected K/N, whole numbers with 1 <= K <= N <= "
                          "9999999999999999999, e.g. --shard 2/4, got " +
                          quoted_excerpt(text));
    }
    return shard;
}

uint64_t shard_begin(uint64_t index, uint64_t count, uint64_t total) {
    // (index - 1) * total needs up to 128 bits.
    __extension__ typedef unsigned __int128 wide;
    return static_cast<uint64_t>(static_cast<wide>(index - 1) * total / count);
}

} // namespace quodra_div
