#include "core/StealthHide.h"

#include <fcntl.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "base/FileIo.h"
#include "core/StealthCarrier.h"
#include "core/StealthCosts.h"
#include "core/StealthOrder.h"
#include "core/StealthRegions.h"
#include "core/StealthRoom.h"
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

Status CheckFits(const StealthAssessment& room, const StealthPayload& payload) {
    if (room.fit != StealthFit::Fits) return room.error;
    if (payload.data.size() > static_cast<uint64_t>(room.room.maximum)) return MakeError(ErrorCode::PayloadTooLarge);
    return {};
}

// The costs, computed while the calling thread keeps reporting.
std::vector<float> CostsReporting(const SamplePlane& plane, const StealthRun& run) {
    std::vector<float> costs;
    RunReporting({[&] { costs = HillCosts(plane); }}, run, 0);
    return costs;
}

struct HideInput {
    const StealthLayout& layout;
    const std::vector<float>& costs;
    const StealthSalt& salt;
    const StealthKeys& keys;
    const StealthPayload& payload;
    int bodyHeight;
};

Result<StealthHideStats> HideWithCosts(SamplePlane& plane, const HideInput& in, const StealthRun& run) {
    std::vector<uint8_t> plain = PackStealthBody(in.payload);
    const uint64_t sealedLength = plain.size() + kStealthSealOverhead;
    const StealthHeader header{kStealthVersion, static_cast<uint8_t>(in.bodyHeight),
                               static_cast<uint32_t>(sealedLength)};
    const auto headerBytes = EncodeStealthHeader(header);
    auto sealed = SealStealthBody(in.keys.seal, headerBytes, plain);
    SecureWipe(plain.data(), plain.size());  // the caller owns its data; this copy goes now
    if (!sealed) return sealed.error();

    std::optional<StealthOrder> order;
    StealthHideStats stats;
    RunReporting(
        {[&] {
            order.emplace(EmbedFixedRegions({plane, in.costs, in.keys, in.layout}, in.salt, headerBytes, stats));
        }},
        run, 0);
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    run.Report(kPreparedPercent);

    const std::vector<uint8_t> bodyBits = UnpackBitsLsbFirst(*sealed);
    const BodyJob job{plane, in.costs, *order, in.layout, in.keys, bodyBits, in.bodyHeight, run};
    if (Status body = EmbedBody(job, stats); !body) return body.error();
    return stats;
}

}  // namespace

Result<StealthHideStats> HideStealthWithKeys(SamplePlane& plane, const StealthSalt& salt, const StealthKeys& keys,
                                             const StealthPayload& payload, const StealthRun& run, int bodyHeight) {
    if (bodyHeight < kMinBodyHeight || bodyHeight > kMaxBodyHeight) return MakeError(ErrorCode::Internal);
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return layout.error();
    const std::vector<float> costs = CostsReporting(plane, run);
    if (Status fits = CheckFits(StealthRoom(plane, costs), payload); !fits) return fits.error();
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    return HideWithCosts(plane, {*layout, costs, salt, keys, payload, bodyHeight}, run);
}

Result<StealthHideStats> HideStealth(SamplePlane& plane, std::string_view passphrase, const StealthPayload& payload,
                                     const StealthRun& run, Argon2Limits limits) {
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return layout.error();
    // What the format can never take is refused before any work; the picture's own room needs
    // its costs, computed beside Argon2id (which runs on one core).
    if (payload.data.size() + kStealthOverhead > layout->LargestSealed()) return MakeError(ErrorCode::PayloadTooLarge);
    const StealthSalt salt = NewStealthSalt();
    Result<StealthKeys> keys = MakeError(ErrorCode::Internal);
    std::vector<float> costs;
    RunReporting({[&] { keys = DeriveStealthKeys(passphrase, salt, limits); }, [&] { costs = HillCosts(plane); }}, run,
                 0);
    if (!keys) return keys.error();
    if (Status fits = CheckFits(StealthRoom(plane, costs), payload); !fits) return fits.error();
    if (run.Cancelled()) return MakeError(ErrorCode::Cancelled);
    return HideWithCosts(plane, {*layout, costs, salt, *keys, payload, kBodyHeight}, run);
}

Status HideStealthInFile(const std::string& path, const std::string& target, std::string_view passphrase,
                         const StealthPayload& payload, const StealthRun& run, Argon2Limits limits) {
    // The lock a classic hide takes too: neither may write while the other reads the old pixels.
    auto file = OpenFile(path, O_RDONLY);
    if (!file) return file.error();
    if (Status locked = LockFile(file->get(), true, path); !locked) return locked;
    auto carrier = StealthCarrier::Load(path, true);
    if (!carrier) return carrier.error();
    auto hidden = HideStealth(carrier->plane(), passphrase, payload, run, limits);
    if (!hidden) return hidden.error();
    return carrier->Save(target);
}

}  // namespace tarnwerk
