#include "core/PngSampleLayout.h"

#include <cstdint>
#include <cstring>

namespace tarnwerk {

namespace {

int Channels(PngColourType type) {
    switch (type) {
        case PngColourType::Grey:
        case PngColourType::Palette:
            return 1;
        case PngColourType::GreyAlpha:
            return 2;
        case PngColourType::Rgb:
            return 3;
        case PngColourType::Rgba:
            return 4;
    }
    return 0;
}

bool HasAlpha(PngColourType type) { return type == PngColourType::GreyAlpha || type == PngColourType::Rgba; }

// Byte of the row that holds carrier byte index: its sample's last (least significant) byte.
template <class Visit>
void Walk(const PngSampleLayout& layout, size_t first, size_t count, Visit visit) {
    const auto colour = static_cast<size_t>(layout.colourChannels);
    const auto pixelBytes = static_cast<size_t>(layout.channels * layout.bytesPerSample);
    const auto sampleBytes = static_cast<size_t>(layout.bytesPerSample);
    size_t pixel = first / colour;
    size_t channel = first % colour;
    for (size_t i = 0; i < count; ++i) {
        visit(pixel * pixelBytes + channel * sampleBytes + sampleBytes - 1, i);
        if (++channel == colour) {
            channel = 0;
            ++pixel;
        }
    }
}

}  // namespace

bool WithinPngLimits(const PngHeader& header) {
    if (header.width > kMaxPngSide || header.height > kMaxPngSide) return false;
    const uint64_t pixels = uint64_t{header.width} * header.height;
    // At most three colour samples per pixel carry data.
    return pixels <= kMaxPngPixels && pixels * 3 <= uint64_t{INT32_MAX};
}

bool MakePngSampleLayout(const PngHeader& header, PngSampleLayout& layout) {
    if (header.bitDepth != 8 && header.bitDepth != 16) return false;
    const auto type = static_cast<PngColourType>(header.colourType);
    layout.width = header.width;
    layout.height = header.height;
    layout.channels = Channels(type);
    layout.colourChannels = layout.channels - (HasAlpha(type) ? 1 : 0);
    layout.bytesPerSample = header.bitDepth / 8;
    return layout.channels > 0;
}

void GatherAreaBytes(const PngSampleLayout& layout, const uint8_t* row, size_t first, size_t count, uint8_t* out) {
    if (layout.RowIsArea()) {
        std::memcpy(out, row + first, count);
        return;
    }
    Walk(layout, first, count, [&](size_t at, size_t i) { out[i] = row[at]; });
}

void ScatterAreaBytes(const PngSampleLayout& layout, uint8_t* row, size_t first, size_t count, const uint8_t* in) {
    if (layout.RowIsArea()) {
        std::memcpy(row + first, in, count);
        return;
    }
    Walk(layout, first, count, [&](size_t at, size_t i) { row[at] = in[i]; });
}

}  // namespace tarnwerk
