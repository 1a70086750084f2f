// Blowfish inside the block-cipher envelope (cipher index 0 and every unknown index).
#pragma once

#include <string>

#include "crypto/BlockCipherEnvelope.h"
#include "crypto/BlowfishCore.h"

namespace tarnwerk {

class clsBlowfish final : public BlockCipherEnvelope<clsBlowfish> {
public:
    static constexpr std::size_t kBlockSize = 8;
    using Block = BlockWords<uint32_t, 2>;

    clsBlowfish();
    ~clsBlowfish() override;
    clsBlowfish(const clsBlowfish&) = delete;
    clsBlowfish& operator=(const clsBlowfish&) = delete;

    // Skips the schedule for the key string already set. A different key continues from the
    // current tables (kept: stored data was made that way). An empty key changes nothing.
    void SetKey(const std::string& key) override;

    // Unlike the other ciphers, an empty input file is encrypted (as length 0).
    Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;
    Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;

    const BlowfishTables& Tables() const { return tables_; }

    // Two big-endian words: block byte 0 is the most significant byte of left.
    static Block LoadBlock(const uint8_t* p) { return {{LoadBe32(p), LoadBe32(p + 4)}}; }
    static void StoreBlock(uint8_t* p, const Block& b) {
        StoreBe32(p, b.w[0]);
        StoreBe32(p + 4, b.w[1]);
    }
    void EncipherBlock(Block& b) const { BlowfishEncipher(tables_, b.w[0], b.w[1]); }
    void DecipherBlock(Block& b) const { BlowfishDecipher(tables_, b.w[0], b.w[1]); }

private:
    BlowfishTables tables_;
    std::string keyString_;
};

extern template class BlockCipherEnvelope<clsBlowfish>;

}  // namespace tarnwerk
