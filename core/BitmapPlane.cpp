#include "core/BitmapPlane.h"

#include <cstdlib>
#include <span>

#include "base/FileIo.h"
#include "core/BitmapHeader.h"
#include "core/CarrierAnalysis.h"

namespace tarnwerk {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kColourEntryBytes = 4;
constexpr int kMinTableEntries = 2;

Error Refused(ErrorCode code, const std::string& path) { return MakeError(code, path); }

// Rows are padded to a multiple of four bytes.
int64_t StoredRowBytes(int64_t width, int bytesPerPixel) { return (width * bytesPerPixel + 3) / 4 * 4; }

// The grey ramp's length (maximum value + 1), or 0 when the table is no grey ramp.
int32_t GreyRampLength(const CarrierFacts& facts, const std::vector<uint8_t>& file) {
    const int32_t entries = facts.colorsUsed == 0 ? kFullColourTable : facts.colorsUsed;
    if (entries < kMinTableEntries || entries > kFullColourTable) return 0;
    const int64_t tableStart = int64_t{kFileHeaderBytes} + facts.headerSize;  // after the info header
    if (tableStart + int64_t{entries} * kColourEntryBytes > facts.dataOffset) return 0;
    for (int32_t i = 0; i < entries; ++i) {
        const uint8_t* entry = file.data() + tableStart + int64_t{i} * kColourEntryBytes;
        if (entry[0] != i || entry[1] != i || entry[2] != i) return 0;
    }
    return entries;
}

Status CheckVerdict(const CarrierAnalysis& analysis, const std::string& path) {
    switch (analysis.verdict) {
        case CarrierVerdict::Bitmap:
            return {};
        case CarrierVerdict::Raw:
            return Refused(ErrorCode::NoSamplePlane, path);
        default:
            return Refused(ErrorCode::CorruptData, path);
    }
}

void CopyPixels(BitmapPlane& bitmap, bool toPlane) {
    SamplePlane& plane = bitmap.plane;
    for (int32_t y = 0; y < plane.height; ++y) {
        const int32_t storedRow = bitmap.topDown ? y : plane.height - 1 - y;
        uint8_t* row = bitmap.file.data() + bitmap.pixelOffset + int64_t{storedRow} * bitmap.rowBytes;
        for (int32_t c = 0; c < plane.channels; ++c) {
            uint16_t* samples = plane.Channel(c) + static_cast<size_t>(y) * plane.width;
            for (int32_t x = 0; x < plane.width; ++x) {
                uint8_t& stored = row[int64_t{x} * bitmap.bytesPerPixel + c];
                if (toPlane)
                    samples[x] = stored;
                else
                    stored = static_cast<uint8_t>(samples[x]);
            }
        }
    }
}

bool IndicesWithin(const SamplePlane& plane, int32_t limit) {
    for (uint16_t v : plane.samples)
        if (v >= limit) return false;
    return true;
}

}  // namespace

Result<BitmapPlane> LoadBitmapPlane(const std::string& path) {
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (Status verdict = CheckVerdict(analysis, path); !verdict) return verdict.error();
    const CarrierFacts& facts = analysis.facts;
    auto file = ReadWholeFile(path, facts.realLength);
    if (!file) return file.error();

    BitmapPlane bitmap;
    bitmap.file = std::move(*file);
    bitmap.bytesPerPixel = facts.bitCount / 8;
    bitmap.topDown = facts.height < 0;
    const int64_t height = std::llabs(int64_t{facts.height});
    const int64_t rowBytes = StoredRowBytes(facts.width, bitmap.bytesPerPixel);
    if (facts.width < 1 || height < 1 ||
        facts.dataOffset + rowBytes * height > static_cast<int64_t>(bitmap.file.size()))
        return Refused(ErrorCode::CorruptData, path);
    bitmap.pixelOffset = facts.dataOffset;
    bitmap.rowBytes = static_cast<int32_t>(rowBytes);

    int32_t rampLength = kFullColourTable;
    if (bitmap.bytesPerPixel == 1) {
        rampLength = GreyRampLength(facts, bitmap.file);
        if (rampLength == 0) return Refused(ErrorCode::NoSamplePlane, path);
    }
    bitmap.plane = MakeSamplePlane(facts.width, static_cast<int32_t>(height), bitmap.bytesPerPixel,
                                   static_cast<uint16_t>(rampLength - 1));
    CopyPixels(bitmap, true);
    if (!IndicesWithin(bitmap.plane, rampLength)) return Refused(ErrorCode::NoSamplePlane, path);
    return bitmap;
}

Status SaveBitmapPlane(BitmapPlane& bitmap, const std::string& path) {
    CopyPixels(bitmap, false);
    return ReplaceFileWith(path, {std::span<const uint8_t>(bitmap.file)});
}

}  // namespace tarnwerk
