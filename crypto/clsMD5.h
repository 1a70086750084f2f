// MD5 with the finalisation that stored passphrase digests and keys depend on.
//
// The compression is RFC 1321's. The finalisation deviates for two families of lengths L, and
// that deviation is kept because every digest and key ever stored depends on it:
//  - L mod 64 = 56: no 0x80 byte; the last block is the final 56 bytes and the length;
//  - L mod 64 >= 57 with L >= 121: the last block is the first 56 bytes of the final partial
//    block and the length; the rest of that block is not digested and no 0x80 byte is added.
// The length field holds 8 * L truncated to 32 bits, then four zero bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwerk {

class clsMD5 {
public:
    clsMD5() = default;
    ~clsMD5();
    clsMD5(const clsMD5&) = delete;
    clsMD5& operator=(const clsMD5&) = delete;

    // The complete digest of a byte string as 32 upper-case hexadecimal digits.
    std::string DigestStrToHexStr(const std::string& sourceString);

    void MD5Init();
    // Feeds inputLen bytes. A negative count feeds nothing but lowers the byte counter, which
    // the finalisation above relies on.
    void MD5Update(int64_t inputLen, const uint8_t* inputBuffer);
    void MD5Final();
    std::string GetValues() const;

    // State words as signed decimal text ("-645128748" for A after the empty text).
    std::string RegisterA() const;
    std::string RegisterB() const;
    std::string RegisterC() const;
    std::string RegisterD() const;

private:
    void Compress();

    uint32_t state_[4] = {};
    int64_t byteCounter_ = 0;  // 64 bits: the original's 2^28-byte limit is lifted
    uint8_t buffer_[64] = {};
};

}  // namespace tarnwerk
