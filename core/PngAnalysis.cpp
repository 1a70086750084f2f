#include "core/PngAnalysis.h"

#include "core/PngArea.h"
#include "core/PngChunks.h"
#include "core/PngSampleLayout.h"

namespace tarnwerk {

namespace {

void FillFacts(const PngLayout& layout, const PngSampleLayout& samples, CarrierFacts& facts) {
    facts.signature = "PNG";
    facts.width = static_cast<int32_t>(layout.header.width);
    facts.height = static_cast<int32_t>(layout.header.height);
    facts.planes = 1;
    facts.bitCount = samples.channels * layout.header.bitDepth;
    facts.imageSize = static_cast<int32_t>(samples.AreaBytes());  // WithinPngLimits keeps it in range
    facts.fileSize = facts.imageSize;
    facts.png.colourType = layout.header.colourType;
    facts.png.bitDepth = layout.header.bitDepth;
    facts.png.interlaced = layout.header.interlace != 0;
    facts.png.channels = samples.channels;
    facts.png.colourChannels = samples.colourChannels;
    facts.png.paletteEntries = layout.paletteEntries;
    facts.shortColourTable = layout.header.colourType == static_cast<uint8_t>(PngColourType::Palette) &&
                             layout.paletteEntries < kFullColourTable;
    facts.png.transparentColour = layout.transparency;
    facts.png.animated = layout.animated;
}

}  // namespace

CarrierVerdict AnalysePng(int fd, const std::string& path, CarrierFacts& facts, std::string& detail) {
    // Not a PNG at all (a bitmap named .png, say): not a damaged one.
    if (!HasPngSignature(fd, path)) return CarrierVerdict::NotValid;
    auto layout = ReadPngLayout(fd, path);
    if (!layout) {
        detail = layout.error().detail;
        return layout.error().code == ErrorCode::CorruptData ? CarrierVerdict::Damaged : CarrierVerdict::NotValid;
    }
    facts.realLength = layout->fileLength;
    PngSampleLayout samples;
    if (!MakePngSampleLayout(layout->header, samples)) {
        facts.bitCount = layout->header.bitDepth;
        return CarrierVerdict::UnsupportedDepth;
    }
    if (!WithinPngLimits(layout->header)) return CarrierVerdict::TooLarge;
    if (layout->header.interlace != 0 && uint64_t{samples.RowBytes()} * samples.height > kMaxWholePictureBytes)
        return CarrierVerdict::TooLarge;
    FillFacts(*layout, samples, facts);
    return CarrierVerdict::Png;
}

}  // namespace tarnwerk
