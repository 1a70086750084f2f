// Twofish inside the block-cipher envelope (cipher index 4): the published cipher with full
// keying, 16-byte blocks of four little-endian words. The 256-character key string gives a
// 256-bit key made of its first 32 bytes.
#pragma once

#include <string>

#include "crypto/BlockCipherEnvelope.h"

namespace tarnwerk {

class clsTwofish final : public BlockCipherEnvelope<clsTwofish> {
public:
    static constexpr std::size_t kBlockSize = 16;
    static constexpr std::size_t kMaxKeyBytes = 32;
    static constexpr std::size_t kSubkeys = 40;
    using Block = BlockWords<uint32_t, 4>;

    clsTwofish();
    ~clsTwofish() override;
    clsTwofish(const clsTwofish&) = delete;
    clsTwofish& operator=(const clsTwofish&) = delete;

    void SetKey(const std::string& key) override { SetKey(0, key); }
    // Key bytes are zero-extended to minKeyLength bits first; the key then takes 128, 192 or 256
    // bits, the smallest that holds it. Recomputed on every call.
    void SetKey(int32_t minKeyLength, const std::string& key);

    // The key length in bits chosen by the last SetKey.
    int KeyBits() const { return static_cast<int>(64 * words_); }

    static Block LoadBlock(const uint8_t* p) {
        return {{LoadLe32(p), LoadLe32(p + 4), LoadLe32(p + 8), LoadLe32(p + 12)}};
    }
    static void StoreBlock(uint8_t* p, const Block& b) {
        for (std::size_t i = 0; i < 4; ++i) StoreLe32(p + 4 * i, b.w[i]);
    }
    void EncipherBlock(Block& b) const;
    void DecipherBlock(Block& b) const;

private:
    uint32_t G(uint32_t x) const;

    uint32_t k_[kSubkeys] = {};
    uint32_t s_[4][256] = {};  // keyed S-boxes with the MDS columns folded in
    std::size_t words_ = 2;    // 64-bit key words: 2, 3 or 4
};

extern template class BlockCipherEnvelope<clsTwofish>;

}  // namespace tarnwerk
