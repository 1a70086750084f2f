#include "crypto/StealthSeal.h"

#include <sodium.h>

namespace tarnwerk {

Result<std::vector<uint8_t>> SealStealthBody(const StealthKey& key, std::span<const uint8_t> associated,
                                             std::span<const uint8_t> plain) {
    if (sodium_init() < 0) return MakeError(ErrorCode::Io, "the cryptography library could not be initialised");
    std::vector<uint8_t> sealed(kStealthNonceSize + plain.size() + kStealthTagSize);
    randombytes_buf(sealed.data(), kStealthNonceSize);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(sealed.data() + kStealthNonceSize, &length, plain.data(), plain.size(),
                                               associated.data(), associated.size(), nullptr, sealed.data(),
                                               key.data());
    return sealed;
}

Result<std::vector<uint8_t>> OpenStealthBody(const StealthKey& key, std::span<const uint8_t> associated,
                                             std::span<const uint8_t> sealed) {
    if (sealed.size() < kStealthSealOverhead) return MakeError(ErrorCode::WrongKey, "the sealed body is too short");
    std::vector<uint8_t> plain(sealed.size() - kStealthSealOverhead);
    unsigned long long length = 0;
    const int rc = crypto_aead_xchacha20poly1305_ietf_decrypt(
        plain.data(), &length, nullptr, sealed.data() + kStealthNonceSize, sealed.size() - kStealthNonceSize,
        associated.data(), associated.size(), sealed.data(), key.data());
    if (rc != 0) return MakeError(ErrorCode::WrongKey, "the sealed body does not authenticate");
    return plain;
}

}  // namespace tarnwerk
