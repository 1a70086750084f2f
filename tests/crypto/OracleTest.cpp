// Cross-checks against Crypto++, an independent implementation of the published algorithms:
// its constant tables, thousands of random keys and blocks, MD5 where it equals RFC 1321 and a
// model of the stored MD5 finalisation built on Crypto++'s compression function.
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <crypto++/arc4.h>
#include <crypto++/blowfish.h>
#include <crypto++/md5.h>
#include <crypto++/modes.h>
#include <crypto++/skipjack.h>
#include <crypto++/tea.h>
#include <crypto++/twofish.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "CryptoTestSupport.h"
#include "crypto/BlowfishCore.h"
#include "crypto/SkipjackTable.h"
#include "crypto/TwofishTables.h"
#include "crypto/clsMD5.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"

// Crypto++'s tables are private static members, exported from the shared library.
extern const uint32_t cryptoppBlowfishP[18] __asm__("_ZN8CryptoPP8Blowfish4Base6p_initE");
extern const uint32_t cryptoppBlowfishS[1024] __asm__("_ZN8CryptoPP8Blowfish4Base6s_initE");
extern const uint8_t cryptoppTwofishQ[2][256] __asm__("_ZN8CryptoPP7Twofish4Base1qE");
extern const uint32_t cryptoppTwofishMds[4][256] __asm__("_ZN8CryptoPP7Twofish4Base3mdsE");
extern const uint8_t cryptoppSkipjackF[256] __asm__("_ZN8CryptoPP8SKIPJACK4Base6fTableE");

namespace tarnwerk {
namespace {

using test::AsString;
using test::RandomBytes;

constexpr int kRandomKeys = 2000;
constexpr int kBlocksPerKey = 4;

TEST(CryptoppTables, BlowfishPiWordsMatch) {
    EXPECT_TRUE(std::equal(kBlowfishPiP, kBlowfishPiP + 18, cryptoppBlowfishP));
    EXPECT_TRUE(std::equal(kBlowfishPiS, kBlowfishPiS + 1024, cryptoppBlowfishS));
    // This cipher's own arrangement deals the words out in turn: S(b, x) = T[4x + b].
    const BlowfishTables t = BlowfishInitialTables();
    EXPECT_EQ(t.S[0][0], 0xD1310BA6u);
    EXPECT_EQ(t.S[1][0], 0x98DFB5ACu);
    EXPECT_EQ(t.S[0][64], 0x4B7A70E9u);   // T[256]
    EXPECT_EQ(t.S[3][255], 0x3AC372E6u);  // T[1023]
    EXPECT_EQ(t.P[17], 0x8979FB1Bu);
}

TEST(CryptoppTables, TwofishQFromTTablesAndMdsMatch) {
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(twofish::kQ[0][i], cryptoppTwofishQ[0][i]) << "q0 " << i;
        ASSERT_EQ(twofish::kQ[1][i], cryptoppTwofishQ[1][i]) << "q1 " << i;
        for (int j = 0; j < 4; ++j) ASSERT_EQ(twofish::kMdsTables[j][i], cryptoppTwofishMds[j][i]) << j << " " << i;
    }
}

TEST(CryptoppTables, SkipjackFTableMatchesAndIsAPermutation) {
    EXPECT_TRUE(std::equal(kSkipjackF, kSkipjackF + 256, cryptoppSkipjackF));
    std::vector<int> seen(256);
    for (const uint8_t v : kSkipjackF) ++seen[v];
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 256);
}

// Our class keyed with `key`, Crypto++'s ECB encryption keyed with `oracleKey`; blocks are
// compared after `adapt` turns our byte layout into Crypto++'s.
template <class C, class Oracle, class Adapt>
void CompareBlocks(C& cipher, Oracle& oracle, std::mt19937_64& random, Adapt adapt) {
    for (int n = 0; n < kBlocksPerKey; ++n) {
        auto plain = RandomBytes(random, C::kBlockSize);
        auto block = C::LoadBlock(plain.data());
        cipher.EncipherBlock(block);
        std::vector<uint8_t> ours(C::kBlockSize), theirs(C::kBlockSize);
        C::StoreBlock(ours.data(), block);
        auto oraclePlain = adapt(plain);
        oracle.ProcessBlock(oraclePlain.data(), theirs.data());
        ASSERT_EQ(ours, adapt(theirs));
        cipher.DecipherBlock(block);
        C::StoreBlock(ours.data(), block);
        ASSERT_EQ(ours, plain);
    }
}

const auto kSameOrder = [](std::vector<uint8_t> b) { return b; };
const auto kReversed = [](std::vector<uint8_t> b) {
    std::reverse(b.begin(), b.end());
    return b;
};

