// The carrier area as the classic engine sees it: a run of carrier bytes, counted from 0,
// whose low bits hold the stream. A bitmap's or RAW file's area is a range of the file; a
// PNG's is one byte per colour sample, decoded and re-encoded row by row. Hiding, extraction
// and export stream through this interface, so they are written once for every kind.
//
// Access is mostly forward: an area may serve a read that goes back only at some cost, and a
// writable area takes writes only at or after the last read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "core/CarrierFacts.h"

namespace tarnwerk {

class CarrierArea {
public:
    virtual ~CarrierArea() = default;

    // Carrier bytes in the area, never beyond what the file holds now.
    virtual int64_t Length() const = 0;
    virtual Status Read(int64_t offset, uint8_t* out, size_t count) = 0;
    // Writable areas only: replaces bytes that were read before.
    virtual Status Write(int64_t offset, const uint8_t* in, size_t count) = 0;
    // Writable areas only: makes the writes the content of the result file. Until it
    // succeeds, the file the user sees is unchanged (or, for in-place bitmaps and RAW files,
    // holds the bytes written so far, as it always has).
    virtual Status Finish() = 0;
};

// For reading; takes a shared lock on the carrier. Errors: Io, CarrierBusy, CorruptData.
Result<std::unique_ptr<CarrierArea>> OpenAreaForReading(const CarrierFacts& carrier);

// For a hide. An empty outputPath changes the carrier itself (a PNG through a new file
// renamed onto it); otherwise the result goes to outputPath and the carrier stays as it is.
// Takes an exclusive lock on the carrier. Errors: Io, CarrierBusy, CorruptData, SameFile.
Result<std::unique_ptr<CarrierArea>> OpenAreaForHide(const CarrierFacts& carrier, const std::string& outputPath);

}  // namespace tarnwerk
