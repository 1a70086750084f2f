#include "app/CarrierTypeText.h"

#include "config/Strings.h"
#include "core/PngChunks.h"

namespace tarnwerk {

namespace {

// "24 bit colors", "16 bit grey levels", "8 bit palette colors", each perhaps "with alpha
// channel": the bits that carry colour, which is where the data goes.
std::string PngColourKind(int languageBase, const PngFacts& png) {
    const auto type = static_cast<PngColourType>(png.colourType);
    const bool grey = type == PngColourType::Grey || type == PngColourType::GreyAlpha;
    const TextId unit = grey ? TextId::GreyLevelsUnit
                             : (type == PngColourType::Palette ? TextId::PaletteColorsUnit : TextId::ColoursUnit);
    std::string kind = std::to_string(png.colourChannels * png.bitDepth) + " " + Text(languageBase, unit);
    if (type == PngColourType::GreyAlpha || type == PngColourType::Rgba)
        kind += " " + Text(languageBase, TextId::WithAlphaChannelText);
    return kind;
}

}  // namespace

std::string CarrierTypeText(int languageBase, const CarrierFacts& facts) {
    if (facts.signature == "RAW") return Text(languageBase, TextId::RawPictureType);
    const std::string size = std::to_string(facts.width) + "x" + std::to_string(facts.height) + " " +
                             Text(languageBase, TextId::PixelUnit) + ", ";
    if (facts.IsPng()) {
        return Text(languageBase, TextId::PngPictureType) + ", " + size + PngColourKind(languageBase, facts.png);
    }
    return Text(languageBase, TextId::BitmapPictureType) + ", " + size + std::to_string(facts.bitCount) + " " +
           Text(languageBase, TextId::ColoursUnit);
}

}  // namespace tarnwerk
