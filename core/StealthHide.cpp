#include "core/StealthHide.h"

#include <fcntl.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "base/FileIo.h"
#include "core/BitmapPlane.h"
#include "core/StealthCosts.h"
#include "core/StealthOrder.h"
#include "core/StealthRegions.h"
#include "crypto/SecureWipe.h"
#include "crypto/StealthSeal.h"

namespace tarnwerk {

namespace {

// Share of the progress bar before the body segments (costs, salt, header).
constexpr int kPreparedPercent = 10;

void Add(StealthHideStats& total, const RegionStats& region, size_t bits) {
    total.messageBits += bits;
    total.changes += region.changes;
    total.distortion += region.distortion;
}

struct BodyJob {
    SamplePlane& plane;
    const std::vector<float>& costs;
    const StealthOrder& order;
    const StealthLayout& layout;
    const StealthKeys& keys;
    const std::vector<uint8_t>& bits;
    int height;
    const StealthRun& run;
};

// Body segments on every core. Segments touch disjoint samples, so the plane needs no lock.
Status EmbedBody(const BodyJob& job, StealthHideStats& stats) {
    const size_t segments = job.layout.SegmentCount();
    std::mutex lock;
    auto embed = [&](size_t s) {
        thread_local StcWorkspace workspace;  // one per worker: the back pointers take tens of MiB
        const std::vector<uint32_t> indices = job.order.Segment(s);
        KeyedStream directions(job.keys.directions, kFirstSegmentId + s);
        const std::span<const uint8_t> bits(job.bits.data() + job.layout.FirstBit(s, job.bits.size()),
                                            job.layout.SegmentBits(s, job.bits.size()));
        const RegionStats region = EmbedRegion(job.plane, job.costs, indices, bits, job.height, directions, workspace);
        const std::lock_guard guard(lock);
        Add(stats, region, bits.size());
    };
    if (!RunSegments(segments, embed, job.run, kPreparedPercent)) return MakeError(ErrorCode::Cancelled);
    return {};
}

struct FixedRegionJob {
    SamplePlane& plane;
    const std::vector<float>& costs;
    const StealthKeys& keys;
    const StealthLayout& layout;
};

// The salt into its public region, then the masked header into the first samples of the keyed
// order, which it returns for the body.
StealthOrder EmbedFixedRegions(const FixedRegionJob& job, const StealthSalt& salt,
                               const std::array<uint8_t, kStealthHeaderBytes>& headerBytes, StealthHideStats& stats) {
    StcWorkspace workspace;
    std::vector<uint32_t> saltRegion = SaltRegion(job.plane.Count());
    KeyedStream saltDirections(job.keys.directions, kSaltRegionId);
    const auto saltBits = UnpackBitsLsbFirst(salt);
    Add(stats, EmbedRegion(job.plane, job.costs, saltRegion, saltBits, kRegionHeight, saltDirections, workspace),
        saltBits.size());

    StealthOrder order(job.keys.order, job.layout, std::move(saltRegion));
    std::array<uint8_t, kStealthHeaderBytes> masked{};
    KeyedStream(job.keys.headerMask, 0).Fill(masked);
    for (size_t i = 0; i < masked.size(); ++i) masked[i] ^= headerBytes[i];
    KeyedStream headerDirections(job.keys.directions, kHeaderRegionId);
    const auto headerBits = UnpackBitsLsbFirst(masked);
    Add(stats,
        EmbedRegion(job.plane, job.costs, order.HeaderRegion(), headerBits, kRegionHeight, headerDirections, workspace),
        headerBits.size());
    return order;
}

Status CheckFits(const StealthLayout& layout, const StealthPayload& payload) {
    if (payload.data.size() + kStealthOverhead > layout.SealedCapacity(kMaximumRate))
        return MakeError(ErrorCode::PayloadTooLarge);
    return {};
}

}  // namespace

Result<StealthCapacity> StealthCapacityFor(const SamplePlane& plane) {
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return layout.error();
    return StealthCapacityOf(*layout);
}

Result<StealthHideStats> HideStealthWithKeys(SamplePlane& plane, const StealthSalt& salt, const StealthKeys& keys,
                                             const StealthPayload& payload, const StealthRun& run, int bodyHeight) {
    if (bodyHeight < kMinBodyHeight || bodyHeight > kMaxBodyHeight)
        return MakeError(ErrorCode::Internal);
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return layout.error();
    if (Status fits = CheckFits(*layout, payload); !fits) return fits.error();
    std::vector<uint8_t> plain = PackStealthBody(payload);
    const uint64_t sealedLength = plain.size() + kStealthSealOverhead;

    const StealthHeader header{kStealthVersion, static_cast<uint8_t>(bodyHeight), static_cast<uint32_t>(sealedLength)};
    const auto headerBytes = EncodeStealthHeader(header);
    auto sealed = SealStealthBody(keys.seal, headerBytes, plain);
    SecureWipe(plain.data(), plain.size());  // the caller owns its data; this copy goes now
    if (!sealed) return sealed.error();

    std::vector<float> costs;
    std::optional<StealthOrder> order;
    StealthHideStats stats;
    RunReporting(
        [&] {
            costs = HillCosts(plane);
            order.emplace(EmbedFixedRegions({plane, costs, keys, *layout}, salt, headerBytes, stats));
        },
        run, 0);
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    run.Report(kPreparedPercent);

    const std::vector<uint8_t> bodyBits = UnpackBitsLsbFirst(*sealed);
    if (Status body = EmbedBody({plane, costs, *order, *layout, keys, bodyBits, bodyHeight, run}, stats); !body)
        return body.error();
    return stats;
}

Result<StealthHideStats> HideStealth(SamplePlane& plane, std::string_view passphrase, const StealthPayload& payload,
                                     const StealthRun& run, Argon2Limits limits) {
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return layout.error();
    if (Status fits = CheckFits(*layout, payload); !fits) return fits.error();  // before a second of Argon2id
    const StealthSalt salt = NewStealthSalt();
    auto keys = DeriveKeysReporting(passphrase, salt, limits, run);
    if (!keys) return keys.error();
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    return HideStealthWithKeys(plane, salt, *keys, payload, run);
}

Status HideStealthInBitmap(const std::string& path, std::string_view passphrase, const StealthPayload& payload,
                           const StealthRun& run, Argon2Limits limits) {
    // The lock a classic hide takes too: neither may write while the other reads the old pixels.
    auto carrier = OpenFile(path, O_RDONLY);
    if (!carrier) return carrier.error();
    if (Status locked = LockFile(carrier->get(), true, path); !locked) return locked;
    auto bitmap = LoadBitmapPlane(path);
    if (!bitmap) return bitmap.error();
    auto hidden = HideStealth(bitmap->plane, passphrase, payload, run, limits);
    if (!hidden) return hidden.error();
    return SaveBitmapPlane(*bitmap, path);
}

}  // namespace tarnwerk
