#include "base/Utf8.h"

namespace tarnwerk {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the sequence a lead byte starts and the smallest value it may encode.
bool LeadByte(unsigned char lead, size_t& length, char32_t& value, char32_t& minimum) {
    if (lead < 0x80) {
        length = 1;
        value = lead;
        minimum = 0;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
        return true;
    }
    if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
        return true;
    }
    if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
        return true;
    }
    return false;
}

}  // namespace

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    std::u32string codePoints;
    codePoints.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        size_t length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (!LeadByte(static_cast<unsigned char>(text[at]), length, value, minimum)) return std::nullopt;
        if (text.size() - at < length) return std::nullopt;
        for (size_t i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text[at + i]);
            if (!IsContinuation(byte)) return std::nullopt;
            value = (value << 6) | (byte & 0x3Fu);
        }
        if (value < minimum || value > kMaxCodePoint || (value >= kSurrogateFirst && value <= kSurrogateLast)) {
            return std::nullopt;
        }
        codePoints.push_back(value);
        at += length;
    }
    return codePoints;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    const auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace tarnwerk
