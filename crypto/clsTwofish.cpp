#include "crypto/clsTwofish.h"

#include <algorithm>
#include <bit>

#include "crypto/SecureWipe.h"
#include "crypto/TwofishTables.h"

namespace tarnwerk {

namespace {

using twofish::kMdsTables;
using twofish::kQ;

constexpr uint32_t kSubkeyStep = 0x02020202;
constexpr uint32_t kOddOffset = 0x01010101;
constexpr std::size_t kMaxWords = 4;

uint8_t Byte(uint32_t x, int n) { return static_cast<uint8_t>(x >> (8 * n)); }

// One step of the Reed-Solomon remainder over GF(2^8) mod x^8 + x^6 + x^3 + x^2 + 1 (14D hex).
uint32_t RsRemainder(uint32_t r) {
    const uint32_t b = r >> 24;
    const uint32_t g2 = ((b << 1) ^ ((b & 0x80) ? 0x14D : 0)) & 0xFF;
    const uint32_t g3 = (b >> 1) ^ ((b & 1) ? 0xA6 : 0) ^ g2;
    return (r << 8) ^ (g3 << 24) ^ (g2 << 16) ^ (g3 << 8) ^ b;
}

uint32_t RsEncode(uint32_t even, uint32_t odd) {
    uint32_t r = odd;
    for (int i = 0; i < 4; ++i) r = RsRemainder(r);
    r ^= even;
    for (int i = 0; i < 4; ++i) r = RsRemainder(r);
    return r;
}

// The q-permutation chain of h up to the last permutation, which the MDS tables include.
// key[0..words-1] are the key words of the chain (Me, Mo or the S vector).
void HChain(uint8_t b[4], const uint32_t* key, std::size_t words) {
    const auto& q0 = kQ[0];
    const auto& q1 = kQ[1];
    if (words == 4) {
        b[0] = q1[b[0]] ^ Byte(key[3], 0);
        b[1] = q0[b[1]] ^ Byte(key[3], 1);
        b[2] = q0[b[2]] ^ Byte(key[3], 2);
        b[3] = q1[b[3]] ^ Byte(key[3], 3);
    }
    if (words >= 3) {
        b[0] = q1[b[0]] ^ Byte(key[2], 0);
        b[1] = q1[b[1]] ^ Byte(key[2], 1);
        b[2] = q0[b[2]] ^ Byte(key[2], 2);
        b[3] = q0[b[3]] ^ Byte(key[2], 3);
    }
    b[0] = q0[q0[b[0]] ^ Byte(key[1], 0)] ^ Byte(key[0], 0);
    b[1] = q0[q1[b[1]] ^ Byte(key[1], 1)] ^ Byte(key[0], 1);
    b[2] = q1[q0[b[2]] ^ Byte(key[1], 2)] ^ Byte(key[0], 2);
    b[3] = q1[q1[b[3]] ^ Byte(key[1], 3)] ^ Byte(key[0], 3);
}

uint32_t H(uint32_t x, const uint32_t* key, std::size_t words) {
    uint8_t b[4] = {Byte(x, 0), Byte(x, 1), Byte(x, 2), Byte(x, 3)};
    HChain(b, key, words);
    return kMdsTables[0][b[0]] ^ kMdsTables[1][b[1]] ^ kMdsTables[2][b[2]] ^ kMdsTables[3][b[3]];
}

// 64-bit key words for a key of the given bits: keys below 128 bits are zero-extended to 128,
// as the Twofish paper pads short keys (the original's 32- and 64-bit forms were undefined).
std::size_t KeyWordsFor(int64_t bits) {
    if (bits > 192) return 4;
    if (bits > 128) return 3;
    return 2;
}

}  // namespace

clsTwofish::clsTwofish() { SetKey(0, std::string{}); }

clsTwofish::~clsTwofish() {
    SecureWipeObject(k_);
    SecureWipeObject(s_);
}

void clsTwofish::SetKey(int32_t minKeyLength, const std::string& key) {
    const int64_t bits = std::max<int64_t>(8 * static_cast<int64_t>(key.size()), minKeyLength);
    words_ = KeyWordsFor(bits);
    uint8_t bytes[kMaxKeyBytes] = {};
    for (std::size_t i = 0; i < 8 * words_ && i < key.size(); ++i) bytes[i] = static_cast<uint8_t>(key[i]);

    uint32_t even[kMaxWords] = {}, odd[kMaxWords] = {}, sVector[kMaxWords] = {};
    for (std::size_t i = 0; i < words_; ++i) {
        even[i] = LoadLe32(bytes + 8 * i);
        odd[i] = LoadLe32(bytes + 8 * i + 4);
        sVector[words_ - 1 - i] = RsEncode(even[i], odd[i]);
    }
    for (uint32_t i = 0; i < kSubkeys / 2; ++i) {
        const uint32_t a = H(i * kSubkeyStep, even, words_);
        const uint32_t b = std::rotl(H(i * kSubkeyStep + kOddOffset, odd, words_), 8);
        k_[2 * i] = a + b;
        k_[2 * i + 1] = std::rotl(a + 2 * b, 9);
    }
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        uint8_t b[4] = {v, v, v, v};
        HChain(b, sVector, words_);
        for (int j = 0; j < 4; ++j) s_[j][i] = kMdsTables[j][b[j]];
    }
    SecureWipeObject(bytes);
    SecureWipeObject(even);
    SecureWipeObject(odd);
    SecureWipeObject(sVector);
}

