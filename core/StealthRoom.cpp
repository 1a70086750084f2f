#include "core/StealthRoom.h"

#include "core/CarrierAnalysis.h"
#include "core/StealthCarrier.h"
#include "core/StealthCosts.h"
#include "core/StealthOrder.h"

namespace tarnwerk {

namespace {

StealthAssessment Unfit(StealthFit fit, Error error, uint64_t samples = 0) {
    StealthAssessment assessment;
    assessment.fit = fit;
    assessment.error = std::move(error);
    assessment.samples = samples;
    return assessment;
}

StealthFit FitOfLoadError(ErrorCode code) {
    switch (code) {
        case ErrorCode::NoSamplePlane:
            return StealthFit::Palette;  // RAW files are told apart before loading
        case ErrorCode::CarrierRefused:
            return StealthFit::Refused;
        default:
            return StealthFit::Unreadable;
    }
}

}  // namespace

StealthAssessment StealthRoom(const SamplePlane& plane, const std::vector<float>& costs) {
    auto layout = StealthLayoutFor(plane.Count());
    if (!layout) return Unfit(StealthFit::TooSmall, layout.error(), plane.Count());
    StealthAssessment assessment;
    assessment.samples = plane.Count();
    assessment.usableSamples = UsableSamples(costs);
    uint64_t usableInSaltRegion = 0;
    for (uint32_t index : SaltRegion(plane.Count())) usableInSaltRegion += costs[index] < kUsableCostLimit;
    assessment.room = StealthCapacityOf(*layout, assessment.usableSamples, usableInSaltRegion);
    if (assessment.room.maximum > 0) {
        assessment.fit = StealthFit::Fits;
        return assessment;
    }
    assessment.fit = StealthFit::TooSmall;
    assessment.error = MakeError(ErrorCode::CarrierTooSmall);
    assessment.room = {};
    return assessment;
}

StealthAssessment StealthRoom(const SamplePlane& plane) {
    if (!StealthLayoutFor(plane.Count())) return StealthRoom(plane, {});  // refused before the costs
    return StealthRoom(plane, HillCosts(plane));
}

StealthAssessment AssessStealthCarrier(const std::string& path) {
    if (AnalyseCarrier(path).verdict == CarrierVerdict::Raw)
        return Unfit(StealthFit::Raw, MakeError(ErrorCode::NoSamplePlane, path));
    auto carrier = StealthCarrier::Load(path, true);
    if (!carrier) return Unfit(FitOfLoadError(carrier.error().code), carrier.error());
    StealthAssessment assessment = StealthRoom(carrier->plane());
    if (assessment.fit == StealthFit::TooSmall) assessment.error.path = path;
    return assessment;
}

}  // namespace tarnwerk
