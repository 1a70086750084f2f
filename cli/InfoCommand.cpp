#include "cli/InfoCommand.h"

#include <iostream>
#include <optional>
#include <sstream>

#include "app/CarrierLoader.h"
#include "config/NumberFormat.h"
#include "config/Strings.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/PngChunks.h"
#include "core/StealthRoom.h"

namespace tarnwerk::cli {

namespace {

constexpr int kBitDepths[] = {1, 2, 4};

std::string JsonString(const std::string& s) {
    std::ostringstream out;
    out << '"';
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out << '\\' << c;
        } else if (c < 0x20) {
            static const char* hex = "0123456789abcdef";
            out << "\\u00" << hex[c >> 4] << hex[c & 15];
        } else {
            out << c;
        }
    }
    out << '"';
    return out.str();
}

// The stealth method's room, shown only for carriers it can use.
std::optional<StealthCapacity> StealthRoom(const std::string& carrier) {
    const StealthAssessment assessment = AssessStealthCarrier(carrier);
    if (assessment.fit != StealthFit::Fits) return std::nullopt;
    return assessment.room;
}

void PrintStealthRoom(int base, const StealthCapacity& room) {
    const std::string unit = " " + Text(base, TextId::ByteUnit);
    std::cout << Text(base, TextId::StealthRecommendedRoomLabel) << " " << FormatHashGroupZero(room.recommended, base)
              << unit << "\n"
              << Text(base, TextId::StealthMaximumRoomLabel) << " " << FormatHashGroupZero(room.maximum, base) << unit
              << "\n";
}

// A PNG's samples per pixel in stored order, by colour type; alpha is there but never
// carries data.
struct PngChannels {
    PngColourType colourType;
    const char* names;
};
constexpr PngChannels kPngChannels[] = {{PngColourType::Grey, R"(["grey"])"},
                                        {PngColourType::Rgb, R"(["red","green","blue"])"},
                                        {PngColourType::Palette, R"(["index"])"},
                                        {PngColourType::GreyAlpha, R"(["grey","alpha"])"},
                                        {PngColourType::Rgba, R"(["red","green","blue","alpha"])"}};

std::string PngLayoutJson(const PngFacts& png) {
    const char* channels = "[]";
    for (const PngChannels& entry : kPngChannels) {
        if (static_cast<uint8_t>(entry.colourType) == png.colourType) channels = entry.names;
    }
    return std::string(",\"channels\":") + channels + ",\"bit_depth\":" + std::to_string(png.bitDepth) +
           ",\"interlaced\":" + (png.interlaced ? "true" : "false");
}

}  // namespace

void PrintInfo(const CarrierAnalysis& analysis, int languageBase, const PayloadOptions& options, bool json) {
    const CarrierFacts& f = analysis.facts;
    const std::optional<StealthCapacity> stealth = StealthRoom(f.path);
    if (!json) {
        const CarrierTexts texts = DescribeCarrier(languageBase, analysis, options.bitsPerByte, options.encrypt);
        std::cout << texts.type << "\n" << texts.size << "\n" << texts.free << "\n";
        if (stealth) PrintStealthRoom(languageBase, *stealth);
        return;
    }
    std::ostringstream out;
    out << "{\"type\":"
        << JsonString(f.signature == "RAW" ? "raw"
                      : f.IsPng()          ? "png"
                                           : "bitmap")
        << ",\"file_size\":" << f.ShownSize() << ",\"data_offset\":" << f.dataOffset
        << ",\"image_size\":" << f.imageSize << ",\"width\":" << f.width << ",\"height\":" << f.height
        << ",\"bit_count\":" << f.bitCount;
    if (f.IsPng()) out << PngLayoutJson(f.png);
    out << ",\"free\":{";
    bool first = true;
    for (int bits : kBitDepths) {
        if (!first) out << ',';
        first = false;
        out << '"' << bits << "\":{\"plain\":" << LargestPayload(f.imageSize, bits, false)
            << ",\"encrypted\":" << LargestPayload(f.imageSize, bits, true) << '}';
    }
    out << '}';
    if (stealth)
        out << ",\"stealth\":{\"recommended\":" << stealth->recommended << ",\"maximum\":" << stealth->maximum << '}';
    out << '}';
    std::cout << out.str() << "\n";
}

void PrintSizeJson(const SizeOutcome& outcome) {
    std::cout << "{\"needed\":" << outcome.needed << ",\"prepared_size\":" << outcome.payloadSize << "}\n";
}

}  // namespace tarnwerk::cli
