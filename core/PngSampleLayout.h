// How a PNG row holds its samples, and which bytes of it form the carrier area: one byte per
// colour sample (alpha never), in the order stored; of a 16-bit sample (stored big-endian)
// the less significant, second byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/PngChunks.h"

namespace tarnwerk {

struct PngSampleLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;        // samples per pixel as stored
    int colourChannels = 0;  // leading samples of a pixel that carry data (alpha is last)
    int bytesPerSample = 0;  // 1 or 2

    size_t RowBytes() const { return size_t{width} * static_cast<size_t>(channels * bytesPerSample); }
    size_t AreaRowBytes() const { return size_t{width} * static_cast<size_t>(colourChannels); }
    uint64_t AreaBytes() const { return uint64_t{AreaRowBytes()} * height; }
    // Every byte of a row is a carrier byte (8-bit samples without alpha).
    bool RowIsArea() const { return bytesPerSample == 1 && channels == colourChannels; }
};

// The declared size is within what the reader takes (kMaxPngPixels, kMaxPngSide), and its
// carrier area fits the carrier facts' 32-bit sizes. Checked before anything is allocated.
bool WithinPngLimits(const PngHeader& header);

// For 8- and 16-bit pictures; false for depths below 8.
bool MakePngSampleLayout(const PngHeader& header, PngSampleLayout& layout);

// Copies count carrier bytes, starting at carrier byte first of the row, out of a stored row.
void GatherAreaBytes(const PngSampleLayout& layout, const uint8_t* row, size_t first, size_t count, uint8_t* out);
// The inverse: puts count carrier bytes back into the row; every other byte stays.
void ScatterAreaBytes(const PngSampleLayout& layout, uint8_t* row, size_t first, size_t count, const uint8_t* in);

}  // namespace tarnwerk
