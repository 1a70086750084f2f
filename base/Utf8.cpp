#include "base/Utf8.h"

namespace tarnwerk {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The four forms of a lead byte: its marker bits, the value bits it carries, the length of
// the sequence it starts and the smallest value that length may encode.
struct LeadForm {
    unsigned char mask, marker, valueBits;
    size_t length;
    char32_t minimum;
};
constexpr LeadForm kLeadForms[] = {{0x80, 0x00, 0x7F, 1, 0},
                                   {0xE0, 0xC0, 0x1F, 2, 0x80},
                                   {0xF0, 0xE0, 0x0F, 3, 0x800},
                                   {0xF8, 0xF0, 0x07, 4, 0x10000}};

bool LeadByte(unsigned char lead, size_t& length, char32_t& value, char32_t& minimum) {
    for (const LeadForm& form : kLeadForms) {
        if ((lead & form.mask) != form.marker) continue;
        length = form.length;
        value = lead & form.valueBits;
        minimum = form.minimum;
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