inline uint32_t clsTwofish::G(uint32_t x) const {
    return s_[0][Byte(x, 0)] ^ s_[1][Byte(x, 1)] ^ s_[2][Byte(x, 2)] ^ s_[3][Byte(x, 3)];
}

void clsTwofish::EncipherBlock(Block& b) const {
    uint32_t x0 = b.w[0] ^ k_[0], x1 = b.w[1] ^ k_[1], x2 = b.w[2] ^ k_[2], x3 = b.w[3] ^ k_[3];
    for (std::size_t k = 8; k < kSubkeys; k += 4) {
        uint32_t t0 = G(x0), t1 = G(std::rotl(x1, 8));
        x2 = std::rotr(x2 ^ (t0 + t1 + k_[k]), 1);
        x3 = std::rotl(x3, 1) ^ (t0 + 2 * t1 + k_[k + 1]);
        t0 = G(x2);
        t1 = G(std::rotl(x3, 8));
        x0 = std::rotr(x0 ^ (t0 + t1 + k_[k + 2]), 1);
        x1 = std::rotl(x1, 1) ^ (t0 + 2 * t1 + k_[k + 3]);
    }
    b = {{x2 ^ k_[4], x3 ^ k_[5], x0 ^ k_[6], x1 ^ k_[7]}};
}

void clsTwofish::DecipherBlock(Block& b) const {
    uint32_t x2 = b.w[0] ^ k_[4], x3 = b.w[1] ^ k_[5], x0 = b.w[2] ^ k_[6], x1 = b.w[3] ^ k_[7];
    for (std::size_t k = kSubkeys - 4; k >= 8; k -= 4) {
        uint32_t t0 = G(x2), t1 = G(std::rotl(x3, 8));
        x0 = std::rotl(x0, 1) ^ (t0 + t1 + k_[k + 2]);
        x1 = std::rotr(x1 ^ (t0 + 2 * t1 + k_[k + 3]), 1);
        t0 = G(x0);
        t1 = G(std::rotl(x1, 8));
        x2 = std::rotl(x2, 1) ^ (t0 + t1 + k_[k]);
        x3 = std::rotr(x3 ^ (t0 + 2 * t1 + k_[k + 1]), 1);
    }
    b = {{x0 ^ k_[0], x1 ^ k_[1], x2 ^ k_[2], x3 ^ k_[3]}};
}

template class BlockCipherEnvelope<clsTwofish>;

}  // namespace tarnwerk