TEST(CryptoppDifferential, TwofishRandomKeysOfEveryPublishedSize) {
    auto random = test::SeededGenerator();
    for (int k = 0; k < kRandomKeys; ++k) {
        const auto key = RandomBytes(random, 16 + 8 * static_cast<std::size_t>(k % 3));
        clsTwofish cipher;
        cipher.SetKey(AsString(key));
        CryptoPP::Twofish::Encryption oracle(key.data(), key.size());
        CompareBlocks(cipher, oracle, random, kSameOrder);
    }
}

TEST(CryptoppDifferential, TeaRandomKeys) {
    auto random = test::SeededGenerator();
    for (int k = 0; k < kRandomKeys; ++k) {
        const auto key = RandomBytes(random, 16);
        clsTEA cipher;
        cipher.SetKey(AsString(key));
        CryptoPP::TEA::Encryption oracle(key.data(), key.size());
        CompareBlocks(cipher, oracle, random, kSameOrder);
    }
}

// Crypto++'s SKIPJACK takes key, block and ciphertext bytes in reverse order.
TEST(CryptoppDifferential, SkipjackRandomTenByteKeys) {
    auto random = test::SeededGenerator();
    for (int k = 0; k < kRandomKeys; ++k) {
        const auto key = RandomBytes(random, 10);
        clsSkipjack cipher;
        cipher.SetKey(AsString(key));
        const auto reversedKey = kReversed(key);
        CryptoPP::SKIPJACK::Encryption oracle(reversedKey.data(), reversedKey.size());
        CompareBlocks(cipher, oracle, random, kReversed);
    }
}

// Keys whose bytes within each aligned word only add bits (k0 ⊆ k1 ⊆ k2 ⊆ k3) are left unchanged
// by the or-folding, so with the published arrangement the schedule is the published one.
TEST(CryptoppDifferential, BlowfishScheduleWithPublishedArrangementOnFoldInvariantKeys) {
    auto random = test::SeededGenerator();
    for (int k = 0; k < kRandomKeys / 4; ++k) {
        std::vector<uint8_t> key(4 * (1 + random() % 14));  // 4..56 bytes, Crypto++'s range
        for (std::size_t i = 0; i < key.size(); ++i)
            key[i] = static_cast<uint8_t>(random() | (i % 4 == 0 ? 0 : key[i - 1]));
        BlowfishTables t = BlowfishPublishedTables();
        BlowfishKeySchedule(t, key.data(), key.size());
        CryptoPP::Blowfish::Encryption oracle(key.data(), key.size());
        CryptoPP::Blowfish::Decryption inverseOracle(key.data(), key.size());
        for (int n = 0; n < kBlocksPerKey; ++n) {
            const auto plain = RandomBytes(random, 8);
            uint32_t l = LoadBe32(plain.data()), r = LoadBe32(plain.data() + 4);
            BlowfishEncipher(t, l, r);
            uint8_t theirs[8];
            oracle.ProcessBlock(plain.data(), theirs);
            ASSERT_EQ(l, LoadBe32(theirs));
            ASSERT_EQ(r, LoadBe32(theirs + 4));
            // The decipher on its own, against the published one on the same random input.
            l = LoadBe32(plain.data());
            r = LoadBe32(plain.data() + 4);
            BlowfishDecipher(t, l, r);
            inverseOracle.ProcessBlock(plain.data(), theirs);
            ASSERT_EQ(l, LoadBe32(theirs));
            ASSERT_EQ(r, LoadBe32(theirs + 4));
        }
    }
}

TEST(CryptoppDifferential, Rc4RandomKeysAndLengths) {
    auto random = test::SeededGenerator();
    for (int k = 0; k < kRandomKeys; ++k) {
        const auto key = RandomBytes(random, 1 + random() % 256);
        auto data = RandomBytes(random, random() % 600);
        std::vector<uint8_t> theirs(data.size());
        CryptoPP::Weak::ARC4 oracle(key.data(), key.size());
        oracle.ProcessData(theirs.data(), data.data(), data.size());
        clsRC4 rc4;
        rc4.EncryptByte(data, AsString(key));
        ASSERT_EQ(data, theirs) << "key length " << key.size();
    }
}

// Lengths whose finalisation is the standard one: L mod 64 <= 55, or 57..63.
bool StandardLength(std::size_t length) {
    const std::size_t r = length % 64;
    return r <= 55 || (r >= 57 && length < 121);
}

