#include "cli/InfoCommand.h"

#include <iostream>
#include <sstream>

#include "core/CarrierAnalysis.h"
#include "core/PayloadFormat.h"

namespace tarnwerk::cli {

namespace {

constexpr int kBitDepths[] = {1, 2, 4};
// Begin marker, end marker and the engine's fixed reserve around the header.
constexpr int64_t kStreamOverhead = 2 * kMarkerLength + 8;

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

}  // namespace

int64_t NeededCarrierBytes(int64_t preparedSize, int bitsPerByte, bool encryption) {
    const int64_t header = encryption ? kEncryptedHeaderLength : kPlainHeaderLength;
    return (preparedSize + kStreamOverhead + header) * 8 / bitsPerByte;
}

bool RunInfo(Commands& commands, Session& session, const std::string& carrier, bool json) {
    if (!commands.LoadCarrier(carrier)) return false;
    const CarrierFacts& f = session.carrier;
    if (!json) {
        std::cout << session.fields.oTyp << "\n" << session.fields.oSize << "\n" << session.fields.oFree << "\n";
        return true;
    }
    std::ostringstream out;
    out << "{\"type\":" << JsonString(f.signature == "RAW" ? "raw" : "bitmap") << ",\"file_size\":" << f.fileSize
        << ",\"data_offset\":" << f.dataOffset << ",\"image_size\":" << f.imageSize << ",\"width\":" << f.width
        << ",\"height\":" << f.height << ",\"bit_count\":" << f.bitCount << ",\"free\":{";
    bool first = true;
    for (int bits : kBitDepths) {
        if (!first) out << ',';
        first = false;
        out << '"' << bits << "\":{\"plain\":" << FreeSpace(f.imageSize, bits, false)
            << ",\"encrypted\":" << FreeSpace(f.imageSize, bits, true) << '}';
    }
    out << "}}";
    std::cout << out.str() << "\n";
    return true;
}

void PrintSizeJson(const Session& session) {
    const bool encryption = session.settings.Encryption != 0;
    std::cout << "{\"needed\":" << NeededCarrierBytes(session.payloadSize, session.bitsPerByte, encryption)
              << ",\"prepared_size\":" << session.payloadSize << "}\n";
}

}  // namespace tarnwerk::cli
