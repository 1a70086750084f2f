// The on-carrier stream: begin marker, header, data, end marker. Every value here is part of
// the stored format of existing carriers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crypto/CipherTable.h"

namespace tarnwerk {

inline constexpr std::string_view kBeginMarker = "~hTwKli~";
inline constexpr std::string_view kEndMarker = "~hTwKlo~";
inline constexpr int kMarkerLength = 8;
inline constexpr int kExtensionFieldLength = 8;
inline constexpr int kCheckValueLength = 16;
inline constexpr int kPlainHeaderLength = 2 + kExtensionFieldLength;                          // 10
inline constexpr int kEncryptedHeaderLength = 2 + kCheckValueLength + kExtensionFieldLength;  // 26
// Stream bytes the engine's capacity test keeps free beyond markers, header and data.
inline constexpr int kCapacityReserve = 8;

// Flags byte: part of the stored format.
enum class PayloadFlag : uint8_t { Compressed = 0x01, Encrypted = 0x02 };

// The header as the engine writes and reads it (the bytes between begin marker and data).
struct PayloadHeader {
    uint8_t flags = 0;
    uint8_t cipher = static_cast<uint8_t>(CipherIndex::None);
    std::string checkValue;  // 16 bytes when encrypted, else empty
    std::string extension;   // trimmed extension field (bytes in the single-byte code page)

    bool compressed() const { return flags & static_cast<uint8_t>(PayloadFlag::Compressed); }
    bool encrypted() const { return flags & static_cast<uint8_t>(PayloadFlag::Encrypted); }
};

// Header bytes for the given fields: flags, cipher (255 unless encrypted), check value
// (only when encrypted), extension padded with blanks and cut to 8 bytes.
std::string BuildPayloadHeader(bool compressed, bool encrypted, uint8_t cipher, std::string_view checkValue,
                               std::string_view extension);

}  // namespace tarnwerk
