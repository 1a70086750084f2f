// The sealed body of the stealth method: a 24-byte random nonce, then the XChaCha20-Poly1305
// (IETF, libsodium crypto_aead_xchacha20poly1305_ietf) ciphertext and its 16-byte tag, under
// the seal subkey, with the plain header as associated data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"
#include "crypto/StealthKeys.h"

namespace tarnwerk {

inline constexpr size_t kStealthNonceSize = 24;
inline constexpr size_t kStealthTagSize = 16;
inline constexpr size_t kStealthSealOverhead = kStealthNonceSize + kStealthTagSize;

// Io when the system's random source cannot be set up.
Result<std::vector<uint8_t>> SealStealthBody(const StealthKey& key, std::span<const uint8_t> associated,
                                             std::span<const uint8_t> plain);

// WrongKey when the tag fails (wrong key, damaged data) or the body is shorter than nonce and tag.
Result<std::vector<uint8_t>> OpenStealthBody(const StealthKey& key, std::span<const uint8_t> associated,
                                             std::span<const uint8_t> sealed);

}  // namespace tarnwerk
