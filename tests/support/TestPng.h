// A small PNG writer and reader for tests, written from the format's definition and sharing
// no code with the product: the writer stores rows unfiltered (one or seven passes), the
// reader undoes every filter type and Adam7. Also a chunk walker. Malformed input throws
// std::runtime_error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TestCarriers.h"

namespace tarnwerk::test::png {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    uint8_t bitDepth = 8;
    bool interlaced = false;
    Bytes samples;  // rows top to bottom, samples as stored (16-bit big-endian), no filter bytes
};

struct Chunk {
    std::string type;
    Bytes data;
    bool operator==(const Chunk&) const = default;
};

int Channels(uint8_t colourType);
size_t RowBytes(const Picture& picture);

// A random picture; palette pictures get indices only (add a PLTE chunk yourself).
Picture RandomPicture(uint32_t width, uint32_t height, uint8_t colourType, uint8_t bitDepth, bool interlaced,
                      uint32_t seed);

// The file: signature, IHDR, the chunks before, IDAT (split into parts of at most idatPart
// bytes), the chunks after, IEND.
Bytes Encode(const Picture& picture, const std::vector<Chunk>& before = {}, const std::vector<Chunk>& after = {},
             size_t idatPart = 1 << 16);
Picture Decode(const Bytes& file);

// Every chunk in file order (CRCs checked).
std::vector<Chunk> Chunks(const Bytes& file);
// A chunk as stored: length, type, data, CRC.
Bytes ChunkBytes(const Chunk& chunk);

}  // namespace tarnwerk::test::png
