// The facts read from a carrier's header: what the engine needs to find the carrier area.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

// What a PNG carrier's header says about its samples. The carrier area of a PNG is one byte
// per colour sample (alpha excluded), rows from the top, channels interleaved as stored; of a
// 16-bit sample it is the less significant byte.
struct PngFacts {
    uint8_t colourType = 0;          // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA (PNG numbering)
    uint8_t bitDepth = 0;            // 8 or 16 (1, 2, 4 are refused)
    bool interlaced = false;         // Adam7
    int channels = 0;                // samples per pixel as stored
    int colourChannels = 0;          // of those, the ones that carry data
    int paletteEntries = 0;          // palette pictures only
    bool transparentColour = false;  // a tRNS chunk names transparent colours or indices
    bool animated = false;           // an acTL chunk: further frames follow the picture
};

// Entries of a full 8-bit colour table: any index a changed low bit can make points into it.
inline constexpr int kFullColourTable = 256;

struct CarrierFacts {
    std::string path;       // empty: no carrier loaded
    std::string signature;  // "BM", "RAW" or "PNG"; empty: no carrier loaded

    // Header values as stored (bitmap) or derived (RAW). fileSize and imageSize are clipped to
    // what the file really holds, so the carrier area never reaches past the end of the file.
    int32_t fileSize = 0;    // end of the carrier area (bfSize, or the file length for RAW)
    int32_t dataOffset = 0;  // start of the carrier area (bfOffBits, 0 for RAW)
    int32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t planes = 0;
    int32_t bitCount = 0;
    int32_t compression = 0;
    int32_t imageSize = 0;  // picture size the capacity is measured from (biSizeImage, repaired)
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    int32_t colorsUsed = 0;
    int32_t colorsImportant = 0;
    std::string reserved;  // the 4 reserved header bytes

    int64_t realLength = 0;  // length of the file on disk when it was analysed
    PngFacts png;            // PNG carriers only; bitCount is then bits per pixel

    // An 8-bit bitmap's colour table or a PNG's palette with fewer than kFullColourTable
    // entries: hiding would give pixels indices past the table, which picture programs
    // refuse. Reading is unaffected.
    bool shortColourTable = false;

    bool IsLoaded() const { return !path.empty() && !signature.empty(); }
    // The size shown to users: the header's for a bitmap, as always; the file's length for a
    // PNG, whose fileSize is the length of its carrier area.
    int64_t ShownSize() const { return IsPng() ? realLength : fileSize; }
    bool IsPng() const { return signature == "PNG"; }
};

}  // namespace tarnwerk
