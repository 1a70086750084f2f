#include "core/TrellisKernels.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TARNWERK_X86 1
// g++ 12 warns about the undefined vectors inside its own AVX-512 intrinsics.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace tarnwerk::trellis {

namespace {

void ColumnScalar(const float* cur, float* next, uint8_t* path, int states, uint32_t column, float w0, float w1) {
    for (int base = 0; base < states; base += 8) {
        uint8_t bits = 0;
        for (int l = 0; l < 8; ++l) {
            const int s = base + l;
            const float stay = cur[s] + w0;
            const float flip = cur[s ^ column] + w1;
            const bool takeFlip = flip < stay;
            next[s] = takeFlip ? flip : stay;
            bits = static_cast<uint8_t>(bits | (takeFlip ? 1u : 0u) << l);
        }
        path[base / 8] = bits;
    }
}

// Walks the block's columns with one column routine, swapping the two state buffers.
template <class Column>
float* RunBlock(const BlockInput& in, float* cur, float* spare, uint8_t* path, Column column) {
    const size_t pathBytes = static_cast<size_t>(in.states) / 8;
    for (size_t j = 0; j < in.width; ++j) {
        const float rho = in.costs[j];
        const bool one = in.cover[j] != 0;
        column(cur, spare, path + j * pathBytes, in.states, in.columns[j], one ? rho : 0.0f, one ? 0.0f : rho);
        std::swap(cur, spare);
    }
    return cur;
}

}  // namespace

float* BlockScalar(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return RunBlock(in, cur, spare, path, ColumnScalar);
}

void EndBlockScalar(const float* cur, float* next, int states, uint8_t bit) {
    const int half = states / 2;
    float least = std::numeric_limits<float>::infinity();
    for (int s = 0; s < half; ++s) {
        next[s] = cur[2 * s + bit];
        least = std::min(least, next[s]);
    }
    std::fill(next + half, next + states, std::numeric_limits<float>::infinity());
    for (int s = 0; s < half; ++s) next[s] -= least;
}

#ifdef TARNWERK_X86

namespace {

// Partner lanes within a group of four: lane l takes lane l ^ (column & 3).
template <int Low>
__m128 PermuteLow(__m128 v) {
    if constexpr (Low == 0) return v;
    if constexpr (Low == 1) return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1));
    if constexpr (Low == 2) return _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2));
    if constexpr (Low == 3) return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3));
}

template <int Low>
void ColumnSse2(const float* cur, float* next, uint8_t* path, int states, uint32_t column, float w0, float w1) {
    const uint32_t high = column & ~3u;
    const __m128 stayCost = _mm_set1_ps(w0);
    const __m128 flipCost = _mm_set1_ps(w1);
    for (int base = 0; base < states; base += 8) {
        int bits = 0;
        for (int half = 0; half < 2; ++half) {
            const int at = base + 4 * half;
            const __m128 stay = _mm_add_ps(_mm_loadu_ps(cur + at), stayCost);
            const __m128 flip = _mm_add_ps(PermuteLow<Low>(_mm_loadu_ps(cur + (at ^ high))), flipCost);
            _mm_storeu_ps(next + at, _mm_min_ps(stay, flip));
            bits |= _mm_movemask_ps(_mm_cmplt_ps(flip, stay)) << (4 * half);
        }
        path[base / 8] = static_cast<uint8_t>(bits);
    }
}

void ColumnSse2Any(const float* cur, float* next, uint8_t* path, int states, uint32_t column, float w0, float w1) {
    switch (column & 3u) {
        case 0:
            return ColumnSse2<0>(cur, next, path, states, column, w0, w1);
        case 1:
            return ColumnSse2<1>(cur, next, path, states, column, w0, w1);
        case 2:
            return ColumnSse2<2>(cur, next, path, states, column, w0, w1);
        default:
            return ColumnSse2<3>(cur, next, path, states, column, w0, w1);
    }
}

// One of the two branches always costs nothing (the cover bit decides which), so each state
// needs a single addition: the cost goes to staying when the cover bit is 1, to flipping else.
template <bool CoverOne>
__attribute__((target("avx2"))) void ColumnAvx2Branch(const float* cur, float* next, uint8_t* path, int states,
                                                      uint32_t column, float rho) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i partner = _mm256_xor_si256(lanes, _mm256_set1_epi32(static_cast<int>(column & 7u)));
    const uint32_t high = column & ~7u;
    const __m256 cost = _mm256_set1_ps(rho);
    for (int base = 0; base < states; base += 8) {
        __m256 stay = _mm256_loadu_ps(cur + base);
        __m256 flip = _mm256_permutevar8x32_ps(_mm256_loadu_ps(cur + (base ^ high)), partner);
        if constexpr (CoverOne)
            stay = _mm256_add_ps(stay, cost);
        else
            flip = _mm256_add_ps(flip, cost);
        _mm256_storeu_ps(next + base, _mm256_min_ps(stay, flip));
        path[base / 8] = static_cast<uint8_t>(_mm256_movemask_ps(_mm256_cmp_ps(flip, stay, _CMP_LT_OQ)));
    }
}

