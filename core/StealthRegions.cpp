#include "core/StealthRegions.h"

namespace tarnwerk {

namespace {

std::vector<uint8_t> LowBits(const SamplePlane& plane, std::span<const uint32_t> indices) {
    std::vector<uint8_t> bits(indices.size());
    for (size_t p = 0; p < indices.size(); ++p) bits[p] = static_cast<uint8_t>(plane.samples[indices[p]] & 1u);
    return bits;
}

uint16_t Moved(uint16_t value, uint16_t maxValue, bool up) {
    if (value == 0) return 1;
    if (value == maxValue) return static_cast<uint16_t>(value - 1);
    return static_cast<uint16_t>(up ? value + 1 : value - 1);
}

}  // namespace

std::vector<uint8_t> UnpackBitsLsbFirst(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> bits(bytes.size() * 8);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>((bytes[i / 8] >> (i % 8)) & 1u);
    return bits;
}

std::vector<uint8_t> PackBitsLsbFirst(std::span<const uint8_t> bits) {
    std::vector<uint8_t> bytes((bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i)
        bytes[i / 8] = static_cast<uint8_t>(bytes[i / 8] | (bits[i] & 1u) << (i % 8));
    return bytes;
}

RegionStats EmbedRegion(SamplePlane& plane, const std::vector<float>& costs, std::span<const uint32_t> indices,
                        std::span<const uint8_t> bits, int height, KeyedStream& directions, StcWorkspace& workspace) {
    const std::vector<uint8_t> cover = LowBits(plane, indices);
    std::vector<float> regionCosts(indices.size());
    for (size_t p = 0; p < indices.size(); ++p) regionCosts[p] = costs[indices[p]];
    std::vector<uint8_t> stego(cover.size());
    RegionStats stats;
    stats.distortion = StcEmbed(cover, regionCosts, bits, height, stego, workspace);

    std::vector<uint8_t> up((indices.size() + 7) / 8);
    directions.Fill(up);
    for (size_t p = 0; p < indices.size(); ++p) {
        if (stego[p] == cover[p]) continue;
        uint16_t& sample = plane.samples[indices[p]];
        sample = Moved(sample, plane.maxValue, (up[p / 8] >> (p % 8)) & 1u);
        ++stats.changes;
    }
    return stats;
}

std::vector<uint8_t> ReadRegion(const SamplePlane& plane, std::span<const uint32_t> indices, size_t k, int height) {
    std::vector<uint8_t> bits(k);
    StcExtract(LowBits(plane, indices), k, height, bits);
    return bits;
}

}  // namespace tarnwerk
