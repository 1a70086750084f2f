// The chunk layout of a PNG file (ISO/IEC 15948 / W3C PNG): every chunk's place, checked
// against the real file (lengths, CRCs, the order rules for critical and the well-known
// ancillary chunks), and the picture header. The decoder never sees a file that fails here,
// and a rewritten picture copies every kept chunk byte for byte from these places.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"

namespace tarnwerk {

inline constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
inline constexpr int kPngChunkOverhead = 12;  // length, type, CRC

// Largest picture the carrier reader accepts, checked before anything is allocated: more
// would only be a decompression bomb for a tool that works on photographs.
inline constexpr uint64_t kMaxPngPixels = uint64_t{1} << 28;  // 268 million, e.g. 16384 x 16384
inline constexpr uint32_t kMaxPngSide = 1u << 20;

enum class PngColourType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };  // PNG numbering

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    uint8_t interlace = 0;  // 0 none, 1 Adam7
};

struct PngChunk {
    std::string type;     // four letters
    int64_t offset = 0;   // of the length field
    uint32_t length = 0;  // of the data
    int64_t end() const { return offset + kPngChunkOverhead + length; }
    bool IsSafeToCopy() const { return (type[3] & 0x20) != 0; }
};

struct PngLayout {
    PngHeader header;
    std::vector<PngChunk> chunks;  // IHDR first, IEND last
    size_t firstImageData = 0;     // index of the first IDAT; the IDATs are consecutive
    size_t endImageData = 0;       // index after the last IDAT
    int paletteEntries = 0;
    bool transparency = false;  // tRNS present
    bool animated = false;      // acTL present
    int64_t fileLength = 0;     // bytes after IEND, if any, are kept as they are
};

// The file starts with the PNG signature.
bool HasPngSignature(int fd, const std::string& path);

// Reads and checks the whole chunk structure. Errors: Io, CorruptData (detail says what).
Result<PngLayout> ReadPngLayout(int fd, const std::string& path);

}  // namespace tarnwerk
