#include "crypto/clsTEA.h"

#include "crypto/SecureWipe.h"

namespace tarnwerk {

namespace {

constexpr uint32_t kDelta = 0x9E3779B9;
constexpr int kCycles = 32;
constexpr uint32_t kDecipherSum = kDelta * kCycles;  // C6EF3720
constexpr std::size_t kKeyBytes = 16;

}  // namespace

clsTEA::~clsTEA() { SecureWipeObject(k_); }

void clsTEA::SetKey(const std::string& key) {
    uint8_t bytes[kKeyBytes] = {};
    for (std::size_t i = 0; i < kKeyBytes && i < key.size(); ++i) bytes[i] = static_cast<uint8_t>(key[i]);
    for (std::size_t i = 0; i < 4; ++i) k_[i] = LoadBe32(bytes + 4 * i);
    SecureWipeObject(bytes);
}

void clsTEA::EncipherBlock(Block& b) const {
    uint32_t y = b.w[0], z = b.w[1], sum = 0;
    for (int i = 0; i < kCycles; ++i) {
        sum += kDelta;
        y += ((z << 4) + k_[0]) ^ (z + sum) ^ ((z >> 5) + k_[1]);
        z += ((y << 4) + k_[2]) ^ (y + sum) ^ ((y >> 5) + k_[3]);
    }
    b.w[0] = y;
    b.w[1] = z;
}

void clsTEA::DecipherBlock(Block& b) const {
    uint32_t y = b.w[0], z = b.w[1], sum = kDecipherSum;
    for (int i = 0; i < kCycles; ++i) {
        z -= ((y << 4) + k_[2]) ^ (y + sum) ^ ((y >> 5) + k_[3]);
        y -= ((z << 4) + k_[0]) ^ (z + sum) ^ ((z >> 5) + k_[1]);
        sum -= kDelta;
    }
    b.w[0] = y;
    b.w[1] = z;
}

template class BlockCipherEnvelope<clsTEA>;

}  // namespace tarnwerk
