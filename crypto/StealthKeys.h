// Keys of the stealth method. Argon2id (libsodium crypto_pwhash, ALG_ARGON2ID13) over the
// passphrase and a random 16-byte per-hide salt gives a 32-byte master key; crypto_kdf
// (BLAKE2b) derives one subkey per purpose under the context "TwkStlth". Everything an
// examiner could read without the passphrase depends on these keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/Result.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {

inline constexpr size_t kStealthSaltSize = 16;
inline constexpr size_t kStealthKeySize = 32;
using StealthSalt = std::array<uint8_t, kStealthSaltSize>;
using StealthKey = std::array<uint8_t, kStealthKeySize>;

// crypto_kdf subkey ids; part of the stored format.
enum class StealthSubkey : uint64_t { Order = 1, Directions = 2, HeaderMask = 3, Seal = 4 };

struct StealthKeys {
    StealthKey order{};
    StealthKey directions{};
    StealthKey headerMask{};
    StealthKey seal{};

    StealthKeys() = default;
    StealthKeys(const StealthKeys&) = default;
    StealthKeys& operator=(const StealthKeys&) = default;
    ~StealthKeys();
};

StealthSalt NewStealthSalt();

// The subkeys of a master key (the benchmark and the tests pass one without Argon2id).
StealthKeys StealthKeysFromMaster(const StealthKey& master);

// Argon2id, then the subkeys. Io when the key derivation cannot get its memory.
Result<StealthKeys> DeriveStealthKeys(std::string_view passphrase, const StealthSalt& salt,
                                      Argon2Limits limits = kArgon2StoredLimits);

// A BLAKE2b-256 digest of a label and a 64-bit little-endian number: the key of a public,
// passphrase-independent order.
StealthKey PublicStealthKey(std::string_view label, uint64_t number);

// Pseudo-random words from ChaCha20 (libsodium crypto_stream_chacha20: 64-bit nonce, keystream
// from block 0), read as little-endian 32-bit words in keystream order.
class KeyedStream {
public:
    KeyedStream(const StealthKey& key, uint64_t nonce);
    ~KeyedStream();
    KeyedStream(const KeyedStream&) = delete;
    KeyedStream& operator=(const KeyedStream&) = delete;

    uint32_t Next32();
    uint64_t Next64();  // two words, the first one low
    // floor(Next32() * bound / 2^32): uniform enough for bound far below 2^32.
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((uint64_t{Next32()} * bound) >> 32); }
    void Fill(std::span<uint8_t> out);

private:
    void Refill();

    StealthKey key_;
    uint8_t nonce_[8];
    uint64_t block_ = 0;  // next keystream block (64 bytes each)
    std::array<uint8_t, 1024> buffer_{};
    size_t used_ = 1024;
};

}  // namespace tarnwerk
