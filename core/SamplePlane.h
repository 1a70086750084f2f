// A picture seen as a grid of samples: what a content-adaptive method needs to know about a
// carrier (neighbours in two dimensions), independent of the file it came from. Alpha is never
// part of it. Samples are stored channel by channel, each channel row by row from the top, so
// one channel is one contiguous array (fast box filters, cheap runs of neighbouring samples).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnwerk {

struct SamplePlane {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;           // 1 grey, 3 colour
    uint16_t maxValue = 255;        // 255 for 8-bit samples; 65535 possible for 16-bit ones
    std::vector<uint16_t> samples;  // channels * height * width

    size_t ChannelSize() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    size_t Count() const { return ChannelSize() * static_cast<size_t>(channels); }
    uint16_t* Channel(int32_t c) { return samples.data() + ChannelSize() * static_cast<size_t>(c); }
    const uint16_t* Channel(int32_t c) const { return samples.data() + ChannelSize() * static_cast<size_t>(c); }
    uint16_t& At(int32_t c, int32_t y, int32_t x) { return Channel(c)[static_cast<size_t>(y) * width + x]; }
    uint16_t At(int32_t c, int32_t y, int32_t x) const { return Channel(c)[static_cast<size_t>(y) * width + x]; }
};

// An empty plane of the given shape (all samples 0).
SamplePlane MakeSamplePlane(int32_t width, int32_t height, int32_t channels, uint16_t maxValue);

}  // namespace tarnwerk
