// Any carrier file as the grid of samples the stealth method works on, and the stealth hide
// and extract over a carrier file of any kind that has one: 24-bit and grey-ramp 8-bit
// bitmaps, grey and colour PNG pictures (8 or 16 bits, alpha left alone). RAW files and
// palette pictures have no such grid (NoSamplePlane); the front-ends tell the two apart by
// the carrier's analysis.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/Result.h"
#include "core/BitmapPlane.h"
#include "core/PngSamples.h"
#include "core/SamplePlane.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"

namespace tarnwerk {

class CarrierPlane {
public:
    // forHiding also refuses PNG pictures a changed sample would spoil (transparent colours,
    // animation frames) with CarrierRefused, as a classic hide does. Errors: NoSamplePlane,
    // CarrierRefused, CorruptData, Io.
    static Result<CarrierPlane> Load(const std::string& path, bool forHiding);

    SamplePlane& Plane() { return png_ ? pngPlane_ : bitmap_.plane; }
    const SamplePlane& Plane() const { return png_ ? pngPlane_ : bitmap_.plane; }

    // Replaces the file at path in one step with the changed samples: the old carrier stays
    // whole until the new one is complete.
    Status Save(const std::string& path);

private:
    CarrierPlane() = default;

    BitmapPlane bitmap_;
    std::optional<PngSamples> png_;
    SamplePlane pngPlane_;
};

// The data the stealth method takes in the carrier at its recommended and maximum rate.
// Errors of Load, and CarrierTooSmall.
Result<StealthCapacity> StealthRoomOfCarrier(const std::string& path);

// Hides under the exclusive advisory lock a classic hide takes (CarrierBusy while another
// process holds it); the file is replaced only once the hide is complete.
Status HideStealthInCarrier(const std::string& path, std::string_view passphrase, const StealthPayload& payload,
                            const StealthRun& run = {}, Argon2Limits limits = kArgon2StoredLimits);

// Reads under a shared advisory lock, never changing the file.
Result<StealthPayload> ExtractStealthFromCarrier(const std::string& path, std::string_view passphrase,
                                                 const StealthRun& run = {}, Argon2Limits limits = kArgon2StoredLimits);

}  // namespace tarnwerk
