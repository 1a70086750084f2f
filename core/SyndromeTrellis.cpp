#include "core/SyndromeTrellis.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "core/TrellisKernels.h"

namespace tarnwerk {

namespace {

constexpr uint64_t kColumnSeed = 0x54574B5354433031ull;  // "TWKSTC01"
constexpr float kUnreachable = std::numeric_limits<float>::infinity();

uint64_t SplitMix64(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Block b covers cover bits floor(b n / k) .. floor((b + 1) n / k) - 1: widths floor(n / k)
// and ceil(n / k) mixed, so that every cover bit is used whatever the rate.
size_t BlockStart(size_t b, size_t n, size_t k) {
    return static_cast<size_t>(static_cast<uint64_t>(b) * n / k);  // b < k <= n < 2^32
}
size_t MaxBlockWidth(size_t n, size_t k) { return (n + k - 1) / k; }

struct Kernel {
    trellis::BlockFn block;
    trellis::EndBlockFn endBlock;
};

Kernel KernelFor(StcKernel kernel) {
    switch (kernel == StcKernel::Best ? BestStcKernel() : kernel) {
        case StcKernel::Avx512:
            return {trellis::BlockAvx512, trellis::EndBlockAvx512};
        case StcKernel::Avx2:
            return {trellis::BlockAvx2, trellis::EndBlockAvx2};
        case StcKernel::Sse2:
            return {trellis::BlockSse2, trellis::EndBlockScalar};
        default:
            return {trellis::BlockScalar, trellis::EndBlockScalar};
    }
}

}  // namespace

std::vector<uint32_t> StcColumns(int height, size_t width) {
    uint64_t state = kColumnSeed ^ (static_cast<uint64_t>(height) << 32) ^ static_cast<uint64_t>(width);
    const uint32_t mask = (1u << height) - 1u;
    const uint32_t ends = 1u | (1u << (height - 1));
    std::vector<uint32_t> columns(width);
    for (auto& column : columns) column = (static_cast<uint32_t>(SplitMix64(state)) & mask) | ends;
    return columns;
}

StcKernel BestStcKernel() {
    if (trellis::HasAvx512()) return StcKernel::Avx512;
    if (trellis::HasAvx2()) return StcKernel::Avx2;
#if defined(__x86_64__) || defined(__i386__)
    return StcKernel::Sse2;
#else
    return StcKernel::Scalar;
#endif
}

double StcEmbed(std::span<const uint8_t> cover, std::span<const float> costs, std::span<const uint8_t> message,
                int height, std::span<uint8_t> stego, StcWorkspace& workspace, StcKernel kernel) {
    assert(height >= kStcMinHeight && height <= kStcMaxHeight);
    assert(costs.size() == cover.size() && stego.size() == cover.size() && message.size() <= cover.size());
    if (stego.data() != cover.data()) std::copy(cover.begin(), cover.end(), stego.begin());
    const size_t k = message.size();
    if (k == 0) return 0.0;
    const size_t n = cover.size();
    const int states = 1 << height;
    const size_t pathBytes = static_cast<size_t>(states) / 8;
    const std::vector<uint32_t> columns = StcColumns(height, MaxBlockWidth(n, k));
    workspace.path.resize(n * pathBytes);
    workspace.costs.assign(2 * static_cast<size_t>(states), kUnreachable);
    float* cur = workspace.costs.data();
    float* spare = cur + states;
    cur[0] = 0.0f;

    const Kernel chosen = KernelFor(kernel);
    for (size_t b = 0; b < k; ++b) {
        const size_t start = BlockStart(b, n, k);
        const size_t width = BlockStart(b + 1, n, k) - start;
        const trellis::BlockInput in{columns.data(), cover.data() + start, costs.data() + start, width, states};
        float* done = chosen.block(in, cur, spare, workspace.path.data() + start * pathBytes);
        float* other = done == cur ? spare : cur;
        chosen.endBlock(done, other, states, message[b]);
        cur = other;
        spare = done;
    }

    // Back from the cheapest final state.
    double total = 0.0;
    uint32_t state = static_cast<uint32_t>(std::min_element(cur, cur + states / 2) - cur);
    for (size_t b = k; b-- > 0;) {
        state = (state << 1) | message[b];
        const size_t start = BlockStart(b, n, k);
        for (size_t j = BlockStart(b + 1, n, k) - start; j-- > 0;) {
            const size_t i = start + j;
            const uint8_t bit = (workspace.path[i * pathBytes + state / 8] >> (state % 8)) & 1u;
            if (bit != cover[i]) total += costs[i];
            stego[i] = bit;
            if (bit) state ^= columns[j];
        }
    }
    return total;
}

void StcExtract(std::span<const uint8_t> stego, size_t k, int height, std::span<uint8_t> message) {
    assert(message.size() >= k && k <= stego.size());
    if (k == 0) return;
    const size_t n = stego.size();
    const std::vector<uint32_t> columns = StcColumns(height, MaxBlockWidth(n, k));
    uint32_t state = 0;
    for (size_t b = 0; b < k; ++b) {
        const size_t start = BlockStart(b, n, k);
        const size_t width = BlockStart(b + 1, n, k) - start;
        for (size_t j = 0; j < width; ++j)
            if (stego[start + j]) state ^= columns[j];
        message[b] = static_cast<uint8_t>(state & 1u);
        state >>= 1;
    }
}

}  // namespace tarnwerk
