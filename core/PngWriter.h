// Writes a changed picture as a new PNG file beside a target and renames it onto the target
// when complete: the original's chunks are copied byte for byte in their places before and
// after the image data, and only the image data is encoded anew from the rows given. Unknown
// chunks marked unsafe to copy are left out, as the format demands of an editor that changes
// the image data. Nothing carries the target's name until Commit() succeeds.
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

class PngWriter {
public:
    // sourceFd: the original picture, read for the chunks it keeps; it must stay open.
    static Result<PngWriter> Create(int sourceFd, const std::string& sourcePath, const PngLayout& layout,
                                    const std::string& targetPath);

    PngWriter(PngWriter&&) noexcept;
    PngWriter& operator=(PngWriter&&) noexcept;
    ~PngWriter();

    // Next row from the top; not for interlaced pictures.
    Status PutRow(const uint8_t* row);
    // Every row at once (height x RowBytes()), for interlaced pictures.
    Status PutImage(const std::vector<uint8_t>& image);
    // Copies the chunks after the image data, flushes and renames onto the target.
    Status Commit();

private:
    struct Sink;
    PngWriter(std::unique_ptr<Sink> sink, SpngContext ctx, PngSampleLayout layout);

    std::unique_ptr<Sink> sink_;
    SpngContext ctx_;
    PngSampleLayout layout_;
    bool finished_ = false;  // every row encoded
};

// True for the chunks a rewritten picture keeps.
bool KeepsChunk(const PngChunk& chunk);

}  // namespace tarnwerk
