// Skipjack inside the block-cipher envelope (cipher index 2).
//
// Deviation from the published cipher, kept because stored data depends on it: round k takes
// key bytes (4k + i) mod m of the m-byte key string rather than mod 10, so the 256-byte key
// string feeds 128 fresh key bytes to the 32 rounds. With a 10-byte key it is published Skipjack.
#pragma once

#include <string>

#include "crypto/BlockCipherEnvelope.h"

namespace tarnwerk {

class clsSkipjack final : public BlockCipherEnvelope<clsSkipjack> {
public:
    static constexpr std::size_t kBlockSize = 8;
    static constexpr std::size_t kRoundKeyBytes = 128;  // 32 rounds, 4 key bytes each
    using Block = BlockWords<uint16_t, 4>;

    clsSkipjack() = default;
    ~clsSkipjack() override;
    clsSkipjack(const clsSkipjack&) = delete;
    clsSkipjack& operator=(const clsSkipjack&) = delete;

    // Skips the key string already set and the empty key.
    void SetKey(const std::string& key) override;

    // Four big-endian 16-bit words, w1 from bytes 0 and 1.
    static Block LoadBlock(const uint8_t* p) {
        return {{LoadBe16(p), LoadBe16(p + 2), LoadBe16(p + 4), LoadBe16(p + 6)}};
    }
    static void StoreBlock(uint8_t* p, const Block& b) {
        for (std::size_t i = 0; i < 4; ++i) StoreBe16(p + 2 * i, b.w[i]);
    }
    void EncipherBlock(Block& b) const;
    void DecipherBlock(Block& b) const;

private:
    uint16_t G(std::size_t round, uint16_t w) const;
    uint16_t GInverse(std::size_t round, uint16_t w) const;

    uint8_t roundKey_[kRoundKeyBytes] = {};
    std::string keyString_;
};

extern template class BlockCipherEnvelope<clsSkipjack>;

}  // namespace tarnwerk
