// Writing and reading the bits of one region of samples (salt, header or a body segment) by
// STC, and the bit order of bytes: bit i of the message is bit (i mod 8) of byte i / 8, the
// least significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/SamplePlane.h"
#include "core/SyndromeTrellis.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

std::vector<uint8_t> UnpackBitsLsbFirst(std::span<const uint8_t> bytes);
std::vector<uint8_t> PackBitsLsbFirst(std::span<const uint8_t> bits);

struct RegionStats {
    uint64_t changes = 0;
    double distortion = 0;  // sum of the costs of the changed samples
};

// Embeds bits into the low bits of the samples at indices (in that order) at least cost. A
// sample whose low bit must change moves by +1 or -1: +1 at 0, -1 at the maximum, elsewhere
// +1 where bit p of the region's direction stream is 1 (p: position in the region).
RegionStats EmbedRegion(SamplePlane& plane, const std::vector<float>& costs, std::span<const uint32_t> indices,
                        std::span<const uint8_t> bits, int height, KeyedStream& directions, StcWorkspace& workspace);

// The k bits the region carries.
std::vector<uint8_t> ReadRegion(const SamplePlane& plane, std::span<const uint32_t> indices, size_t k, int height);

}  // namespace tarnwerk
