// MD5 with the finalisation that stored passphrase digests and keys depend on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwerk {

class clsMD5 {
public:
    // The complete digest of a byte string as 32 upper-case hexadecimal digits.
    std::string DigestStrToHexStr(const std::string& sourceString);

    void MD5Init();
    void MD5Update(int64_t inputLen, const uint8_t* inputBuffer);
    void MD5Final();
    std::string GetValues() const;

    std::string RegisterA() const;
    std::string RegisterB() const;
    std::string RegisterC() const;
    std::string RegisterD() const;

private:
    uint32_t state_[4] = {};
    int64_t byteCounter_ = 0;
    uint8_t buffer_[64] = {};
};

}  // namespace tarnwerk