// The stored finalisation written out plainly, on Crypto++'s compression function.
std::string ModelDigest(const std::string& message) {
    CryptoPP::word32 state[4];
    CryptoPP::Weak::MD5::InitState(state);
    const std::size_t length = message.size();
    const std::size_t whole = length / 64 * 64;
    auto compress = [&](const uint8_t* block) {
        CryptoPP::word32 words[16];
        for (int i = 0; i < 16; ++i) words[i] = LoadLe32(block + 4 * i);
        CryptoPP::Weak::MD5::Transform(state, words);
    };
    for (std::size_t i = 0; i < whole; i += 64) compress(reinterpret_cast<const uint8_t*>(message.data()) + i);
    const std::string tail = message.substr(whole);
    uint8_t last[128] = {};
    std::size_t blocks = 1;
    if (tail.size() == 56 || (tail.size() >= 57 && length >= 121)) {
        std::memcpy(last, tail.data(), 56);  // no 0x80, the rest of the tail dropped
    } else {
        std::memcpy(last, tail.data(), tail.size());
        last[tail.size()] = 0x80;
        blocks = tail.size() <= 55 ? 1 : 2;
    }
    StoreLe32(last + 64 * blocks - 8, static_cast<uint32_t>(length * 8));
    for (std::size_t b = 0; b < blocks; ++b) compress(last + 64 * b);
    std::string hex;
    char digits[3];
    for (const auto word : state)
        for (int i = 0; i < 4; ++i) {
            std::snprintf(digits, sizeof digits, "%02X", (word >> (8 * i)) & 0xFF);
            hex += digits;
        }
    return hex;
}

std::string StandardDigest(const std::string& text) {
    CryptoPP::Weak::MD5 oracle;
    uint8_t digest[16];
    oracle.CalculateDigest(digest, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    std::string hex;
    char two[3];
    for (const uint8_t b : digest) {
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    return hex;
}

TEST(Md5Finalisation, EqualsRfc1321WhereTheLengthIsStandard) {
    auto random = test::SeededGenerator();
    clsMD5 md5;
    for (std::size_t length = 0; length < 700; ++length) {
        if (!StandardLength(length)) continue;
        const std::string text = AsString(RandomBytes(random, length));
        ASSERT_EQ(md5.DigestStrToHexStr(text), StandardDigest(text)) << "length " << length;
    }
    const std::string beyondOldLimit(40000, 'p');  // the original stopped at 32767 characters
    EXPECT_EQ(md5.DigestStrToHexStr(beyondOldLimit), StandardDigest(beyondOldLimit));
}

TEST(Md5Finalisation, DeviatingLengthsFollowTheStoredRule) {
    auto random = test::SeededGenerator();
    clsMD5 md5;
    std::vector<std::size_t> lengths = {56, 120, 184, 39936 + 56, 39936 + 60};
    for (std::size_t l = 121; l <= 127; ++l) lengths.push_back(l);
    for (std::size_t l = 185; l <= 191; ++l) lengths.push_back(l);
    for (const std::size_t length : lengths) {
        const std::string text = AsString(RandomBytes(random, length));
        const std::string digest = md5.DigestStrToHexStr(text);
        ASSERT_EQ(digest, ModelDigest(text)) << "length " << length;
        EXPECT_NE(digest, StandardDigest(text)) << "length " << length;
    }
    // Bytes past the 56th of the final partial block are not digested from L = 121 on.
    std::string a(125, 'x'), b(125, 'x');
    b[64 + 60] = 'y';
    EXPECT_EQ(md5.DigestStrToHexStr(a), md5.DigestStrToHexStr(b));
    b[64 + 55] = 'y';
    EXPECT_NE(md5.DigestStrToHexStr(a), md5.DigestStrToHexStr(b));
}

// Crypto++'s CBC decryption with an all-zero IV opens our envelope: this checks chaining, byte
// order and the layout (random values, size descriptor, data, zero padding) independently.
template <class C, class OracleDecryption>
void CheckEnvelopeWithCbc(std::size_t keyBytes) {
    auto random = test::SeededGenerator();
    const std::string key = AsString(RandomBytes(random, 256));
    for (std::size_t n : {0u, 1u, 4u, 5u, 20u, 21u, 1000u}) {
        const auto plain = RandomBytes(random, n);
        auto buffer = plain;
        C cipher;
        cipher.EncryptByte(buffer, key);
        ASSERT_EQ(buffer.size() % C::kBlockSize, 0u);
        const uint8_t iv[C::kBlockSize] = {};
        typename CryptoPP::CBC_Mode<OracleDecryption>::Decryption oracle(reinterpret_cast<const uint8_t*>(key.data()),
                                                                         keyBytes, iv);
        std::vector<uint8_t> opened(buffer.size());
        oracle.ProcessData(opened.data(), buffer.data(), buffer.size());
        EXPECT_LE(LoadLe32(opened.data()), 2147483519u);
        EXPECT_LE(LoadLe32(opened.data() + 4), 2147483519u);
        EXPECT_EQ(LoadLe32(opened.data() + 8), n);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), opened.begin() + 12));
        EXPECT_TRUE(std::all_of(opened.begin() + 12 + static_cast<std::ptrdiff_t>(n), opened.end(),
                                [](uint8_t b) { return b == 0; }));
    }
}

TEST(EnvelopeLayout, TwofishOpensWithCryptoppCbc) { CheckEnvelopeWithCbc<clsTwofish, CryptoPP::Twofish>(32); }
TEST(EnvelopeLayout, TeaOpensWithCryptoppCbc) { CheckEnvelopeWithCbc<clsTEA, CryptoPP::TEA>(16); }

}  // namespace
}  // namespace tarnwerk
