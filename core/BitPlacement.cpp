#include "core/BitPlacement.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstring>

namespace tarnwerk {

namespace {

// For every stream byte, the low bits it leaves in its 8 / B carrier bytes, laid out in
// memory order, so placing a byte is one load, mask, or and store.
template <int B, class Word>
constexpr std::array<Word, 256> MakeSpreadTable() {
    constexpr int kCarrierBytes = kBitsPerByte / B;
    static_assert(sizeof(Word) == kCarrierBytes);
    constexpr unsigned kLowMask = (1u << B) - 1;
    std::array<Word, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        std::array<uint8_t, kCarrierBytes> bytes{};
        for (int k = 0; k < kCarrierBytes; ++k)
            bytes[k] = static_cast<uint8_t>((value >> (kBitsPerByte - B * (k + 1))) & kLowMask);
        table[value] = std::bit_cast<Word>(bytes);
    }
    return table;
}

constexpr auto kSpread1 = MakeSpreadTable<1, uint64_t>();
constexpr auto kSpread2 = MakeSpreadTable<2, uint32_t>();
constexpr auto kSpread4 = MakeSpreadTable<4, uint16_t>();

// The same byte repeated across a word: masks are alike in either byte order.
template <class Word>
constexpr Word Repeat(uint8_t byte) {
    Word word = 0;
    for (size_t i = 0; i < sizeof(Word); ++i) word = static_cast<Word>(word << 8 | byte);
    return word;
}

template <int B, class Word>
void Place(uint8_t* carrier, const uint8_t* stream, size_t streamBytes, const std::array<Word, 256>& spread) {
    constexpr Word kKeep = Repeat<Word>(static_cast<uint8_t>(0xFF << B));
    for (size_t i = 0; i < streamBytes; ++i, carrier += sizeof(Word)) {
        Word word;
        std::memcpy(&word, carrier, sizeof(Word));
        word = static_cast<Word>((word & kKeep) | spread[stream[i]]);
        std::memcpy(carrier, &word, sizeof(Word));
    }
}

// Readable decoding, for byte orders the multiplications below do not cover.
template <int B>
void PickPortable(const uint8_t* carrier, size_t streamBytes, uint8_t* stream) {
    constexpr int kCarrierBytes = kBitsPerByte / B;
    constexpr unsigned kLowMask = (1u << B) - 1;
    for (size_t i = 0; i < streamBytes; ++i, carrier += kCarrierBytes) {
        unsigned value = 0;
        for (int k = 0; k < kCarrierBytes; ++k) value = (value << B) | (carrier[k] & kLowMask);
        stream[i] = static_cast<uint8_t>(value);
    }
}

// Little-endian: carrier byte k sits at bit 8k. Multiplying gathers the low bits of all
// bytes into the top byte, byte k's bits landing k * b places below the top; the partial
// products never overlap, so no carries disturb the result.
void Pick1(const uint8_t* carrier, size_t streamBytes, uint8_t* stream) {
    constexpr uint64_t kLowBits = 0x0101010101010101ULL;
    constexpr uint64_t kGather = 0x8040201008040201ULL;
    for (size_t i = 0; i < streamBytes; ++i, carrier += 8) {
        uint64_t word;
        std::memcpy(&word, carrier, sizeof(word));
        stream[i] = static_cast<uint8_t>(((word & kLowBits) * kGather) >> 56);
    }
}

void Pick2(const uint8_t* carrier, size_t streamBytes, uint8_t* stream) {
    constexpr uint32_t kLowBits = 0x03030303U;
    constexpr uint32_t kGather = 0x40100401U;
    for (size_t i = 0; i < streamBytes; ++i, carrier += 4) {
        uint32_t word;
        std::memcpy(&word, carrier, sizeof(word));
        stream[i] = static_cast<uint8_t>(((word & kLowBits) * kGather) >> 24);
    }
}

}  // namespace

void PlaceBits(uint8_t* carrier, const uint8_t* stream, size_t streamBytes, int bitsPerByte) {
    switch (bitsPerByte) {
        case 1: Place<1>(carrier, stream, streamBytes, kSpread1); break;
        case 2: Place<2>(carrier, stream, streamBytes, kSpread2); break;
        case 4: Place<4>(carrier, stream, streamBytes, kSpread4); break;
        default: assert(!"unsupported bits per byte");
    }
}

void PickBits(const uint8_t* carrier, size_t streamBytes, uint8_t* stream, int bitsPerByte) {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    switch (bitsPerByte) {
        case 1: kLittle ? Pick1(carrier, streamBytes, stream) : PickPortable<1>(carrier, streamBytes, stream); break;
        case 2: kLittle ? Pick2(carrier, streamBytes, stream) : PickPortable<2>(carrier, streamBytes, stream); break;
        case 4: PickPortable<4>(carrier, streamBytes, stream); break;
        default: assert(!"unsupported bits per byte");
    }
}

}  // namespace tarnwerk
