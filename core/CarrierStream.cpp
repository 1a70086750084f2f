#include "core/CarrierStream.h"

#include <algorithm>

#include "core/BitPlacement.h"

namespace tarnwerk {

CarrierStreamReader::CarrierStreamReader(std::unique_ptr<CarrierArea> area) : area_(std::move(area)) {}

Result<CarrierStreamReader> CarrierStreamReader::Open(const CarrierFacts& carrier) {
    auto area = OpenAreaForReading(carrier);
    if (!area) return area.error();
    return CarrierStreamReader(std::move(*area));
}

int64_t CarrierStreamReader::StreamLength(int bitsPerByte) const {
    return ReadableStreamLength(area_->Length(), 0, bitsPerByte);
}

Status CarrierStreamReader::Decode(int64_t streamOffset, size_t count, int bitsPerByte, uint8_t* out) {
    const size_t perByte = static_cast<size_t>(CarrierBytesPerStreamByte(bitsPerByte));
    const size_t streamPerChunk = kChunkCarrierBytes / perByte;
    carrierBytes_.resize(std::min(count, streamPerChunk) * perByte);
    while (count > 0) {
        const size_t part = std::min(count, streamPerChunk);
        const int64_t carrierOffset = streamOffset * static_cast<int64_t>(perByte);
        if (auto read = area_->Read(carrierOffset, carrierBytes_.data(), part * perByte); !read) return read;
        PickBits(carrierBytes_.data(), part, out, bitsPerByte);
        out += part;
        streamOffset += static_cast<int64_t>(part);
        count -= part;
    }
    return {};
}

}  // namespace tarnwerk
