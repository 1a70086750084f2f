#include "fuzz/HiddenStream.h"

#include <string_view>

namespace tarnwerk::fuzz {

namespace {

constexpr std::string_view kBegin = "~hTwKli~";
constexpr std::string_view kEnd = "~hTwKlo~";
constexpr size_t kExtensionField = 8;
constexpr size_t kCheckValueSize = 16;

void Append(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

}  // namespace

Bytes BuildStream(const StreamParts& parts) {
    Bytes stream;
    Append(stream, kBegin);
    stream.push_back(parts.flags);
    stream.push_back(parts.cipher);
    if (parts.flags & kEncryptedFlag) {
        std::string check = parts.checkValue;
        check.resize(kCheckValueSize, '\0');
        Append(stream, check);
    }
    std::string extension = parts.extension + std::string(kExtensionField, ' ');
    extension.resize(kExtensionField);
    Append(stream, extension);
    stream.insert(stream.end(), parts.data.begin(), parts.data.end());
    if (parts.endMarker) Append(stream, kEnd);
    return stream;
}

bool EmbedStream(Bytes& carrier, size_t areaOffset, const Bytes& stream, int bitsPerByte) {
    const size_t perStreamByte = static_cast<size_t>(8 / bitsPerByte);
    if (areaOffset > carrier.size() || (carrier.size() - areaOffset) / perStreamByte < stream.size()) return false;
    const auto lowMask = static_cast<uint8_t>((1u << bitsPerByte) - 1);
    size_t position = areaOffset;
    for (const uint8_t value : stream) {
        for (int shift = 8 - bitsPerByte; shift >= 0; shift -= bitsPerByte) {
            const auto bits = static_cast<uint8_t>((value >> shift) & lowMask);
            carrier[position] = static_cast<uint8_t>((carrier[position] & ~lowMask) | bits);
            ++position;
        }
    }
    return true;
}

}  // namespace tarnwerk::fuzz
