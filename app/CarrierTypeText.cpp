#include "app/CarrierTypeText.h"

#include "config/Strings.h"

namespace tarnwerk {

namespace {

constexpr int kRawType = 306;
constexpr int kBitmapType = 308;
constexpr int kPngType = 560;
constexpr int kPixelUnit = 309;
constexpr int kColorsUnit = 315;
constexpr int kGreyUnit = 630;
constexpr int kPaletteUnit = 631;
constexpr int kWithAlpha = 632;

// PNG colour types (PNG numbering, as stored in CarrierFacts).
constexpr uint8_t kPngGrey = 0;
constexpr uint8_t kPngPalette = 3;
constexpr uint8_t kPngGreyAlpha = 4;
constexpr uint8_t kPngRgba = 6;

// "24 bit colors", "16 bit grey levels", "8 bit palette colors", each perhaps "with alpha
// channel": the bits that carry colour, which is where the data goes.
std::string PngColourKind(int languageBase, const PngFacts& png) {
    const uint8_t type = png.colourType;
    const bool grey = type == kPngGrey || type == kPngGreyAlpha;
    const int unit = grey ? kGreyUnit : type == kPngPalette ? kPaletteUnit : kColorsUnit;
    std::string kind = std::to_string(png.colourChannels * png.bitDepth) + " " + Text(languageBase, unit);
    if (type == kPngGreyAlpha || type == kPngRgba) kind += " " + Text(languageBase, kWithAlpha);
    return kind;
}

}  // namespace

std::string CarrierTypeText(int languageBase, const CarrierFacts& facts) {
    if (facts.signature == "RAW") return Text(languageBase, kRawType);
    const std::string size =
        std::to_string(facts.width) + "x" + std::to_string(facts.height) + " " + Text(languageBase, kPixelUnit) + ", ";
    if (facts.IsPng()) return Text(languageBase, kPngType) + ", " + size + PngColourKind(languageBase, facts.png);
    return Text(languageBase, kBitmapType) + ", " + size + std::to_string(facts.bitCount) + " " +
           Text(languageBase, kColorsUnit);
}

}  // namespace tarnwerk
