// Hidden streams built from the stored format alone, so seeds and hostile carriers (a stream
// without end marker, a header cut short) do not lean on the engine they exercise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwerk::fuzz {

using Bytes = std::vector<uint8_t>;

inline constexpr uint8_t kCompressedFlag = 0x01;
inline constexpr uint8_t kEncryptedFlag = 0x02;
inline constexpr size_t kStreamPrefixPlain = 18;      // begin marker + flags + cipher + extension
inline constexpr size_t kStreamPrefixEncrypted = 34;  // ... + check value

// Begin marker, flags, cipher, check value (when flags bit 1 is set), 8-byte extension
// field, data, end marker.
struct StreamParts {
    uint8_t flags = 0;
    uint8_t cipher = 255;
    std::string checkValue;  // padded with NUL to 16 bytes when encrypted
    std::string extension = "txt";
    Bytes data;
    bool endMarker = true;
};
Bytes BuildStream(const StreamParts& parts);

// Writes stream into the low bitsPerByte bits of carrier[areaOffset...], every stream byte
// most significant bit first. False (carrier unchanged) when the area is too small.
bool EmbedStream(Bytes& carrier, size_t areaOffset, const Bytes& stream, int bitsPerByte);

}  // namespace tarnwerk::fuzz
