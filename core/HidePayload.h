// Writes a prepared payload file into the low bits of the carrier area, in place.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"
#include "core/CarrierFacts.h"
#include "core/Progress.h"

namespace tarnwerk {

// What the hide workflow prepared for the engine.
struct PayloadSource {
    std::string path;  // prepared payload file (scratch file)
    int64_t size = 0;  // its length in bytes
    bool compressed = false;
    bool encrypted = false;
    uint8_t cipher = 255;    // cipher index when encrypted
    std::string checkValue;  // 16 bytes when encrypted (passphrase digest, or salt)
    std::string extension;   // data file extension, single-byte code page
};

// Errors: NoCarrier, NoPayload, ShortColourTable, PayloadTooLarge (LargestPayload),
// EndMarkerInData (checked before the carrier is touched), CarrierBusy (another process holds
// the carrier's lock), CarrierRefused (a carrier that can be read but not hidden into),
// CarrierShrank (the file was cut short meanwhile: writing stops), CorruptData (a damaged
// PNG), NotRegularFile (outputPath names a FIFO, a device or a folder), Io. Holds an exclusive
// advisory lock on the carrier while it writes. The facts are taken by value: what the
// caller's copy says later cannot move the stream half-way.
//
// With an empty outputPath the carrier itself receives the stream: a bitmap or RAW file in
// place, a PNG as a new file renamed onto it when complete (a failure leaves it as it was).
// Otherwise the carrier stays untouched and the result is written beside outputPath and
// renamed onto it when complete (SameFile when outputPath is the carrier). Asking before an
// existing outputPath is replaced is the caller's part.
Status HidePayload(CarrierFacts carrier, int bitsPerByte, const PayloadSource& source, const ProgressFn& progress = {},
                   const std::string& outputPath = {});

}  // namespace tarnwerk
