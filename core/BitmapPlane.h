// The sample-plane view of an uncompressed Windows bitmap: 24-bit pictures (three channels in
// stored order blue, green, red) and 8-bit pictures whose colour table is a grey ramp.
//
// Grey-ramp rule: the table holds N entries (biClrUsed, or 256 when it is 0; at most 256), and
// entry i has blue = green = red = i for every i < N (the fourth byte is ignored); every pixel
// index is below N. The plane's maximum value is then N - 1, so a change by one always stays a
// grey of the table. Any other 8-bit picture is a palette picture, where a change of an index
// by one changes the colour arbitrarily: refused with NoSamplePlane, like RAW files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"
#include "core/SamplePlane.h"

namespace tarnwerk {

struct BitmapPlane {
    SamplePlane plane;
    std::vector<uint8_t> file;  // the whole file as read; pixels are written back into it
    int64_t pixelOffset = 0;
    int32_t rowBytes = 0;       // stored row length including padding
    int32_t bytesPerPixel = 0;  // 1 or 3
    bool topDown = false;
};

// Reads and judges the carrier (extension and header as AnalyseCarrier does). Errors:
// NotValid-like pictures and compressed ones give CorruptData, RAW files and palette pictures
// NoSamplePlane, unreadable files Io.
Result<BitmapPlane> LoadBitmapPlane(const std::string& path);

// Puts the plane's samples back into the file bytes and replaces the file at path in one step
// (a file beside it renamed over it): the old carrier stays whole until the new one is.
Status SaveBitmapPlane(BitmapPlane& bitmap, const std::string& path);

}  // namespace tarnwerk
