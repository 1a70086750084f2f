#include "crypto/StealthKeys.h"

#include <sodium.h>

#include <cstdlib>
#include <cstring>

#include "base/ByteOrder.h"

namespace tarnwerk {

namespace {

constexpr char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "TwkStlth";
constexpr size_t kStreamBlock = 64;

StealthKey Subkey(const StealthKey& master, StealthSubkey id) {
    StealthKey key{};
    crypto_kdf_derive_from_key(key.data(), key.size(), static_cast<uint64_t>(id), kKdfContext, master.data());
    return key;
}

}  // namespace

StealthKeys::~StealthKeys() {
    sodium_memzero(order.data(), order.size());
    sodium_memzero(directions.data(), directions.size());
    sodium_memzero(headerMask.data(), headerMask.size());
    sodium_memzero(seal.data(), seal.size());
}

StealthSalt NewStealthSalt() {
    if (sodium_init() < 0) std::abort();  // no safe salt without the system's random source
    StealthSalt salt{};
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

StealthKeys StealthKeysFromMaster(const StealthKey& master) {
    StealthKeys keys;
    keys.order = Subkey(master, StealthSubkey::Order);
    keys.directions = Subkey(master, StealthSubkey::Directions);
    keys.headerMask = Subkey(master, StealthSubkey::HeaderMask);
    keys.seal = Subkey(master, StealthSubkey::Seal);
    return keys;
}

Result<StealthKeys> DeriveStealthKeys(std::string_view passphrase, const StealthSalt& salt, Argon2Limits limits) {
    if (sodium_init() < 0) return MakeError(ErrorCode::CryptoUnavailable);
    StealthKey master{};
    const int rc = crypto_pwhash(master.data(), master.size(), passphrase.data(), passphrase.size(), salt.data(),
                                 limits.opsLimit, limits.memLimit, crypto_pwhash_ALG_ARGON2ID13);
    if (rc != 0) return MakeError(ErrorCode::OutOfMemory);
    StealthKeys keys = StealthKeysFromMaster(master);
    sodium_memzero(master.data(), master.size());
    return keys;
}

StealthKey PublicStealthKey(std::string_view label, uint64_t number) {
    uint8_t little[8];
    for (int i = 0; i < 8; ++i) little[i] = static_cast<uint8_t>(number >> (8 * i));
    crypto_generichash_state state;
    StealthKey key{};
    crypto_generichash_init(&state, nullptr, 0, key.size());
    crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(label.data()), label.size());
    crypto_generichash_update(&state, little, sizeof little);
    crypto_generichash_final(&state, key.data(), key.size());
    return key;
}

KeyedStream::KeyedStream(const StealthKey& key, uint64_t nonce) : key_(key) {
    // Initialisation picks the fastest ChaCha20 code; without it the portable code runs.
    if (sodium_init() < 0) used_ = buffer_.size();
    for (int i = 0; i < 8; ++i) nonce_[i] = static_cast<uint8_t>(nonce >> (8 * i));
}

KeyedStream::~KeyedStream() {
    sodium_memzero(key_.data(), key_.size());
    sodium_memzero(buffer_.data(), buffer_.size());
}

void KeyedStream::Refill() {
    std::memset(buffer_.data(), 0, buffer_.size());
    crypto_stream_chacha20_xor_ic(buffer_.data(), buffer_.data(), buffer_.size(), nonce_, block_, key_.data());
    block_ += buffer_.size() / kStreamBlock;
    used_ = 0;
}

uint32_t KeyedStream::Next32() {
    if (used_ + 4 > buffer_.size()) Refill();
    const uint8_t* b = buffer_.data() + used_;
    used_ += 4;
    return LoadLe32(b);
}

uint64_t KeyedStream::Next64() {
    const uint64_t low = Next32();
    return low | uint64_t{Next32()} << 32;
}

void KeyedStream::Fill(std::span<uint8_t> out) {
    for (uint8_t& byte : out) {
        if (used_ == buffer_.size()) Refill();
        byte = buffer_[used_++];
    }
}

}  // namespace tarnwerk
