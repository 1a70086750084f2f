// Where the stream lies in a carrier and how the engine walks it: the readable length of the
// low-bit stream, the chunk size, and a reader that decodes the stream from a carrier opened
// read-only under a shared lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/Result.h"
#include "core/Capacity.h"
#include "core/CarrierFacts.h"
#include "config/FileIo.h"

namespace tarnwerk {

// Carrier bytes handled per read or write. Fixed, so memory stays the same whatever the
// carrier size, and large enough that the system calls cost little next to the copying.
inline constexpr size_t kChunkCarrierBytes = 256 * 1024;

// Stream bytes of one block of the reading loops (2048 / b carrier bytes); the begin
// marker and header are looked for in the first one.
inline constexpr size_t kBlockStreamBytes = 256;

class CarrierStreamReader {
public:
    // Errors: Io, CarrierBusy (a writer holds the carrier's lock).
    static Result<CarrierStreamReader> Open(const CarrierFacts& carrier);

    // Readable stream length for b bits per byte; never beyond the file as it is now.
    int64_t StreamLength(int bitsPerByte) const;

    // Decodes stream bytes [streamOffset, streamOffset + count) into out; the range must lie
    // within StreamLength(bitsPerByte).
    Status Decode(int64_t streamOffset, size_t count, int bitsPerByte, uint8_t* out);

private:
    CarrierStreamReader(UniqueFd fd, std::string path, int64_t dataOffset, int64_t areaEnd);

    UniqueFd fd_;
    std::string path_;
    int64_t dataOffset_ = 0;
    int64_t areaEnd_ = 0;
    std::vector<uint8_t> carrierBytes_;
};

}  // namespace tarnwerk
