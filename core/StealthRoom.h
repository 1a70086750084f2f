// Whether a picture can take data by the stealth method, why not, and how much: what info,
// the window and a hide ask before they start. The room counts only the samples that can
// change at a finite cost (see core/Capacity and core/StealthCosts).
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"
#include "core/Capacity.h"
#include "core/SamplePlane.h"

namespace tarnwerk {

enum class StealthFit {
    Fits,
    Palette,     // palette bitmap or PNG: a change of an index by one changes the colour arbitrarily
    Raw,         // a RAW file: no known width, so no neighbours
    TooSmall,    // too small or too flat: too few usable samples for the fixed regions and the
                 // smallest body (also: more samples than the format indexes)
    Refused,     // a PNG no method may write into (transparent colours, animation): error says which
    Unreadable,  // not a carrier, damaged, or not readable: error says why
};

struct StealthAssessment {
    StealthFit fit = StealthFit::Unreadable;
    Error error;                 // Refused and Unreadable: the reader's error
    uint64_t samples = 0;        // all samples of the picture
    uint64_t usableSamples = 0;  // those that can change at a finite cost
    StealthCapacity room;        // data bytes at the recommended and the maximum rate; 0 unless Fits
};

// From a plane (computes its costs: about a second for 72 million samples on two cores).
StealthAssessment StealthRoom(const SamplePlane& plane);
// From costs already computed for the plane.
StealthAssessment StealthRoom(const SamplePlane& plane, const std::vector<float>& costs);

// Reads the carrier file (never changes it) and judges it.
StealthAssessment AssessStealthCarrier(const std::string& path);

}  // namespace tarnwerk