template <bool CoverOne>
__attribute__((target("avx512f"))) void ColumnAvx512Branch(const float* cur, float* next, uint8_t* path, int states,
                                                           uint32_t column, float rho) {
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i partner = _mm512_xor_si512(lanes, _mm512_set1_epi32(static_cast<int>(column & 15u)));
    const uint32_t high = column & ~15u;
    const __m512 cost = _mm512_set1_ps(rho);
    for (int base = 0; base < states; base += 16) {
        __m512 stay = _mm512_loadu_ps(cur + base);
        __m512 flip = _mm512_permutexvar_ps(partner, _mm512_loadu_ps(cur + (base ^ high)));
        if constexpr (CoverOne)
            stay = _mm512_add_ps(stay, cost);
        else
            flip = _mm512_add_ps(flip, cost);
        _mm512_storeu_ps(next + base, _mm512_min_ps(stay, flip));
        const __mmask16 bits = _mm512_cmp_ps_mask(flip, stay, _CMP_LT_OQ);
        std::memcpy(path + base / 8, &bits, sizeof bits);  // little-endian: states base.. in bit order
    }
}

using BranchFn = void (*)(const float* cur, float* next, uint8_t* path, int states, uint32_t column, float rho);

// Picks the variant for the cover bit: when it is 1, staying costs rho (w0) and flipping nothing.
template <BranchFn CoverOne, BranchFn CoverZero>
void ByCoverBit(const float* cur, float* next, uint8_t* path, int states, uint32_t column, float w0, float w1) {
    if (w1 == 0.0f)
        CoverOne(cur, next, path, states, column, w0);
    else
        CoverZero(cur, next, path, states, column, w1);
}

}  // namespace

float* BlockSse2(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return RunBlock(in, cur, spare, path, ColumnSse2Any);
}

float* BlockAvx2(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return RunBlock(in, cur, spare, path, ByCoverBit<ColumnAvx2Branch<true>, ColumnAvx2Branch<false>>);
}

float* BlockAvx512(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return RunBlock(in, cur, spare, path, ByCoverBit<ColumnAvx512Branch<true>, ColumnAvx512Branch<false>>);
}

__attribute__((target("avx2"))) void EndBlockAvx2(const float* cur, float* next, int states, uint8_t bit) {
    const int half = states / 2;
    __m256 least = _mm256_set1_ps(std::numeric_limits<float>::infinity());
    for (int s = 0; s < half; s += 8) {
        const __m256 low = _mm256_loadu_ps(cur + 2 * s);
        const __m256 high = _mm256_loadu_ps(cur + 2 * s + 8);
        // Even (or odd) lanes of both, then the 64-bit pairs back in order.
        const __m256 picked = bit ? _mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1))
                                  : _mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
        const __m256 ordered =
            _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(picked), _MM_SHUFFLE(3, 1, 2, 0)));
        _mm256_storeu_ps(next + s, ordered);
        least = _mm256_min_ps(least, ordered);
    }
    const __m256 infinity = _mm256_set1_ps(std::numeric_limits<float>::infinity());
    for (int s = half; s < states; s += 8) _mm256_storeu_ps(next + s, infinity);
    alignas(32) float lanes[8];
    _mm256_store_ps(lanes, least);
    const __m256 shift = _mm256_set1_ps(*std::min_element(lanes, lanes + 8));
    for (int s = 0; s < half; s += 8) _mm256_storeu_ps(next + s, _mm256_sub_ps(_mm256_loadu_ps(next + s), shift));
}

__attribute__((target("avx512f"))) void EndBlockAvx512(const float* cur, float* next, int states, uint8_t bit) {
    const int half = states / 2;
    if (half < 16) return EndBlockScalar(cur, next, states, bit);
    const __m512i pick = _mm512_add_epi32(_mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
                                          _mm512_set1_epi32(bit));
    __m512 least = _mm512_set1_ps(std::numeric_limits<float>::infinity());
    for (int s = 0; s < half; s += 16) {
        const __m512 picked =
            _mm512_permutex2var_ps(_mm512_loadu_ps(cur + 2 * s), pick, _mm512_loadu_ps(cur + 2 * s + 16));
        _mm512_storeu_ps(next + s, picked);
        least = _mm512_min_ps(least, picked);
    }
    const __m512 infinity = _mm512_set1_ps(std::numeric_limits<float>::infinity());
    for (int s = half; s < states; s += 16) _mm512_storeu_ps(next + s, infinity);
    const __m512 shift = _mm512_set1_ps(_mm512_reduce_min_ps(least));
    for (int s = 0; s < half; s += 16) _mm512_storeu_ps(next + s, _mm512_sub_ps(_mm512_loadu_ps(next + s), shift));
}

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
bool HasAvx512() { return __builtin_cpu_supports("avx512f"); }

#else  // no x86: every vector entry runs the scalar loop

float* BlockSse2(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return BlockScalar(in, cur, spare, path);
}
float* BlockAvx2(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return BlockScalar(in, cur, spare, path);
}
float* BlockAvx512(const BlockInput& in, float* cur, float* spare, uint8_t* path) {
    return BlockScalar(in, cur, spare, path);
}
void EndBlockAvx2(const float* cur, float* next, int states, uint8_t bit) { EndBlockScalar(cur, next, states, bit); }
void EndBlockAvx512(const float* cur, float* next, int states, uint8_t bit) { EndBlockScalar(cur, next, states, bit); }
bool HasAvx2() { return false; }
bool HasAvx512() { return false; }

#endif

}  // namespace tarnwerk::trellis
