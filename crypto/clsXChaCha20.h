// XChaCha20-Poly1305 with an Argon2id key (cipher index 5): the authenticated choice beside the
// five stored-format ciphers. One AEAD message per payload:
//
//   key   Argon2id13 (libsodium crypto_pwhash) of the passphrase bytes with a 16-byte random
//         salt, opslimit 3, memlimit 256 MiB, 32 bytes. The salt is stored in the header's
//         16-byte check field in place of the passphrase digest.
//   data  a 24-byte random nonce, then the XChaCha20-Poly1305 (IETF) ciphertext and its 16-byte
//         tag; the associated data is the payload header bytes, so the header is authenticated.
//
// The key is the passphrase itself (Windows-1252 bytes), not MakeKey's string. A failed tag means
// a wrong passphrase or damaged data; the buffer or output then stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/Cipher.h"

namespace tarnwerk {

constexpr std::size_t kXChaChaSaltSize = 16;
constexpr std::size_t kXChaChaNonceSize = 24;
constexpr std::size_t kXChaChaTagSize = 16;
constexpr std::size_t kXChaChaKeySize = 32;
// What the data grows by: nonce and tag. The needed-size calculation adds it without deriving.
constexpr std::size_t kXChaChaOverhead = kXChaChaNonceSize + kXChaChaTagSize;  // 40

struct Argon2Limits {
    uint64_t opsLimit;
    std::size_t memLimit;
};
// The stored format's parameters. Anything else only through the test seam.
constexpr Argon2Limits kArgon2StoredLimits{3, std::size_t{256} * 1024 * 1024};

class clsXChaCha20 final : public Cipher {
public:
    clsXChaCha20();                              // draws a fresh random salt
    explicit clsXChaCha20(Argon2Limits limits);  // test seam: cheaper key derivation
    ~clsXChaCha20() override;
    clsXChaCha20(const clsXChaCha20&) = delete;
    clsXChaCha20& operator=(const clsXChaCha20&) = delete;

    // Key (set): the passphrase bytes. An empty key argument of the members below keeps it.
    void SetKey(const std::string& passphrase) override;

    // The 16 salt bytes: after construction a fresh random salt for hiding (write it into the
    // header's check field); when extracting, set the check field read from the header.
    const std::string& Salt() const { return salt_; }
    Status SetSalt(std::string_view salt);
    // Argon2id over passphrase and salt, once per passphrase and salt; the file and buffer
    // members call it themselves. Called ahead, it lets a caller show the step on its own.
    Status DeriveKey();

    // The header bytes the engine writes (flags, cipher byte 5, salt, extension field).
    void SetAssociatedData(std::string_view header) { associatedData_.assign(header); }

    // The fallible forms. Encrypt: data becomes nonce || ciphertext || tag. Decrypt: fails with
    // WrongKey on a failed tag (data unchanged), CorruptData when shorter than nonce and tag,
    // Io when the key derivation cannot get its memory.
    Status Encrypt(std::vector<uint8_t>& data, const std::string& key = {});
    Status Decrypt(std::vector<uint8_t>& data, const std::string& key = {});
    // Test seam for a fixed known answer: the nonce given instead of a random one.
    Status EncryptWithNonce(std::vector<uint8_t>& data, const uint8_t (&nonce)[kXChaChaNonceSize]);

    // The Cipher members. EncryptByte empties the buffer when it cannot encrypt, so plain data
    // never stands where encrypted data is expected; callers that can fail use Encrypt.
    void EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) override;
    bool DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key = {}) override;
    // An empty input is encrypted too (the tag still covers the header).
    Status EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;
    Status DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                       const std::string& key) override;

private:
    void ForgetKey();

    Argon2Limits limits_;
    bool ready_ = false;  // libsodium initialised
    std::string passphrase_;
    std::string salt_;
    std::string associatedData_;
    uint8_t key_[kXChaChaKeySize] = {};
    bool keyDerived_ = false;
};

}  // namespace tarnwerk
