// The interface the workflows use for every cipher of the stored format.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/Result.h"

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

    // Whole files. Errors carry a description the workflow shows after "Encryption failed!".
    // DecryptFile fails with WrongKey when the size check does not hold.
    virtual Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                               const std::string& key) = 0;
    virtual Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                               const std::string& key) = 0;

    // Texts hold one byte per character. With outputInHex the result is the hexadecimal form
    // (two upper-case digits per byte).
    std::string EncryptString(const std::string& text, const std::string& key = {}, bool outputInHex = false);
    // With isTextInHex, text is first converted from the hexadecimal form and the converted text
    // is stored back into the caller's variable. Fails with CorruptData for text that is not
    // hexadecimal and WrongKey when the size check does not hold.
    Result<std::string> DecryptString(std::string& text, const std::string& key = {}, bool isTextInHex = false);

    ProgressFn Progress;  // the progress event of the stored-format ciphers
};

// The workflows' class table: 1 RC4, 2 Skipjack, 3 TEA, 4 Twofish, 5 XChaCha20-Poly1305 (keyed
// with the passphrase itself and a salt, see clsXChaCha20.h), any other value Blowfish.
std::unique_ptr<Cipher> CreateCipher(uint8_t cipherIndex);

// Length of what the class table's cipher writes for plainSize bytes, from its envelope alone
// (no key, no data needed); fails as EncryptFile would on such input (empty input for all but
// Blowfish and XChaCha20, a size the block ciphers' envelope cannot describe).
Result<int64_t> EncryptedLength(uint8_t cipherIndex, int64_t plainSize);

// The 256-character key string derived from the 16-character passphrase digest.
std::string MakeKey(const std::string& s);

// The step under MakeKey: the key string depends only on the seed (length plus each byte times
// its 1-based position, 16..34696 for a 16-byte digest). Exposed for the key space benchmark.
std::string MakeKeyFromSeed(int32_t seed);

}  // namespace tarnwerk
