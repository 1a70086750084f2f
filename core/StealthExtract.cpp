#include "core/StealthExtract.h"

#include <fcntl.h>

#include <algorithm>
#include <optional>

#include "base/FileIo.h"
#include "core/StealthCarrier.h"
#include "core/StealthOrder.h"
#include "core/StealthRegions.h"
#include "crypto/StealthSeal.h"

namespace tarnwerk {

namespace {

Error NothingFound() { return MakeError(ErrorCode::NothingFound); }

StealthSalt ReadSalt(const SamplePlane& plane, const std::vector<uint32_t>& region) {
    const auto bytes = PackBitsLsbFirst(ReadRegion(plane, region, kStealthSaltSize * 8, kRegionHeight));
    StealthSalt salt{};
    std::copy(bytes.begin(), bytes.end(), salt.begin());
    return salt;
}

std::optional<StealthHeader> ReadHeader(const SamplePlane& plane, const StealthOrder& order, const StealthKeys& keys,
                                        std::array<uint8_t, kStealthHeaderBytes>& plainHeader) {
    const auto masked =
        PackBitsLsbFirst(ReadRegion(plane, order.HeaderRegion(), kStealthHeaderBytes * 8, kRegionHeight));
    KeyedStream(keys.headerMask, 0).Fill(plainHeader);
    for (size_t i = 0; i < plainHeader.size(); ++i) plainHeader[i] ^= masked[i];
    return DecodeStealthHeader(plainHeader);
}

// The body's bits, segments on every core; each segment writes its own range of bits.
std::vector<uint8_t> ReadBody(const SamplePlane& plane, const StealthOrder& order, const StealthLayout& layout,
                              uint64_t bodyBits, int height, const StealthRun& run) {
    const size_t segments = layout.SegmentCount();
    std::vector<uint8_t> bits(bodyBits);
    auto read = [&](size_t s) {
        const auto segmentBits = ReadRegion(plane, order.Segment(s), layout.SegmentBits(s, bodyBits), height);
        const auto first = static_cast<ptrdiff_t>(layout.FirstBit(s, bodyBits));
        std::copy(segmentBits.begin(), segmentBits.end(), bits.begin() + first);
    };
    if (!RunSegments(segments, read, run, 0)) bits.clear();
    return bits;
}

}  // namespace

Result<StealthPayload> ExtractStealthWithKeys(const SamplePlane& plane, const StealthKeySource& keySource,
                                              const StealthRun& run) {
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return NothingFound();
    std::vector<uint32_t> saltRegion = SaltRegion(plane.Count());
    auto keys = keySource(ReadSalt(plane, saltRegion));
    if (!keys) return keys.error();
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);

    std::optional<StealthOrder> order;
    std::array<uint8_t, kStealthHeaderBytes> plainHeader{};
    std::optional<StealthHeader> header;
    RunReporting({[&] {
                     order.emplace(keys->order, *layout, std::move(saltRegion));
                     header = ReadHeader(plane, *order, *keys, plainHeader);
                 }},
                 run, 0);
    if (!header || header->sealedLength < kStealthOverhead || !layout->BodyFits(header->sealedLength))
        return NothingFound();

    const auto bits = ReadBody(plane, *order, *layout, uint64_t{header->sealedLength} * 8, header->height, run);
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    auto plain = OpenStealthBody(keys->seal, plainHeader, PackBitsLsbFirst(bits));
    if (!plain) return NothingFound();
    return UnpackStealthBody(std::move(*plain));
}

Result<StealthPayload> ExtractStealth(const SamplePlane& plane, std::string_view passphrase, const StealthRun& run,
                                      Argon2Limits limits) {
    return ExtractStealthWithKeys(
        plane, [&](const StealthSalt& salt) { return DeriveKeysReporting(passphrase, salt, limits, run); }, run);
}

Result<StealthPayload> ExtractStealthFromFile(const std::string& path, std::string_view passphrase,
                                              const StealthRun& run, Argon2Limits limits) {
    // Shared, like a classic extract: a hide in progress would show half-written pixels.
    auto carrier = OpenFile(path, O_RDONLY);
    if (!carrier) return carrier.error();
    if (Status locked = LockFile(carrier->get(), false, path); !locked) return locked.error();
    auto loaded = StealthCarrier::Load(path, false);
    if (!loaded) return loaded.error();
    return ExtractStealth(loaded->plane(), passphrase, run, limits);
}

}  // namespace tarnwerk
