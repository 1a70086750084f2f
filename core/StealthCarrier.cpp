#include "core/StealthCarrier.h"

#include "core/CarrierAnalysis.h"

namespace tarnwerk {

namespace {

SamplePlane PlaneOf(const PngSamples& png) {
    SamplePlane plane = MakeSamplePlane(png.width(), png.height(), png.channels(), png.maxValue());
    for (int32_t c = 0; c < plane.channels; ++c)
        for (int32_t y = 0; y < plane.height; ++y)
            for (int32_t x = 0; x < plane.width; ++x) plane.At(c, y, x) = png.Get(c, y, x);
    return plane;
}

void PutPlane(const SamplePlane& plane, PngSamples& png) {
    for (int32_t c = 0; c < plane.channels; ++c)
        for (int32_t y = 0; y < plane.height; ++y)
            for (int32_t x = 0; x < plane.width; ++x) png.Set(c, y, x, plane.At(c, y, x));
}

}  // namespace

Result<StealthCarrier> StealthCarrier::Load(const std::string& path, bool forHiding) {
    const CarrierAnalysis analysis = AnalyseCarrier(path);
    StealthCarrier carrier;
    if (analysis.verdict != CarrierVerdict::Png) {
        auto bitmap = LoadBitmapPlane(path);
        if (!bitmap) return bitmap.error();
        carrier.plane_ = std::move(bitmap->plane);
        carrier.bitmap_ = std::move(*bitmap);
        return carrier;
    }
    if (analysis.facts.png.colourType == static_cast<uint8_t>(PngColourType::Palette))
        return MakeError(ErrorCode::NoSamplePlane, path);
    if (forHiding && RefusesHiding(analysis.facts) != HideRefusal::None)
        return MakeError(ErrorCode::CarrierRefused, path);
    auto png = PngSamples::Load(path);
    if (!png) return png.error();
    carrier.plane_ = PlaneOf(*png);
    carrier.png_ = std::move(*png);
    return carrier;
}

Status StealthCarrier::Save(const std::string& target) {
    if (bitmap_) {
        bitmap_->plane = std::move(plane_);
        Status saved = SaveBitmapPlane(*bitmap_, target);
        plane_ = std::move(bitmap_->plane);
        return saved;
    }
    PutPlane(plane_, *png_);
    return png_->Save(target);
}

}  // namespace tarnwerk
