// RC4 (cipher index 1): the published stream cipher, no bytes dropped, no envelope. Encryption
// and decryption are one operation, and every call restarts from the keyed state, so the same
// key always gives the same key stream from its first byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/Cipher.h"

namespace tarnwerk {

class clsRC4 final : public Cipher {
public:
    clsRC4() = default;
    ~clsRC4() override;
    clsRC4(const clsRC4&) = delete;
    clsRC4& operator=(const clsRC4&) = delete;

    // Skips the key string already set and the empty key.
    void SetKey(const std::string& key) override;
    void EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) override;
    // Always true: RC4 has nothing to check.
    bool DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) override;
    Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;
    Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;

private:
    uint8_t s_[256] = {};  // all zero until keyed, which leaves data unchanged
    std::string keyString_;
};

}  // namespace tarnwerk
