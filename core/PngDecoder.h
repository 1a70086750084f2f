// Decodes a checked PNG's samples exactly as stored (no colour conversion, 16-bit samples
// big-endian), row by row from the top, or the whole picture at once (which an interlaced
// picture needs, its rows arriving in seven passes). The decoder is fed only the chunks it
// needs (IHDR, PLTE, IDAT, IEND), read straight from the file; the ancillary chunks are
// copied elsewhere without being parsed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"
#include "core/PngChunks.h"
#include "core/PngSampleLayout.h"
#include "core/SpngContext.h"

namespace tarnwerk {

class PngDecoder {
public:
    // fd must stay open while the decoder is used.
    static Result<PngDecoder> Open(int fd, const PngLayout& layout, const std::string& path);

    PngDecoder(PngDecoder&&) noexcept;
    PngDecoder& operator=(PngDecoder&&) noexcept;
    ~PngDecoder();

    // Next row from the top, RowBytes() long; not for interlaced pictures.
    Status NextRow(uint8_t* row);
    // Every row (height x RowBytes(), top row first) into image.
    Status WholeImage(std::vector<uint8_t>& image);

private:
    struct Feed;
    PngDecoder(std::unique_ptr<Feed> feed, SpngContext ctx, PngSampleLayout layout, std::string path);

    std::unique_ptr<Feed> feed_;
    SpngContext ctx_;
    PngSampleLayout layout_;
    std::string path_;
};

}  // namespace tarnwerk
