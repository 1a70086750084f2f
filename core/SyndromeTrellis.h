// Syndrome-trellis codes (T. Filler, J. Judas, J. Fridrich, "Minimizing additive distortion in
// steganography using syndrome-trellis codes", IEEE TIFS 6(3), 2011): the embedder finds stego
// bits y with H y = m (mod 2) at the least total cost of the bits that differ from the cover;
// the reader only computes H y.
//
// H is built from an h x w submatrix whose columns are h-bit numbers with the top and bottom
// bit set, w = ceil(n / k). Block b covers the cover bits floor(b n / k) .. floor((b+1) n / k) - 1
// (widths floor(n / k) and ceil(n / k) mixed, so every cover bit serves, whatever the rate);
// its copy of the submatrix, cut to the block's width, sits at rows b..b+h-1 (cut off at the
// bottom).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"

namespace tarnwerk {

inline constexpr int kStcMinHeight = 4;
inline constexpr int kStcMaxHeight = 12;

// The w columns for height h: splitmix64 from the seed 0x54574B5354433031 ("TWKSTC01") xor
// (h << 32) xor w; column j is the low h bits of the j-th output with bit 0 and bit h-1 set.
std::vector<uint32_t> StcColumns(int height, size_t width);

// Back pointers and state costs, kept between calls so that segments do not allocate.
struct StcWorkspace {
    std::vector<uint8_t> path;
    std::vector<float> costs;
};

// Which vector instructions the Viterbi pass uses; Best picks at run time.
enum class StcKernel { Best, Scalar, Sse2, Avx2, Avx512 };
// The kernel Best resolves to on this processor.
StcKernel BestStcKernel();

// cover and stego hold one bit (0/1) per byte, costs one cost of flipping per bit (finite).
// stego may alias cover. Returns the total cost of the flipped bits. Needs message.size() <=
// cover.size() < 2^32.
double StcEmbed(std::span<const uint8_t> cover, std::span<const float> costs, std::span<const uint8_t> message,
                int height, std::span<uint8_t> stego, StcWorkspace& workspace, StcKernel kernel = StcKernel::Best);

// The k message bits that stego carries: H y.
void StcExtract(std::span<const uint8_t> stego, size_t k, int height, std::span<uint8_t> message);

}  // namespace tarnwerk
