#include "core/CarrierStream.h"

#include <fcntl.h>

#include <algorithm>

#include "core/BitPlacement.h"

namespace tarnwerk {

CarrierStreamReader::CarrierStreamReader(UniqueFd fd, std::string path, int64_t dataOffset, int64_t areaEnd)
    : fd_(std::move(fd)), path_(std::move(path)), dataOffset_(dataOffset), areaEnd_(areaEnd) {}

Result<CarrierStreamReader> CarrierStreamReader::Open(const CarrierFacts& carrier) {
    auto fd = OpenFile(carrier.path, O_RDONLY);
    if (!fd) return fd.error();
    if (auto locked = LockFile(fd->get(), false, carrier.path); !locked) return locked.error();
    auto length = FileLength(fd->get(), carrier.path);
    if (!length) return length.error();
    // A carrier that shrank since it was analysed is read only as far as it still reaches.
    const int64_t areaEnd = std::min<int64_t>(carrier.fileSize, *length);
    return CarrierStreamReader(std::move(*fd), carrier.path, carrier.dataOffset, areaEnd);
}

int64_t CarrierStreamReader::StreamLength(int bitsPerByte) const {
    return ReadableStreamLength(areaEnd_, dataOffset_, bitsPerByte);
}

Status CarrierStreamReader::Decode(int64_t streamOffset, size_t count, int bitsPerByte, uint8_t* out) {
    const size_t perByte = static_cast<size_t>(CarrierBytesPerStreamByte(bitsPerByte));
    const size_t streamPerChunk = kChunkCarrierBytes / perByte;
    carrierBytes_.resize(std::min(count, streamPerChunk) * perByte);
    while (count > 0) {
        const size_t part = std::min(count, streamPerChunk);
        const int64_t carrierOffset = dataOffset_ + streamOffset * static_cast<int64_t>(perByte);
        if (auto read = ReadAt(fd_.get(), carrierBytes_.data(), part * perByte, carrierOffset, path_); !read)
            return read;
        PickBits(carrierBytes_.data(), part, out, bitsPerByte);
        out += part;
        streamOffset += static_cast<int64_t>(part);
        count -= part;
    }
    return {};
}

}  // namespace tarnwerk
