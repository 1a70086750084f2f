// The bit placement of the carrier stream: b (1, 2 or 4) low bits of every carrier byte carry
// stream bits, each stream byte most significant bit first, the earlier bit in the higher
// position; the upper 8 - b bits of a carrier byte keep their value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwerk {

inline constexpr int kBitsPerByte = 8;

constexpr bool IsSupportedBitsPerByte(int bitsPerByte) {
    return bitsPerByte == 1 || bitsPerByte == 2 || bitsPerByte == 4;
}

// Carrier bytes that hold one stream byte (8, 4 or 2).
constexpr int CarrierBytesPerStreamByte(int bitsPerByte) { return kBitsPerByte / bitsPerByte; }

// Places streamBytes bytes into the low bits of streamBytes * 8 / b carrier bytes.
void PlaceBits(uint8_t* carrier, const uint8_t* stream, size_t streamBytes, int bitsPerByte);

// The inverse: decodes streamBytes bytes from streamBytes * 8 / b carrier bytes.
void PickBits(const uint8_t* carrier, size_t streamBytes, uint8_t* stream, int bitsPerByte);

}  // namespace tarnwerk
