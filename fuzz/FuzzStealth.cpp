// The stealth reader's fuzz entry: any plane must give data, NothingFound or CorruptData
// (authentic data with unknown flags), never a crash or another error.
#include <string>

#include "core/StealthExtract.h"
#include "core/StealthRegions.h"
#include "fuzz/FuzzEntries.h"

namespace tarnwerk::fuzz {

namespace {

constexpr int32_t kMinWidth = 64;
constexpr uint16_t kSampleBase = 100;
constexpr size_t kShapeBytes = 2;

}  // namespace

StealthKeys FuzzStealthKeys() { return StealthKeysFromMaster(PublicStealthKey("tarnwerk fuzz keys", 0)); }

Bytes StealthReaderInput(const SamplePlane& plane) {
    Bytes input{static_cast<uint8_t>(plane.channels == 3 ? 1 : 0), static_cast<uint8_t>(plane.width - kMinWidth)};
    std::vector<uint8_t> low(plane.Count());
    for (size_t i = 0; i < low.size(); ++i) low[i] = static_cast<uint8_t>(plane.samples[i] & 1u);
    const std::vector<uint8_t> packed = PackBitsLsbFirst(low);
    input.insert(input.end(), packed.begin(), packed.end());
    return input;
}

std::string FuzzStealthReader(Input input, const ScratchDir&) {
    if (input.size() <= kShapeBytes) return {};
    const int32_t channels = (input[0] & 1) ? 3 : 1;
    const int32_t width = kMinWidth + input[1];
    const size_t bits = (input.size() - kShapeBytes) * 8;
    const auto height = static_cast<int32_t>(bits / static_cast<size_t>(width * channels));
    if (height < 1) return {};
    SamplePlane plane = MakeSamplePlane(width, height, channels, 255);
    const std::vector<uint8_t> low = UnpackBitsLsbFirst(input.subspan(kShapeBytes));
    for (size_t i = 0; i < plane.Count(); ++i) plane.samples[i] = static_cast<uint16_t>(kSampleBase + low[i]);

    const auto found =
        ExtractStealthWithKeys(plane, [](const StealthSalt&) -> Result<StealthKeys> { return FuzzStealthKeys(); });
    if (found) {
        auto layout = StealthLayoutFor(plane.Count());
        if (!layout || found->data.size() + kStealthOverhead > layout->LargestSealed())
            return "more data than the picture can hold";
        return {};
    }
    const ErrorCode code = found.error().code;
    if (code != ErrorCode::NothingFound && code != ErrorCode::CorruptData)
        return "unexpected error " + std::to_string(static_cast<int>(code));
    return {};
}

}  // namespace tarnwerk::fuzz
