// Writes a prepared payload file into the low bits of the carrier area, in place.
#pragma once

#include <cstdint>
#include <string>

#include "config/Result.h"
#include "core/CarrierFacts.h"
#include "core/Progress.h"

namespace tarnwerk {

// What the hide workflow prepared for the engine.
struct PayloadSource {
    std::string path;          // prepared payload file (scratch file)
    int64_t size = 0;          // its length in bytes
    bool compressed = false;
    bool encrypted = false;
    uint8_t cipher = 255;      // cipher index when encrypted
    std::string checkValue;    // 16 bytes when encrypted (passphrase digest, or salt)
    std::string extension;     // data file extension, single-byte code page
};

// Errors: NoCarrier, NoPayload, PayloadTooLarge (the engine's own, stricter capacity test),
// CarrierBusy (another process holds the carrier's lock), Io.
// Holds an exclusive advisory lock on the carrier while it writes.
Status HidePayload(const CarrierFacts& carrier, int bitsPerByte, const PayloadSource& source,
                   const ProgressFn& progress = {});

}  // namespace tarnwerk
