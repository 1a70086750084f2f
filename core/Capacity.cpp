#include "core/Capacity.h"

#include <algorithm>
#include <cmath>

#include "core/BitPlacement.h"
#include "core/PayloadFormat.h"

namespace tarnwerk {

namespace {

// Rounded towards minus infinity, so a negative area never gains room.
int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

int64_t StreamOverhead(bool encrypted) {
    return 2 * kMarkerLength + (encrypted ? kEncryptedHeaderLength : kPlainHeaderLength) + kCapacityReserve;
}

int64_t LargestPayload(int64_t areaBytes, int bitsPerByte, bool encrypted) {
    return FloorDiv(areaBytes * bitsPerByte, kBitsPerByte) - StreamOverhead(encrypted);
}

int64_t SmallestCarrierArea(int64_t payloadSize, int bitsPerByte, bool encrypted) {
    return (payloadSize + StreamOverhead(encrypted)) * CarrierBytesPerStreamByte(bitsPerByte);
}

int64_t ReadableStreamLength(int64_t fileSize, int64_t dataOffset, int bitsPerByte) {
    const int64_t readable = fileSize - dataOffset - 1;
    if (readable <= 0) return 0;
    return readable / CarrierBytesPerStreamByte(bitsPerByte);
}

StealthCapacity StealthCapacityOf(const StealthLayout& layout, uint64_t usableSamples, uint64_t usableInSaltRegion) {
    if (usableInSaltRegion < kStealthMinUsableInSaltRegion) return {};
    auto data = [&](double rate) {
        const auto bits = static_cast<uint64_t>(std::floor(rate * static_cast<double>(usableSamples)));
        const auto sealed = static_cast<int64_t>(layout.LargestSealed(bits));
        return std::max<int64_t>(0, sealed - static_cast<int64_t>(kStealthOverhead));
    };
    return StealthCapacity{data(kStealthRecommendedRate), data(kStealthMaximumRate)};
}

}  // namespace tarnwerk
