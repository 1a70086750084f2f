// The 54 bytes of a Windows bitmap's file header and info header, as stored.
#pragma once

#include <array>
#include <cstdint>

#include "core/CarrierFacts.h"

namespace tarnwerk {

inline constexpr int kBmpHeaderSize = 54;  // BITMAPFILEHEADER (14) + BITMAPINFOHEADER (40)

// Little-endian, first byte least significant: a 4-byte field is signed, a 2-byte one unsigned.
int32_t ReadLe32(const uint8_t* bytes);
int32_t ReadLe16(const uint8_t* bytes);

// Stores every header field in facts as stored (no repair, no clipping).
void ParseBitmapHeader(const std::array<uint8_t, kBmpHeaderSize>& header, CarrierFacts& facts);

}  // namespace tarnwerk
