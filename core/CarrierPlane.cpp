#include "core/CarrierPlane.h"

#include <fcntl.h>

#include "config/FileIo.h"
#include "core/CarrierAnalysis.h"
#include "core/PngChunks.h"

namespace tarnwerk {

namespace {

// The PNG's colour samples, channel by channel, in the plane's order.
SamplePlane PlaneOf(const PngSamples& png) {
    SamplePlane plane = MakeSamplePlane(png.width(), png.height(), png.channels(), png.maxValue());
    for (int32_t c = 0; c < plane.channels; ++c)
        for (int32_t y = 0; y < plane.height; ++y)
            for (int32_t x = 0; x < plane.width; ++x) plane.At(c, y, x) = png.Get(c, y, x);
    return plane;
}

void PutBack(const SamplePlane& plane, PngSamples& png) {
    for (int32_t c = 0; c < plane.channels; ++c)
        for (int32_t y = 0; y < plane.height; ++y)
            for (int32_t x = 0; x < plane.width; ++x) png.Set(c, y, x, plane.At(c, y, x));
}

}  // namespace

Result<CarrierPlane> CarrierPlane::Load(const std::string& path, bool forHiding) {
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (!analysis.accepted()) return MakeError(ErrorCode::CorruptData, path);
    const CarrierFacts& facts = analysis.facts;
    CarrierPlane carrier;
    if (!facts.IsPng()) {
        auto bitmap = LoadBitmapPlane(path);
        if (!bitmap) return bitmap.error();
        carrier.bitmap_ = std::move(*bitmap);
        return carrier;
    }
    // A palette index changed by one names an unrelated colour.
    if (facts.png.colourType == static_cast<uint8_t>(PngColourType::Palette))
        return MakeError(ErrorCode::NoSamplePlane, path);
    if (forHiding && RefusesHiding(facts) != HideRefusal::None) return MakeError(ErrorCode::CarrierRefused, path);
    auto png = PngSamples::Load(path);
    if (!png) return png.error();
    carrier.pngPlane_ = PlaneOf(*png);
    carrier.png_.emplace(std::move(*png));
    return carrier;
}

Status CarrierPlane::Save(const std::string& path) {
    if (!png_) return SaveBitmapPlane(bitmap_, path);
    PutBack(pngPlane_, *png_);
    return png_->Save(path);
}

StealthAssessment AssessStealthCarrier(const std::string& path) {
    StealthAssessment assessment;
    auto carrier = CarrierPlane::Load(path, true);
    if (!carrier) {
        assessment.error = carrier.error();
        const ErrorCode code = carrier.error().code;
        if (code == ErrorCode::NoSamplePlane) {
            const bool raw = AnalyseCarrier(path).verdict == CarrierVerdict::Raw;
            assessment.fit = raw ? StealthFit::Raw : StealthFit::Palette;
        } else {
            assessment.fit = code == ErrorCode::CarrierRefused ? StealthFit::Refused : StealthFit::Unreadable;
        }
        return assessment;
    }
    assessment.samples = carrier->Plane().Count();
    auto room = StealthCapacityFor(carrier->Plane());
    if (!room) {
        assessment.fit = StealthFit::TooSmall;
        return assessment;
    }
    assessment.fit = StealthFit::Fits;
    assessment.room = *room;
    return assessment;
}

Status HideStealthInFile(const std::string& path, const std::string& target, std::string_view passphrase,
                         const StealthPayload& payload, const StealthRun& run, Argon2Limits limits) {
    // Neither a classic nor a stealth hide may write while another reads the old samples.
    auto file = OpenFile(path, O_RDONLY);
    if (!file) return file.error();
    if (Status locked = LockFile(file->get(), true, path); !locked) return locked;
    auto carrier = CarrierPlane::Load(path, true);
    if (!carrier) return carrier.error();
    auto hidden = HideStealth(carrier->Plane(), passphrase, payload, run, limits);
    if (!hidden) return hidden.error();
    return carrier->Save(target);
}

Result<StealthPayload> ExtractStealthFromFile(const std::string& path, std::string_view passphrase,
                                              const StealthRun& run, Argon2Limits limits) {
    // Shared, like a classic extract: a hide in progress would show half-written samples.
    auto file = OpenFile(path, O_RDONLY);
    if (!file) return file.error();
    if (Status locked = LockFile(file->get(), false, path); !locked) return locked.error();
    auto carrier = CarrierPlane::Load(path, false);
    if (!carrier) return carrier.error();
    return ExtractStealth(carrier->Plane(), passphrase, run, limits);
}

}  // namespace tarnwerk
