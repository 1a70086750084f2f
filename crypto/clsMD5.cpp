// MD5 as in RFC 1321 (Rivest, 1992), with the stored finalisation described in clsMD5.h.
#include "crypto/clsMD5.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/ByteOrder.h"
#include "crypto/SecureWipe.h"

namespace tarnwerk {

namespace {

constexpr std::size_t kBlockBytes = 64;
constexpr int64_t kLengthFieldAt = 56;
constexpr int64_t kDeviatingPadTarget = 120;  // the padding count is taken from this minus L

constexpr uint32_t kInitialState[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};

// floor(abs(sin(i + 1)) * 2^32), RFC 1321 section 3.4.
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

std::string SignedDecimal(uint32_t word) { return std::to_string(static_cast<int32_t>(word)); }

}  // namespace

clsMD5::~clsMD5() {
    SecureWipeObject(buffer_);
    SecureWipeObject(state_);
}

void clsMD5::Compress() {
    uint32_t m[16];
    for (std::size_t i = 0; i < 16; ++i) m[i] = LoadLe32(buffer_ + 4 * i);
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f;
        int g;
        switch (round) {
            case 0:
                f = (b & c) | (~b & d);
                g = i;
                break;
            case 1:
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
                break;
            case 2:
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
                break;
            default:
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
                break;
        }
        const uint32_t rotated = std::rotl(a + f + kSine[i] + m[g], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    SecureWipeObject(m);
}

void clsMD5::MD5Init() {
    std::memcpy(state_, kInitialState, sizeof state_);
    byteCounter_ = 0;
}

void clsMD5::MD5Update(int64_t inputLen, const uint8_t* inputBuffer) {
    auto used = static_cast<std::size_t>(byteCounter_ & (kBlockBytes - 1));
    byteCounter_ += inputLen;
    if (inputLen <= 0) return;
    auto remaining = static_cast<std::size_t>(inputLen);
    while (remaining > 0) {
        const std::size_t take = std::min(remaining, kBlockBytes - used);
        std::memcpy(buffer_ + used, inputBuffer, take);
        inputBuffer += take;
        remaining -= take;
        used += take;
        if (used == kBlockBytes) {
            Compress();
            used = 0;
        }
    }
}

void clsMD5::MD5Final() {
    const int64_t length = byteCounter_;
    const int64_t used = length & (kBlockBytes - 1);
    uint8_t padding[kBlockBytes + 9] = {0x80};
    // As stored: the second count is formed from the whole length, not from the partial block,
    // and is negative from L = 121 on; MD5Update then only lowers the byte counter to 120.
    MD5Update(used <= kLengthFieldAt ? kLengthFieldAt - used : kDeviatingPadTarget - length, padding);
    StoreLe32(padding, static_cast<uint32_t>(static_cast<uint64_t>(length) * 8));
    std::memset(padding + 4, 0, 4);
    MD5Update(8, padding);
}

std::string clsMD5::GetValues() const {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(32);
    for (const uint32_t word : state_) {
        for (int byte = 0; byte < 4; ++byte) {
            const auto value = static_cast<uint8_t>(word >> (8 * byte));
            hex.push_back(kDigits[value >> 4]);
            hex.push_back(kDigits[value & 0x0F]);
        }
    }
    return hex;
}

std::string clsMD5::DigestStrToHexStr(const std::string& sourceString) {
    MD5Init();
    MD5Update(static_cast<int64_t>(sourceString.size()), reinterpret_cast<const uint8_t*>(sourceString.data()));
    MD5Final();
    SecureWipeObject(buffer_);  // it held the end of the passphrase
    return GetValues();
}

std::string clsMD5::RegisterA() const { return SignedDecimal(state_[0]); }
std::string clsMD5::RegisterB() const { return SignedDecimal(state_[1]); }
std::string clsMD5::RegisterC() const { return SignedDecimal(state_[2]); }
std::string clsMD5::RegisterD() const { return SignedDecimal(state_[3]); }

}  // namespace tarnwerk
