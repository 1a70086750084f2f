#include "core/BitPlacement.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Sixteen stream bytes per step: each byte is split into nibbles and, for two bits, each
// nibble into pairs, by shifting within 16-bit lanes and masking; interleaving the parts puts
// the higher bits into the lower carrier byte. Byte order does not matter here.
inline __m128i Nibbles(__m128i bytes, __m128i* low) {
    const __m128i mask = _mm_set1_epi8(0x0F);
    *low = _mm_and_si128(bytes, mask);
    return _mm_and_si128(_mm_srli_epi16(bytes, 4), mask);
}

inline void Merge(uint8_t* carrier, __m128i bits, __m128i keep) {
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(carrier));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(carrier), _mm_or_si128(_mm_and_si128(old, keep), bits));
}

void PlaceWide4(uint8_t*& carrier, const uint8_t*& stream, size_t& streamBytes) {
    const __m128i keep = _mm_set1_epi8(static_cast<char>(0xF0));
    for (; streamBytes >= 16; streamBytes -= 16, stream += 16, carrier += 32) {
        __m128i low;
        const __m128i high = Nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(stream)), &low);
        Merge(carrier, _mm_unpacklo_epi8(high, low), keep);
        Merge(carrier + 16, _mm_unpackhi_epi8(high, low), keep);
    }
}

void PlaceWide2(uint8_t*& carrier, const uint8_t*& stream, size_t& streamBytes) {
    const __m128i keep = _mm_set1_epi8(static_cast<char>(0xFC));
    const __m128i pair = _mm_set1_epi8(0x03);
    const auto place = [&](uint8_t* at, __m128i nibbles) {
        const __m128i high = _mm_and_si128(_mm_srli_epi16(nibbles, 2), pair);
        const __m128i low = _mm_and_si128(nibbles, pair);
        Merge(at, _mm_unpacklo_epi8(high, low), keep);
        Merge(at + 16, _mm_unpackhi_epi8(high, low), keep);
    };
    for (; streamBytes >= 16; streamBytes -= 16, stream += 16, carrier += 64) {
        __m128i low;
        const __m128i high = Nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(stream)), &low);
        place(carrier, _mm_unpacklo_epi8(high, low));
        place(carrier + 32, _mm_unpackhi_epi8(high, low));
    }
}

// Two carrier bytes c0, c1 in a 16-bit lane become (c0 << 4 | c1) in its low byte.
inline __m128i PairNibbles(const uint8_t* carrier) {
    const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(carrier)), _mm_set1_epi8(0x0F));
    return _mm_and_si128(_mm_or_si128(_mm_slli_epi16(v, 4), _mm_srli_epi16(v, 8)), _mm_set1_epi16(0x00FF));
}

void PickWide4(const uint8_t*& carrier, size_t& streamBytes, uint8_t*& stream) {
    for (; streamBytes >= 16; streamBytes -= 16, stream += 16, carrier += 32) {
        const __m128i packed = _mm_packus_epi16(PairNibbles(carrier), PairNibbles(carrier + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(stream), packed);
    }
}

// Four carrier bytes in a 32-bit lane become one stream byte in its low byte: pairs of bit
// pairs into nibbles within 16-bit lanes, then pairs of nibbles within 32-bit lanes.
inline __m128i GatherPairs(const uint8_t* carrier) {
    const __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(carrier)), _mm_set1_epi8(0x03));
    const __m128i nibbles =
        _mm_and_si128(_mm_or_si128(_mm_slli_epi16(v, 2), _mm_srli_epi16(v, 8)), _mm_set1_epi16(0x000F));
    return _mm_and_si128(_mm_or_si128(_mm_slli_epi32(nibbles, 4), _mm_srli_epi32(nibbles, 16)), _mm_set1_epi32(0xFF));
}

void PickWide2(const uint8_t*& carrier, size_t& streamBytes, uint8_t*& stream) {
    for (; streamBytes >= 16; streamBytes -= 16, stream += 16, carrier += 64) {
        const __m128i first = _mm_packs_epi32(GatherPairs(carrier), GatherPairs(carrier + 16));
        const __m128i second = _mm_packs_epi32(GatherPairs(carrier + 32), GatherPairs(carrier + 48));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(stream), _mm_packus_epi16(first, second));
    }
}
#else
void PlaceWide4(uint8_t*&, const uint8_t*&, size_t&) {}
void PlaceWide2(uint8_t*&, const uint8_t*&, size_t&) {}
void PickWide4(const uint8_t*&, size_t&, uint8_t*&) {}
void PickWide2(const uint8_t*&, size_t&, uint8_t*&) {}
#endif

