#include "crypto/clsXChaCha20.h"

#include <sodium.h>

#include <utility>

#include "crypto/CipherFiles.h"

namespace tarnwerk {

namespace {

void Wipe(std::string& text) { sodium_memzero(text.data(), text.capacity()); }
void Wipe(std::vector<uint8_t>& bytes) { sodium_memzero(bytes.data(), bytes.capacity()); }

// Moves the result into the caller's buffer and wipes what it held (plain data on one side).
void Replace(std::vector<uint8_t>& data, std::vector<uint8_t>& result) {
    Wipe(data);
    data.swap(result);
}

}  // namespace

clsXChaCha20::clsXChaCha20() : clsXChaCha20(kArgon2StoredLimits) {}

clsXChaCha20::clsXChaCha20(Argon2Limits limits) : limits_(limits) {
    // sodium_init is idempotent and thread-safe; it returns 1 once already initialised.
    ready_ = sodium_init() >= 0;
    if (!ready_) return;
    salt_.resize(kXChaChaSaltSize);
    randombytes_buf(salt_.data(), salt_.size());
}

clsXChaCha20::~clsXChaCha20() {
    ForgetKey();
    Wipe(passphrase_);
}

void clsXChaCha20::ForgetKey() {
    sodium_memzero(key_, sizeof key_);
    keyDerived_ = false;
}

void clsXChaCha20::SetKey(const std::string& passphrase) {
    if (keyDerived_ && passphrase == passphrase_) return;  // Argon2 is the expensive part
    ForgetKey();
    Wipe(passphrase_);
    passphrase_ = passphrase;
}

Status clsXChaCha20::SetSalt(std::string_view salt) {
    if (salt.size() != kXChaChaSaltSize) return MakeError(ErrorCode::CorruptData);
    if (salt != salt_) {
        ForgetKey();
        salt_.assign(salt);
    }
    return {};
}

Status clsXChaCha20::DeriveKey() {
    if (!ready_) return MakeError(ErrorCode::CryptoUnavailable);
    if (keyDerived_) return {};
    const int rc = crypto_pwhash(key_, sizeof key_, passphrase_.data(), passphrase_.size(),
                                 reinterpret_cast<const unsigned char*>(salt_.data()), limits_.opsLimit,
                                 limits_.memLimit, crypto_pwhash_ALG_ARGON2ID13);
    if (rc != 0) {
        ForgetKey();
        return MakeError(ErrorCode::OutOfMemory);
    }
    keyDerived_ = true;
    return {};
}

Status clsXChaCha20::Encrypt(std::vector<uint8_t>& data, const std::string& key) {
    if (!ready_) return MakeError(ErrorCode::CryptoUnavailable);
    uint8_t nonce[kXChaChaNonceSize];
    randombytes_buf(nonce, sizeof nonce);
    if (!key.empty()) SetKey(key);
    return EncryptWithNonce(data, nonce);
}

Status clsXChaCha20::EncryptWithNonce(std::vector<uint8_t>& data, const uint8_t (&nonce)[kXChaChaNonceSize]) {
    if (data.size() > crypto_aead_xchacha20poly1305_ietf_MESSAGEBYTES_MAX - kXChaChaOverhead)
        return MakeError(ErrorCode::TooLargeForFormat);
    if (Progress) Progress(0);
    if (Status derived = DeriveKey(); !derived) return derived;

    std::vector<uint8_t> sealed(kXChaChaOverhead + data.size());
    std::copy(std::begin(nonce), std::end(nonce), sealed.begin());
    unsigned long long sealedLength = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        sealed.data() + kXChaChaNonceSize, &sealedLength, data.data(), data.size(),
        reinterpret_cast<const unsigned char*>(associatedData_.data()), associatedData_.size(), nullptr, nonce, key_);
    Replace(data, sealed);
    if (Progress) Progress(100);
    return {};
}

Status clsXChaCha20::Decrypt(std::vector<uint8_t>& data, const std::string& key) {
    if (!ready_) return MakeError(ErrorCode::CryptoUnavailable);
    if (data.size() < kXChaChaOverhead) return MakeError(ErrorCode::CorruptData);
    if (!key.empty()) SetKey(key);
    if (Progress) Progress(0);
    if (Status derived = DeriveKey(); !derived) return derived;

    std::vector<uint8_t> opened(data.size() - kXChaChaOverhead);
    unsigned long long openedLength = 0;
    const int rc = crypto_aead_xchacha20poly1305_ietf_decrypt(
        opened.data(), &openedLength, nullptr, data.data() + kXChaChaNonceSize, data.size() - kXChaChaNonceSize,
        reinterpret_cast<const unsigned char*>(associatedData_.data()), associatedData_.size(), data.data(), key_);
    if (rc != 0) return MakeError(ErrorCode::WrongKey);
    data.swap(opened);  // the sealed form is not secret
    if (Progress) Progress(100);
    return {};
}

void clsXChaCha20::EncryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    if (!Encrypt(byteArray, key)) {
        Wipe(byteArray);
        byteArray.clear();
    }
}

bool clsXChaCha20::DecryptByte(std::vector<uint8_t>& byteArray, const std::string& key) {
    return static_cast<bool>(Decrypt(byteArray, key));
}

Status clsXChaCha20::EncryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                 const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed,
                         [&](std::vector<uint8_t>& buffer) { return Encrypt(buffer, key); });
}

Status clsXChaCha20::DecryptFile(const std::string& inPath, const std::string& outPath, bool overwrite,
                                 const std::string& key) {
    return TransformFile(inPath, outPath, overwrite, EmptyInput::Allowed,
                         [&](std::vector<uint8_t>& buffer) { return Decrypt(buffer, key); });
}

}  // namespace tarnwerk
