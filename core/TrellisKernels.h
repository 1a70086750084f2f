// The Viterbi pass's inner loop over the trellis states, one version per instruction set.
// For every cover bit i of a block (column c[j], cost rho[i], cover bit x[i]) and state s:
//   next[s] = min(cur[s] + (x ? rho : 0), cur[s ^ c] + (x ? 0 : rho))
// and the back-pointer bit of (i, s) is 1 where the second branch (stego bit 1) is cheaper.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwerk::trellis {

struct BlockInput {
    const uint32_t* columns;  // w columns
    const uint8_t* cover;     // w cover bits
    const float* costs;       // w costs
    size_t width;             // w
    int states;               // 2^h, at least 16
};

// Runs the w columns of one block from cur; returns the buffer (cur or spare) that holds the
// state costs afterwards. path receives states / 8 bytes per column.
using BlockFn = float* (*)(const BlockInput& in, float* cur, float* spare, uint8_t* path);

float* BlockScalar(const BlockInput& in, float* cur, float* spare, uint8_t* path);
float* BlockSse2(const BlockInput& in, float* cur, float* spare, uint8_t* path);
float* BlockAvx2(const BlockInput& in, float* cur, float* spare, uint8_t* path);
float* BlockAvx512(const BlockInput& in, float* cur, float* spare, uint8_t* path);

// End of a block: only states whose lowest bit equals the message bit survive, moved down by
// one bit: next[s] = cur[2s + bit] for s < states / 2, the rest unreachable (+inf). The
// survivors are shifted so that the cheapest is 0, which keeps the sums small and float
// precise over long segments (+inf stays +inf).
using EndBlockFn = void (*)(const float* cur, float* next, int states, uint8_t bit);
void EndBlockScalar(const float* cur, float* next, int states, uint8_t bit);
void EndBlockAvx2(const float* cur, float* next, int states, uint8_t bit);
void EndBlockAvx512(const float* cur, float* next, int states, uint8_t bit);

bool HasAvx2();
bool HasAvx512();

}  // namespace tarnwerk::trellis
