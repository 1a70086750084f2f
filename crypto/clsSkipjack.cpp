#include "crypto/clsSkipjack.h"

#include "crypto/SecureWipe.h"
#include "crypto/SkipjackTable.h"

namespace tarnwerk {

namespace {

constexpr std::size_t kRounds = 32;
constexpr std::size_t kRoundsPerRule = 8;

// Rounds 1-8 and 17-24 use rule A, 9-16 and 25-32 rule B.
constexpr bool IsRuleA(std::size_t round) { return (round / kRoundsPerRule) % 2 == 0; }

}  // namespace

clsSkipjack::~clsSkipjack() {
    SecureWipeObject(roundKey_);
    SecureWipe(keyString_);
}

void clsSkipjack::SetKey(const std::string& key) {
    if (key == keyString_ || key.empty()) return;
    SecureWipe(keyString_);
    keyString_ = key;
    for (std::size_t j = 0; j < kRoundKeyBytes; ++j) roundKey_[j] = static_cast<uint8_t>(key[j % key.size()]);
}

inline uint16_t clsSkipjack::G(std::size_t round, uint16_t w) const {
    const uint8_t* rk = roundKey_ + 4 * round;
    const auto g1 = static_cast<uint8_t>(w >> 8);
    const auto g2 = static_cast<uint8_t>(w);
    const auto g3 = static_cast<uint8_t>(kSkipjackF[g2 ^ rk[0]] ^ g1);
    const auto g4 = static_cast<uint8_t>(kSkipjackF[g3 ^ rk[1]] ^ g2);
    const auto g5 = static_cast<uint8_t>(kSkipjackF[g4 ^ rk[2]] ^ g3);
    const auto g6 = static_cast<uint8_t>(kSkipjackF[g5 ^ rk[3]] ^ g4);
    return static_cast<uint16_t>((g5 << 8) | g6);
}

inline uint16_t clsSkipjack::GInverse(std::size_t round, uint16_t w) const {
    const uint8_t* rk = roundKey_ + 4 * round;
    const auto g5 = static_cast<uint8_t>(w >> 8);
    const auto g6 = static_cast<uint8_t>(w);
    const auto g4 = static_cast<uint8_t>(kSkipjackF[g5 ^ rk[3]] ^ g6);
    const auto g3 = static_cast<uint8_t>(kSkipjackF[g4 ^ rk[2]] ^ g5);
    const auto g2 = static_cast<uint8_t>(kSkipjackF[g3 ^ rk[1]] ^ g4);
    const auto g1 = static_cast<uint8_t>(kSkipjackF[g2 ^ rk[0]] ^ g3);
    return static_cast<uint16_t>((g1 << 8) | g2);
}

void clsSkipjack::EncipherBlock(Block& b) const {
    uint16_t w1 = b.w[0], w2 = b.w[1], w3 = b.w[2], w4 = b.w[3];
    for (std::size_t k = 0; k < kRounds; ++k) {
        const auto counter = static_cast<uint16_t>(k + 1);
        const uint16_t g = G(k, w1);
        if (IsRuleA(k)) {
            const auto next1 = static_cast<uint16_t>(g ^ w4 ^ counter);
            w4 = w3;
            w3 = w2;
            w2 = g;
            w1 = next1;
        } else {
            const auto next3 = static_cast<uint16_t>(w1 ^ w2 ^ counter);
            w1 = w4;
            w4 = w3;
            w3 = next3;
            w2 = g;
        }
    }
    b = {{w1, w2, w3, w4}};
}

void clsSkipjack::DecipherBlock(Block& b) const {
    uint16_t w1 = b.w[0], w2 = b.w[1], w3 = b.w[2], w4 = b.w[3];
    for (std::size_t k = kRounds; k-- > 0;) {
        const auto counter = static_cast<uint16_t>(k + 1);
        const uint16_t w1Before = GInverse(k, w2);
        if (IsRuleA(k)) {
            const auto w4Before = static_cast<uint16_t>(w1 ^ w2 ^ counter);
            w1 = w1Before;
            w2 = w3;
            w3 = w4;
            w4 = w4Before;
        } else {
            const auto w2Before = static_cast<uint16_t>(w3 ^ w1Before ^ counter);
            w3 = w4;
            w4 = w1;
            w1 = w1Before;
            w2 = w2Before;
        }
    }
    b = {{w1, w2, w3, w4}};
}

template class BlockCipherEnvelope<clsSkipjack>;

}  // namespace tarnwerk
