// TEA, the Tiny Encryption Algorithm (Wheeler and Needham, 1994), inside the block-cipher
// envelope (cipher index 3). As published: 32 cycles, big-endian key and block words.
#pragma once

#include <string>

#include "crypto/BlockCipherEnvelope.h"

namespace tarnwerk {

class clsTEA final : public BlockCipherEnvelope<clsTEA> {
public:
    static constexpr std::size_t kBlockSize = 8;
    using Block = BlockWords<uint32_t, 2>;

    clsTEA() = default;
    ~clsTEA() override;
    clsTEA(const clsTEA&) = delete;
    clsTEA& operator=(const clsTEA&) = delete;

    // Key string bytes 0..15 as four big-endian words, zero-extended; recomputed every time.
    void SetKey(const std::string& key) override;

    static Block LoadBlock(const uint8_t* p) { return {{LoadBe32(p), LoadBe32(p + 4)}}; }
    static void StoreBlock(uint8_t* p, const Block& b) {
        StoreBe32(p, b.w[0]);
        StoreBe32(p + 4, b.w[1]);
    }
    void EncipherBlock(Block& b) const;
    void DecipherBlock(Block& b) const;

private:
    uint32_t k_[4] = {};
};

extern template class BlockCipherEnvelope<clsTEA>;

}  // namespace tarnwerk
