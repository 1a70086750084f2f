#include "cli/InfoCommand.h"

#include <iostream>
#include <optional>
#include <sstream>

#include "config/NumberFormat.h"
#include "core/Capacity.h"
#include "core/CarrierAnalysis.h"
#include "core/StealthExtract.h"
#include "core/StealthHide.h"
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

void PrintStealthRoom(const Session& session, const StealthCapacity& room) {
    const std::string unit = " " + session.Text(TextId::ByteUnit);
    const int base = session.languageBase;
    std::cout << session.Text(TextId::StealthRecommendedRoomLabel) << " " << FormatHashGroupZero(room.recommended, base)
              << unit << "\n"
              << session.Text(TextId::StealthMaximumRoomLabel) << " " << FormatHashGroupZero(room.maximum, base) << unit
              << "\n";
}

}  // namespace

bool RunInfo(Commands& commands, Session& session, const std::string& carrier, bool json) {
    if (!commands.LoadCarrier(carrier)) return false;
    const CarrierFacts& f = session.carrier;
    const std::optional<StealthCapacity> stealth = StealthRoom(carrier);
    if (!json) {
        std::cout << session.fields.oTyp << "\n" << session.fields.oSize << "\n" << session.fields.oFree << "\n";
        if (stealth) PrintStealthRoom(session, *stealth);
        return true;
    }
    std::ostringstream out;
    out << "{\"type\":" << JsonString(f.signature == "RAW" ? "raw" : f.IsPng() ? "png" : "bitmap")
        << ",\"file_size\":" << f.ShownSize()
        << ",\"data_offset\":" << f.dataOffset << ",\"image_size\":" << f.imageSize << ",\"width\":" << f.width
        << ",\"height\":" << f.height << ",\"bit_count\":" << f.bitCount << ",\"free\":{";
    bool first = true;
    for (int bits : kBitDepths) {
        if (!first) out << ',';
        first = false;
        out << '"' << bits << "\":{\"plain\":" << LargestPayload(f.imageSize, bits, false)
            << ",\"encrypted\":" << LargestPayload(f.imageSize, bits, true) << '}';
    }
    out << '}';
    if (stealth)
        out << ",\"stealth\":{\"recommended\":" << stealth->recommended << ",\"maximum\":" << stealth->maximum
            << '}';
    out << '}';
    std::cout << out.str() << "\n";
    return true;
}

void PrintSizeJson(const Session& session) {
    const bool encryption = session.settings.Encryption != 0;
    std::cout << "{\"needed\":" << SmallestCarrierArea(session.payloadSize, session.bitsPerByte, encryption)
              << ",\"prepared_size\":" << session.payloadSize << "}\n";
}

}  // namespace tarnwerk::cli
