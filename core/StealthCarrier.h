// A carrier file as the stealth method sees it: its sample plane, and how to write the changed
// samples back. 24-bit bitmaps and 8-bit bitmaps with a grey-ramp colour table (core/BitmapPlane),
// and grey and colour PNGs of 8 or 16 bits (alpha excluded, every other chunk kept byte for byte).
#pragma once

#include <optional>
#include <string>

#include "base/Result.h"
#include "core/BitmapPlane.h"
#include "core/PngSamples.h"
#include "core/SamplePlane.h"

namespace tarnwerk {

class StealthCarrier {
public:
    // Errors: NoSamplePlane (palette pictures, RAW files), CorruptData (not a carrier, damaged),
    // CarrierRefused (a PNG too large to hold whole; for hiding also one with transparent
    // colours or animation, which no method writes into), Io.
    static Result<StealthCarrier> Load(const std::string& path, bool forHiding);

    SamplePlane& plane() { return plane_; }
    const SamplePlane& plane() const { return plane_; }

    // Writes the plane into a new file beside target and renames it onto target when complete.
    Status Save(const std::string& target);

private:
    StealthCarrier() = default;

    SamplePlane plane_;
    std::optional<BitmapPlane> bitmap_;  // set for bitmaps (its own plane unused once moved here)
    std::optional<PngSamples> png_;      // set for PNGs
};

}  // namespace tarnwerk
