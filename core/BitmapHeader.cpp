#include "core/BitmapHeader.h"

#include "base/ByteOrder.h"

namespace tarnwerk {

namespace {

// Field offsets of the stored header.
constexpr int kSignature = 0;
constexpr int kSignatureLength = 2;
constexpr int kFileSize = 2;
constexpr int kReserved = 6;
constexpr int kReservedLength = 4;
constexpr int kDataOffset = 10;
constexpr int kHeaderSize = 14;
constexpr int kWidth = 18;
constexpr int kHeight = 22;
constexpr int kPlanes = 26;
constexpr int kBitCount = 28;
constexpr int kCompression = 30;
constexpr int kImageSize = 34;
constexpr int kXPelsPerMeter = 38;
constexpr int kYPelsPerMeter = 42;
constexpr int kColorsUsed = 46;
constexpr int kColorsImportant = 50;

}  // namespace

int32_t ReadLe32(const uint8_t* bytes) { return static_cast<int32_t>(LoadLe32(bytes)); }

int32_t ReadLe16(const uint8_t* bytes) { return LoadLe16(bytes); }

void ParseBitmapHeader(const std::array<uint8_t, kBmpHeaderSize>& header, CarrierFacts& facts) {
    const uint8_t* h = header.data();
    facts.signature.assign(reinterpret_cast<const char*>(h + kSignature), kSignatureLength);
    facts.fileSize = ReadLe32(h + kFileSize);
    facts.reserved.assign(reinterpret_cast<const char*>(h + kReserved), kReservedLength);
    facts.dataOffset = ReadLe32(h + kDataOffset);
    facts.headerSize = ReadLe32(h + kHeaderSize);
    facts.width = ReadLe32(h + kWidth);
    facts.height = ReadLe32(h + kHeight);
    facts.planes = ReadLe16(h + kPlanes);
    facts.bitCount = ReadLe16(h + kBitCount);
    facts.compression = ReadLe32(h + kCompression);
    facts.imageSize = ReadLe32(h + kImageSize);
    facts.xPelsPerMeter = ReadLe32(h + kXPelsPerMeter);
    facts.yPelsPerMeter = ReadLe32(h + kYPelsPerMeter);
    facts.colorsUsed = ReadLe32(h + kColorsUsed);
    facts.colorsImportant = ReadLe32(h + kColorsImportant);
}

}  // namespace tarnwerk