// Little-endian fast paths: one 8-byte carrier word per step, filled from 2 or 4 stream bytes.
void Place2(uint8_t* carrier, const uint8_t* stream, size_t streamBytes) {
    constexpr uint64_t kKeep = Repeat<uint64_t>(0xFC);
    PlaceWide2(carrier, stream, streamBytes);
    size_t i = 0;
    for (; i + 2 <= streamBytes; i += 2, carrier += 8) {
        uint64_t word;
        std::memcpy(&word, carrier, sizeof(word));
        word = (word & kKeep) | kSpread2[stream[i]] | uint64_t{kSpread2[stream[i + 1]]} << 32;
        std::memcpy(carrier, &word, sizeof(word));
    }
    Place<2>(carrier, stream + i, streamBytes - i, kSpread2);
}

// Four stream bytes spread to one byte per 16-bit lane, then split into high nibble (lower
// carrier byte) and low nibble (higher carrier byte).
void Place4(uint8_t* carrier, const uint8_t* stream, size_t streamBytes) {
    constexpr uint64_t kKeep = Repeat<uint64_t>(0xF0);
    constexpr uint64_t kNibbles = 0x000F000F000F000FULL;
    PlaceWide4(carrier, stream, streamBytes);
    size_t i = 0;
    for (; i + 4 <= streamBytes; i += 4, carrier += 8) {
        uint32_t four;
        std::memcpy(&four, stream + i, sizeof(four));
        uint64_t lanes = four;
        lanes = (lanes | lanes << 16) & 0x0000FFFF0000FFFFULL;
        lanes = (lanes | lanes << 8) & 0x00FF00FF00FF00FFULL;
        const uint64_t bits = ((lanes >> 4) & kNibbles) | ((lanes & kNibbles) << 8);
        uint64_t word;
        std::memcpy(&word, carrier, sizeof(word));
        word = (word & kKeep) | bits;
        std::memcpy(carrier, &word, sizeof(word));
    }
    Place<4>(carrier, stream + i, streamBytes - i, kSpread4);
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
    PickWide2(carrier, streamBytes, stream);
    for (size_t i = 0; i < streamBytes; ++i, carrier += 4) {
        uint32_t word;
        std::memcpy(&word, carrier, sizeof(word));
        stream[i] = static_cast<uint8_t>(((word & kLowBits) * kGather) >> 24);
    }
}

// Two carrier nibbles per stream byte: shifting the word pairs every even byte's nibble
// with the next byte's, and the odd bytes are then squeezed out.
void Pick4(const uint8_t* carrier, size_t streamBytes, uint8_t* stream) {
    constexpr uint64_t kLowBits = 0x0F0F0F0F0F0F0F0FULL;
    PickWide4(carrier, streamBytes, stream);
    size_t i = 0;
    for (; i + 4 <= streamBytes; i += 4, carrier += 8) {
        uint64_t word;
        std::memcpy(&word, carrier, sizeof(word));
        word &= kLowBits;
        word = ((word << 4) | (word >> 8)) & 0x00FF00FF00FF00FFULL;
        word = (word | (word >> 8)) & 0x0000FFFF0000FFFFULL;
        const auto packed = static_cast<uint32_t>(word | (word >> 16));
        std::memcpy(stream + i, &packed, sizeof(packed));
    }
    PickPortable<4>(carrier, streamBytes - i, stream + i);
}

}  // namespace

void PlaceBits(uint8_t* carrier, const uint8_t* stream, size_t streamBytes, int bitsPerByte) {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    switch (bitsPerByte) {
        case 1:
            Place<1>(carrier, stream, streamBytes, kSpread1);
            break;
        case 2:
            kLittle ? Place2(carrier, stream, streamBytes) : Place<2>(carrier, stream, streamBytes, kSpread2);
            break;
        case 4:
            kLittle ? Place4(carrier, stream, streamBytes) : Place<4>(carrier, stream, streamBytes, kSpread4);
            break;
        default:
            assert(!"unsupported bits per byte");
    }
}

void PickBits(const uint8_t* carrier, size_t streamBytes, uint8_t* stream, int bitsPerByte) {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    switch (bitsPerByte) {
        case 1:
            kLittle ? Pick1(carrier, streamBytes, stream) : PickPortable<1>(carrier, streamBytes, stream);
            break;
        case 2:
            kLittle ? Pick2(carrier, streamBytes, stream) : PickPortable<2>(carrier, streamBytes, stream);
            break;
        case 4:
            kLittle ? Pick4(carrier, streamBytes, stream) : PickPortable<4>(carrier, streamBytes, stream);
            break;
        default:
            assert(!"unsupported bits per byte");
    }
}

}  // namespace tarnwerk
