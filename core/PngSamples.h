// The colour samples of a whole grey or colour PNG (8 or 16 bits, alpha excluded), read and
// changed by position, for hiding methods that need a sample's neighbours; Save() writes the
// picture back with every kept chunk byte for byte, as a hide does. The picture is held in
// memory as stored, bounded by kMaxWholePictureBytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "base/Result.h"
#include "core/PngChunks.h"
#include "core/PngSampleLayout.h"

namespace tarnwerk {

class PngSamples {
public:
    // Errors: Io, CorruptData, CarrierRefused (palette pictures, depths below 8, too large).
    static Result<PngSamples> Load(const std::string& path);

    int32_t width() const { return static_cast<int32_t>(layout_.width); }
    int32_t height() const { return static_cast<int32_t>(layout_.height); }
    int32_t channels() const { return layout_.colourChannels; }  // 1 grey, 3 colour
    uint16_t maxValue() const { return layout_.bytesPerSample == 2 ? 0xFFFF : 0xFF; }

    uint16_t Get(int32_t channel, int32_t y, int32_t x) const;
    void Set(int32_t channel, int32_t y, int32_t x, uint16_t value);

    // Writes the picture to a new file beside target and renames it onto target when complete
    // (target may be the file it was loaded from).
    Status Save(const std::string& target) const;

private:
    PngSamples(UniqueFd fd, std::string path, PngLayout png, PngSampleLayout layout);
    size_t Offset(int32_t channel, int32_t y, int32_t x) const;

    UniqueFd fd_;  // the loaded file, whose chunks Save() copies
    std::string path_;
    PngLayout png_;
    PngSampleLayout layout_;
    std::vector<uint8_t> picture_;  // rows as stored, 16-bit samples big-endian
};

}  // namespace tarnwerk
