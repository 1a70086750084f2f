#include "crypto/HexText.h"

namespace tarnwerk {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ToHexText(const uint8_t* data, std::size_t size) {
    std::string text;
    text.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
    }
    return text;
}

std::optional<std::vector<uint8_t>> FromHexText(const std::string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int value = DigitValue(text[i]);
        if (value < 0) return std::nullopt;
        if (i + 1 < text.size()) {
            const int low = DigitValue(text[i + 1]);
            if (low < 0) return std::nullopt;
            value = value * 16 + low;
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

}  // namespace tarnwerk
