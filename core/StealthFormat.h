// The stored format of the stealth method: its fixed constants, the header, the body's plain
// layout, the split of the picture's samples into regions and of the message over segments,
// and the capacity. docs/stealth-format.md describes the same; every value here is part of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace tarnwerk {

inline constexpr uint8_t kStealthVersion = 1;
// The salt's region: a public choice of samples, the same for every picture of a sample count.
inline constexpr std::string_view kSaltRegionLabel = "tarnwerk stealth salt region v1";
inline constexpr size_t kSaltRegionSamples = 4096;
// The header's region: the first samples of the keyed order.
inline constexpr size_t kHeaderRegionSamples = 4096;
inline constexpr size_t kStealthHeaderBytes = 8;
// Constraint height of the salt and header regions; the body's is stored in the header.
inline constexpr int kRegionHeight = 10;
// The body's constraint height this version writes (measured: see docs/stealth-format.md).
inline constexpr int kBodyHeight = 10;
inline constexpr int kMinBodyHeight = 7;
inline constexpr int kMaxBodyHeight = 10;
// The keyed order shuffles runs of this many neighbouring samples ...
inline constexpr size_t kRunSamples = 64;
// ... and cuts the body into segments of this many samples (the last one shorter), each an
// STC of its own and shuffled inside.
inline constexpr size_t kSegmentSamples = size_t{1} << 18;
// Body plain text: flags byte, extension field, data.
inline constexpr size_t kStealthFlagsBytes = 1;
inline constexpr size_t kStealthExtensionBytes = 8;
inline constexpr uint8_t kStealthCompressedFlag = 0x01;
// Seal (nonce and tag) plus flags and extension field.
inline constexpr size_t kStealthOverhead = 24 + 16 + kStealthFlagsBytes + kStealthExtensionBytes;

// Region ids: the key-stream nonces of a region's inner order and of its change directions.
inline constexpr uint64_t kSaltRegionId = 0;
inline constexpr uint64_t kHeaderRegionId = 1;
inline constexpr uint64_t kFirstSegmentId = 2;

struct StealthHeader {
    uint8_t version = kStealthVersion;
    uint8_t height = kBodyHeight;
    uint32_t sealedLength = 0;  // nonce, ciphertext and tag
};
// version, height, two zero bytes, sealed length (32-bit little-endian).
std::array<uint8_t, kStealthHeaderBytes> EncodeStealthHeader(const StealthHeader& header);
// Empty unless the version is known, the height allowed and the zero bytes zero.
std::optional<StealthHeader> DecodeStealthHeader(const std::array<uint8_t, kStealthHeaderBytes>& bytes);

// How a picture's samples are split. The body is every sample outside the salt and header
// regions; it is cut into segments of kSegmentSamples.
struct StealthLayout {
    size_t samples = 0;
    size_t bodySamples = 0;
    size_t SegmentCount() const { return (bodySamples + kSegmentSamples - 1) / kSegmentSamples; }
    size_t SegmentSize(size_t segment) const;
    // Message bits of a segment: floor(K * end / n) - floor(K * start / n) over the body's
    // sample positions, so the split depends only on n and K.
    size_t SegmentBits(size_t segment, uint64_t bodyBits) const;
    // Where a segment's bits start in the message: floor(K * start / n).
    size_t FirstBit(size_t segment, uint64_t bodyBits) const;
    // Every segment gets at most half a bit per sample.
    bool BodyFits(uint64_t sealedBytes) const;
    // The largest sealed body that fits when salt, header and body may take messageBits in
    // all; the body fits its segments.
    uint64_t LargestSealed(uint64_t messageBits) const;
    // The largest sealed body the format allows: half a bit per sample.
    uint64_t LargestSealed() const { return LargestSealed(samples / 2); }
};

// CarrierTooSmall when the picture cannot hold the fixed regions and a minimal body; also
// refused beyond 2^32 - 1 samples (indices are 32-bit).
Result<StealthLayout> StealthLayoutFor(size_t samples);

// The plain text of the body and back. Unpack fails (CorruptData) on a text shorter than flags
// and extension or with flag bits this version does not know.
struct StealthPayload {
    bool compressed = false;
    std::string extension;  // up to 8 bytes, stored padded with blanks, given back trimmed
    std::vector<uint8_t> data;
};
std::vector<uint8_t> PackStealthBody(const StealthPayload& payload);
Result<StealthPayload> UnpackStealthBody(std::vector<uint8_t> plain);

}  // namespace tarnwerk
