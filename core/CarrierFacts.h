// The facts read from a carrier's header: what the engine needs to find the carrier area.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwerk {

struct CarrierFacts {
    std::string path;       // empty: no carrier loaded
    std::string signature;  // "BM" or "RAW"; empty: no carrier loaded

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

    // An 8-bit bitmap whose colour table holds fewer than 256 entries: hiding would give
    // pixels indices past the table, which picture programs refuse. Reading is unaffected.
    bool shortColourTable = false;

    bool IsLoaded() const { return !path.empty() && !signature.empty(); }
};

}  // namespace tarnwerk
