// The PNG carrier area against a second decoder: Qt's QImage reads the pictures other tools
// wrote, and the bytes the engine offers for hiding must be exactly their colour samples
// (alpha left out, the low byte of a 16-bit sample, the index of a palette picture). QImage
// shares no code with the engine's decoder.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CarrierAnalysis.h"
#include "core/CarrierArea.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;

// PNG colour types, as the file stores them.
constexpr uint8_t kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6;

Bytes AreaOf(const CarrierFacts& facts) {
    auto area = OpenAreaForReading(facts);
    if (!area) return {};
    Bytes bytes(static_cast<size_t>((*area)->Length()));
    if (!(*area)->Read(0, bytes.data(), bytes.size())) return {};
    return bytes;
}

// What the carrier area must hold, by QImage's reading of the file.
Bytes ColourSamplesByQt(const QImage& image, const PngFacts& png) {
    Bytes samples;
    const bool wide = png.bitDepth == 16;
    const QImage grey = image.convertToFormat(wide ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
    const QImage colour = image.convertToFormat(QImage::Format_RGBA64);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgba64 pixel = colour.pixelColor(x, y).rgba64();
            const auto low = [wide](uint16_t value) { return static_cast<uint8_t>(wide ? value & 0xFF : value >> 8); };
            switch (png.colourType) {
                case kPalette:
                    samples.push_back(static_cast<uint8_t>(image.pixelIndex(x, y)));
                    break;
                case kGrey:
                    samples.push_back(
                        wide ? static_cast<uint8_t>(reinterpret_cast<const uint16_t*>(grey.constScanLine(y))[x])
                             : grey.constScanLine(y)[x]);
                    break;
                case kGreyAlpha:
                    samples.push_back(low(pixel.red()));
                    break;  // grey is spread over r, g, b
                case kRgb:
                case kRgba:
                    for (uint16_t value : {pixel.red(), pixel.green(), pixel.blue()}) samples.push_back(low(value));
                    break;
                default:
                    break;
            }
        }
    }
    return samples;
}

// Pictures written by ImageMagick, GraphicsMagick and Pillow (tests/data/png).
TEST(PngSecondOpinion, CarrierAreaHoldsTheColourSamplesQtReads) {
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARNWERK_PNG_DATA_DIR)) {
        if (entry.path().extension() != ".png") continue;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        const CarrierAnalysis analysis = AnalyseCarrier(path);
        ASSERT_EQ(analysis.verdict, CarrierVerdict::Png);
        const QImage image(QString::fromStdString(path));
        ASSERT_FALSE(image.isNull());
        if (analysis.facts.png.colourType == kPalette) {
            ASSERT_EQ(image.format(), QImage::Format_Indexed8);
        }
        ASSERT_EQ(image.width(), analysis.facts.width);
        ASSERT_EQ(image.height(), analysis.facts.height);
        const Bytes area = AreaOf(analysis.facts);
        const Bytes expected = ColourSamplesByQt(image, analysis.facts.png);
        ASSERT_EQ(area.size(), expected.size());
        // One mismatch names its place; the whole picture is not printed.
        size_t first = 0;
        while (first < area.size() && area[first] == expected[first]) ++first;
        EXPECT_EQ(first, area.size()) << "first different area byte " << first;
        ++compared;
    }
    EXPECT_EQ(compared, 14);
}

}  // namespace
}  // namespace tarnwerk
