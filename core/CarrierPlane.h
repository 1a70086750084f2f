// Any carrier file as the grid of samples the stealth method works on, and the stealth hide
// and extract over a carrier file of any kind that has one: 24-bit and grey-ramp 8-bit
// bitmaps, grey and colour PNG pictures (8 or 16 bits, alpha left alone). RAW files and
// palette pictures have no such grid (NoSamplePlane); the front-ends tell the two apart by
// the carrier's analysis.
#pragma once

#include <cstdint>
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

// Whether a picture can take data by the stealth method, why not, and how much.
enum class StealthFit {
    Fits,
    Palette,     // palette bitmap or PNG: a change of an index by one changes the colour arbitrarily
    Raw,         // a RAW file: no known width, so no neighbours
    TooSmall,    // too few samples for the fixed regions and the smallest body
    Refused,     // a PNG no method may write into (transparent colours, animation): error says which
    Unreadable,  // not a carrier, damaged, or not readable: error says why
};

struct StealthAssessment {
    StealthFit fit = StealthFit::Unreadable;
    Error error;           // Refused and Unreadable: the reader's error
    uint64_t samples = 0;  // all samples of the picture
    StealthCapacity room;  // data bytes at the recommended and the maximum rate; 0 unless Fits
};

// Reads the carrier file (never changes it) and judges it for hiding.
StealthAssessment AssessStealthCarrier(const std::string& path);

// Hides under the exclusive advisory lock a classic hide takes (CarrierBusy while another
// process holds it) and writes the result to target (which may be the carrier itself) in one
// step, so no file is ever half written.
Status HideStealthInFile(const std::string& path, const std::string& target, std::string_view passphrase,
                         const StealthPayload& payload, const StealthRun& run = {},
                         Argon2Limits limits = kArgon2StoredLimits);

// Reads under a shared advisory lock, never changing the file.
Result<StealthPayload> ExtractStealthFromFile(const std::string& path, std::string_view passphrase,
                                              const StealthRun& run = {}, Argon2Limits limits = kArgon2StoredLimits);

}  // namespace tarnwerk
