// Windows-1252 <-> UTF-8. Bytes 0x00-0x7F and 0xA0-0xFF are the code points of the same
// value; 0x80-0x9F follow the published Windows-1252 table. Its five unassigned positions
// map to the C1 control characters of the same value, so every byte has exactly one code
// point and a round trip never loses data.
#include "config/Codepage.h"

#include <array>

#include "base/Utf8.h"

namespace tarnwerk {
namespace {

constexpr unsigned kSpecialFirst = 0x80;
constexpr unsigned kSpecialLast = 0x9F;

constexpr std::array<char32_t, kSpecialLast - kSpecialFirst + 1> kSpecialBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CodePointOf(unsigned char byte) {
    if (byte >= kSpecialFirst && byte <= kSpecialLast) return kSpecialBlock[byte - kSpecialFirst];
    return byte;
}

std::optional<unsigned char> ByteOf(char32_t codePoint) {
    for (unsigned i = 0; i < kSpecialBlock.size(); ++i) {
        if (kSpecialBlock[i] == codePoint) return static_cast<unsigned char>(kSpecialFirst + i);
    }
    // The rest of 0x80-0x9F is taken by the table above; those code points have no byte.
    const bool plain = codePoint < kSpecialFirst || (codePoint > kSpecialLast && codePoint <= 0xFF);
    if (plain) return static_cast<unsigned char>(codePoint);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Utf8ToCp1252(const std::string& utf8) {
    const auto codePoints = DecodeUtf8(utf8);
    if (!codePoints) return utf8;  // already single-byte text
    std::string bytes;
    bytes.reserve(codePoints->size());
    for (const char32_t codePoint : *codePoints) {
        const auto byte = ByteOf(codePoint);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

std::string Cp1252ToUtf8(const std::string& bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char byte : bytes) AppendUtf8(utf8, CodePointOf(static_cast<unsigned char>(byte)));
    return utf8;
}

}  // namespace tarnwerk
