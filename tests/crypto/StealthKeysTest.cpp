// Keys, key streams and the sealed body of the stealth method.
#include <gtest/gtest.h>
#include <sodium.h>

#include <set>

#include "crypto/StealthKeys.h"
#include "crypto/StealthSeal.h"

namespace tarnwerk {
namespace {

constexpr Argon2Limits kFast{1, 8 * 1024};

std::set<StealthKey> AllSubkeys(const StealthKeys& keys) {
    return {keys.order, keys.directions, keys.headerMask, keys.seal};
}

TEST(StealthKeys, SubkeysAreDistinctAndFollowPassphraseAndSalt) {
    const StealthSalt salt{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    StealthSalt otherSalt = salt;
    otherSalt[15] ^= 1;
    auto keys = DeriveStealthKeys("passphrase", salt, kFast);
    auto again = DeriveStealthKeys("passphrase", salt, kFast);
    auto otherPassphrase = DeriveStealthKeys("passphrasf", salt, kFast);
    auto otherSalted = DeriveStealthKeys("passphrase", otherSalt, kFast);
    ASSERT_TRUE(keys && again && otherPassphrase && otherSalted);
    EXPECT_EQ(AllSubkeys(*keys).size(), 4u);
    EXPECT_EQ(AllSubkeys(*keys), AllSubkeys(*again));
    for (const auto* other : {&*otherPassphrase, &*otherSalted})
        for (const StealthKey& key : AllSubkeys(*other)) EXPECT_EQ(AllSubkeys(*keys).count(key), 0u);
}

// The documented derivation: Argon2id13, then crypto_kdf with context "TwkStlth", id 4 = seal.
TEST(StealthKeys, SealKeyFollowsTheDocumentedDerivation) {
    const StealthSalt salt{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const auto keys = DeriveStealthKeys("passphrase", salt, kFast);
    ASSERT_TRUE(keys);
    StealthKey master{}, seal{};
    ASSERT_EQ(crypto_pwhash(master.data(), master.size(), "passphrase", 10, salt.data(), kFast.opsLimit, kFast.memLimit,
                            crypto_pwhash_ALG_ARGON2ID13),
              0);
    crypto_kdf_derive_from_key(seal.data(), seal.size(), 4, "TwkStlth", master.data());
    EXPECT_EQ(keys->seal, seal);
}

TEST(StealthKeys, FreshSaltsDiffer) { EXPECT_NE(NewStealthSalt(), NewStealthSalt()); }

TEST(KeyedStream, IsTheChaCha20KeystreamAcrossRefills) {
    StealthKey key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(i * 7 + 1);
    const uint64_t nonce = 0x0102030405060708ull;
    std::vector<uint8_t> expected(3000, 0);
    uint8_t nonceBytes[8];
    for (int i = 0; i < 8; ++i) nonceBytes[i] = static_cast<uint8_t>(nonce >> (8 * i));
    crypto_stream_chacha20(expected.data(), expected.size(), nonceBytes, key.data());

    KeyedStream stream(key, nonce);
    std::vector<uint8_t> got(1000);
    stream.Fill(got);  // 1000 bytes, then words straddling the 1024-byte buffer
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
    for (size_t at = 1000; at + 8 <= 2000; at += 8) {
        uint64_t word = 0;
        for (int i = 0; i < 8; ++i) word |= uint64_t{expected[at + i]} << (8 * i);
        ASSERT_EQ(stream.Next64(), word) << "at byte " << at;
    }
    for (int i = 0; i < 1000; ++i) ASSERT_LT(stream.Below(37), 37u);
}

TEST(StealthSeal, OpensOnlyWhatItSealed) {
    const StealthKey key{9};
    const std::vector<uint8_t> header{1, 10, 0, 0, 77, 0, 0, 0};
    const std::vector<uint8_t> plain{'d', 'a', 't', 'a'};
    auto sealed = SealStealthBody(key, header, plain);
    ASSERT_TRUE(sealed);
    ASSERT_EQ(sealed->size(), plain.size() + kStealthSealOverhead);
    auto opened = OpenStealthBody(key, header, *sealed);
    ASSERT_TRUE(opened);
    EXPECT_EQ(*opened, plain);
    auto again = SealStealthBody(key, header, plain);
    EXPECT_NE(*again, *sealed) << "a fresh nonce every time";

    StealthKey otherKey = key;
    otherKey[31] = 1;
    std::vector<uint8_t> otherHeader = header;
    otherHeader[4] = 78;
    std::vector<uint8_t> flipped = *sealed;
    flipped[30] ^= 0x10;
    EXPECT_EQ(OpenStealthBody(otherKey, header, *sealed).error().code, ErrorCode::WrongKey);
    EXPECT_EQ(OpenStealthBody(key, otherHeader, *sealed).error().code, ErrorCode::WrongKey);
    EXPECT_EQ(OpenStealthBody(key, header, flipped).error().code, ErrorCode::WrongKey);
    EXPECT_EQ(OpenStealthBody(key, header, std::vector<uint8_t>(39)).error().code, ErrorCode::WrongKey);
}

}  // namespace
}  // namespace tarnwerk
