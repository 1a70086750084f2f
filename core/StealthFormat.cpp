#include "core/StealthFormat.h"

#include <algorithm>
#include <limits>

namespace tarnwerk {

namespace {

constexpr size_t kSaltBits = 128;
constexpr size_t kHeaderBits = kStealthHeaderBytes * 8;
constexpr char kExtensionPad = ' ';
constexpr uint64_t kMaxSamples = std::numeric_limits<uint32_t>::max();

}  // namespace

std::array<uint8_t, kStealthHeaderBytes> EncodeStealthHeader(const StealthHeader& header) {
    std::array<uint8_t, kStealthHeaderBytes> bytes{};
    bytes[0] = header.version;
    bytes[1] = header.height;
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(header.sealedLength >> (8 * i));
    return bytes;
}

std::optional<StealthHeader> DecodeStealthHeader(const std::array<uint8_t, kStealthHeaderBytes>& bytes) {
    if (bytes[0] != kStealthVersion || bytes[1] < kMinBodyHeight || bytes[1] > kMaxBodyHeight || bytes[2] != 0 ||
        bytes[3] != 0)
        return std::nullopt;
    StealthHeader header;
    header.version = bytes[0];
    header.height = bytes[1];
    header.sealedLength = 0;
    for (int i = 0; i < 4; ++i) header.sealedLength |= uint32_t{bytes[4 + i]} << (8 * i);
    return header;
}

size_t StealthLayout::SegmentSize(size_t segment) const {
    const size_t start = segment * kSegmentSamples;
    return std::min(kSegmentSamples, bodySamples - start);
}

size_t StealthLayout::SegmentBits(size_t segment, uint64_t bodyBits) const {
    const uint64_t end = segment * kSegmentSamples + SegmentSize(segment);
    return static_cast<size_t>(bodyBits * end / bodySamples) - FirstBit(segment, bodyBits);
}

size_t StealthLayout::FirstBit(size_t segment, uint64_t bodyBits) const {
    return static_cast<size_t>(bodyBits * (segment * kSegmentSamples) / bodySamples);
}

bool StealthLayout::BodyFits(uint64_t sealedBytes) const {
    const uint64_t bits = sealedBytes * 8;
    if (bits > bodySamples / 2) return false;
    for (size_t s = 0; s < SegmentCount(); ++s)
        if (2 * SegmentBits(s, bits) > SegmentSize(s)) return false;
    return true;
}

uint64_t StealthLayout::LargestSealed(uint64_t messageBits) const {
    if (messageBits < kSaltBits + kHeaderBits + 8) return 0;
    uint64_t sealed = std::min<uint64_t>((messageBits - kSaltBits - kHeaderBits) / 8, bodySamples / 16);
    while (sealed > 0 && !BodyFits(sealed)) --sealed;  // rounding of the split: a few bytes at most
    return sealed;
}

Result<StealthLayout> StealthLayoutFor(size_t samples) {
    const size_t fixed = kSaltRegionSamples + kHeaderRegionSamples;
    if (samples > kMaxSamples) return MakeError(ErrorCode::CarrierTooSmall);
    StealthLayout layout;
    layout.samples = samples;
    layout.bodySamples = samples > fixed ? samples - fixed : 0;
    if (layout.LargestSealed() <= kStealthOverhead) return MakeError(ErrorCode::CarrierTooSmall);
    return layout;
}

std::vector<uint8_t> PackStealthBody(const StealthPayload& payload) {
    std::vector<uint8_t> plain;
    plain.reserve(kStealthFlagsBytes + kStealthExtensionBytes + payload.data.size());
    plain.push_back(payload.compressed ? kStealthCompressedFlag : 0);
    std::string field = payload.extension.substr(0, kStealthExtensionBytes);
    field.resize(kStealthExtensionBytes, kExtensionPad);
    plain.insert(plain.end(), field.begin(), field.end());
    plain.insert(plain.end(), payload.data.begin(), payload.data.end());
    return plain;
}

Result<StealthPayload> UnpackStealthBody(std::vector<uint8_t> plain) {
    constexpr size_t kFixed = kStealthFlagsBytes + kStealthExtensionBytes;
    if (plain.size() < kFixed) return MakeError(ErrorCode::CorruptData);
    if (plain[0] & ~kStealthCompressedFlag) return MakeError(ErrorCode::CorruptData);
    StealthPayload payload;
    payload.compressed = (plain[0] & kStealthCompressedFlag) != 0;
    payload.extension.assign(plain.begin() + kStealthFlagsBytes, plain.begin() + kFixed);
    payload.extension.erase(payload.extension.find_last_not_of(kExtensionPad) + 1);
    plain.erase(plain.begin(), plain.begin() + kFixed);
    payload.data = std::move(plain);
    return payload;
}

}  // namespace tarnwerk
