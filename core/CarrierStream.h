// Where the stream lies in a carrier and how the engine walks it: the readable length of the
// low-bit stream, the chunk size, and a reader that decodes the stream from a carrier area
// opened for reading (under a shared lock), whatever the carrier's kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Result.h"
#include "core/Capacity.h"
#include "core/CarrierArea.h"
#include "core/CarrierFacts.h"

namespace tarnwerk {

// Carrier bytes handled per read or write. Fixed, so memory stays the same whatever the
// carrier size, and large enough that the system calls cost little next to the copying.
inline constexpr size_t kChunkCarrierBytes = 256 * 1024;

// Stream bytes of one block of the reading loops (2048 / b carrier bytes); the begin
// marker and header are looked for in the first one.
inline constexpr size_t kBlockStreamBytes = 256;

class CarrierStreamReader {
public:
    // Errors: Io, CarrierBusy (a writer holds the carrier's lock), CorruptData (a damaged PNG).
    static Result<CarrierStreamReader> Open(const CarrierFacts& carrier);

    // Readable stream length for b bits per byte; never beyond the file as it is now.
    int64_t StreamLength(int bitsPerByte) const;

    // Decodes stream bytes [streamOffset, streamOffset + count) into out; the range must lie
    // within StreamLength(bitsPerByte).
    Status Decode(int64_t streamOffset, size_t count, int bitsPerByte, uint8_t* out);

private:
    explicit CarrierStreamReader(std::unique_ptr<CarrierArea> area);

    std::unique_ptr<CarrierArea> area_;
    std::vector<uint8_t> carrierBytes_;
};

}  // namespace tarnwerk
