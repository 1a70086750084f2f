// One cipher of the cipher table, over byte arrays and whole files. The workflows reach the
// ciphers through PayloadSeal.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"

namespace tarnwerk {

class Cipher {
public:
    using ProgressFn = std::function<void(int32_t percent)>;

    virtual ~Cipher() = default;

    // Key (set): the key string's characters are bytes 0..255.
    virtual void SetKey(const std::string& key) = 0;

    // In place; an empty key argument keeps the key already set.
    virtual void EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) = 0;
    // Returns false when the size descriptor check failed (wrong key or damaged data); the
    // buffer then keeps its full deciphered length.
    virtual bool DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) = 0;

    // Whole files. Errors: OutputExists, EmptyInput (all but Blowfish and XChaCha20),
    // TooLargeForFormat, those of reading and writing; DecryptFile fails with CorruptData when
    // the data is no whole envelope and WrongKey when the size check does not hold.
    virtual Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                               const std::string& key) = 0;
    virtual Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                               const std::string& key) = 0;

    ProgressFn Progress;  // the progress event of the stored-format ciphers
};

// A fresh cipher of the cipher table's entry for the index (every unknown index: Blowfish).
std::unique_ptr<Cipher> CreateCipher(uint8_t cipherIndex);

// The 256-character key string derived from the 16-character passphrase digest.
std::string MakeKey(const std::string& s);

// The step under MakeKey: the key string depends only on the seed (length plus each byte times
// its 1-based position, 16..34696 for a 16-byte digest). Exposed for the key space benchmark.
std::string MakeKeyFromSeed(int32_t seed);

}  // namespace tarnwerk
