#include "cli/InfoCommand.h"

#include <iostream>
#include <sstream>

#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"

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

// A PNG's samples per pixel in stored order; alpha is there but never carries data.
std::string PngLayoutJson(const PngFacts& png) {
    const char* channels = "[]";
    switch (png.colourType) {
        case 0: channels = R"(["grey"])"; break;
        case 2: channels = R"(["red","green","blue"])"; break;
        case 3: channels = R"(["index"])"; break;
        case 4: channels = R"(["grey","alpha"])"; break;
        case 6: channels = R"(["red","green","blue","alpha"])"; break;
        default: break;
    }
    return std::string(",\"channels\":") + channels + ",\"bit_depth\":" + std::to_string(png.bitDepth) +
           ",\"interlaced\":" + (png.interlaced ? "true" : "false");
}

}  // namespace

bool RunInfo(Commands& commands, Session& session, const std::string& carrier, bool json) {
    if (!commands.LoadCarrier(carrier)) return false;
    const CarrierFacts& f = session.carrier;
    if (!json) {
        std::cout << session.fields.oTyp << "\n" << session.fields.oSize << "\n" << session.fields.oFree << "\n";
        return true;
    }
    std::ostringstream out;
    out << "{\"type\":" << JsonString(f.signature == "RAW" ? "raw" : f.IsPng() ? "png" : "bitmap")
        << ",\"file_size\":" << f.ShownSize()
        << ",\"data_offset\":" << f.dataOffset << ",\"image_size\":" << f.imageSize << ",\"width\":" << f.width
        << ",\"height\":" << f.height << ",\"bit_count\":" << f.bitCount;
    if (f.IsPng()) out << PngLayoutJson(f.png);
    out << ",\"free\":{";
    bool first = true;
    for (int bits : kBitDepths) {
        if (!first) out << ',';
        first = false;
        out << '"' << bits << "\":{\"plain\":" << LargestPayload(f.imageSize, bits, false)
            << ",\"encrypted\":" << LargestPayload(f.imageSize, bits, true) << '}';
    }
    out << "}}";
    std::cout << out.str() << "\n";
    return true;
}

void PrintSizeJson(const Session& session) {
    const bool encryption = session.settings.Encryption != 0;
    std::cout << "{\"needed\":" << SmallestCarrierArea(session.payloadSize, session.bitsPerByte, encryption)
              << ",\"prepared_size\":" << session.payloadSize << "}\n";
}

}  // namespace tarnwerk::cli
