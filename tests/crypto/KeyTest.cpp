// Key derivation (the runtime generator and MakeKey), each cipher's key rules, and the wiping
// of key material when an object dies.
#include <gtest/gtest.h>

#include <cmath>
#include <new>

#include "CryptoTestSupport.h"
#include "crypto/RuntimeRandom.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"

namespace tarnwerk {
namespace {

TEST(RuntimeRandom, UnseededSequenceIsTheRuntimesWellKnownOne) {
    RuntimeRandom random;
    for (const float expected : {0.7055475f, 0.533424f, 0.5795186f, 0.2895625f, 0.301948f})
        EXPECT_NEAR(random.Next(), expected, 5e-8);
}

TEST(RuntimeRandom, SeedingMixesTheUpperHalfOfTheDoubleAndKeepsTheLowByte) {
    RuntimeRandom random;
    random.Randomize(152);  // 152.0 is 4063000000000000 hex: t = 4063 << 8
    EXPECT_EQ(random.state, 0x406300u);
    random.state = 0x123456;
    random.Randomize(152);
    EXPECT_EQ(random.state, 0x406356u);
}

TEST(RuntimeRandom, KeyByteRoundingEqualsFloatTimes255HalvesToEven) {
    for (uint32_t state = 0; state <= RuntimeRandom::kStateMask; ++state) {
        const float r = static_cast<float>(state) / 16777216.0f;
        const auto expected = static_cast<uint8_t>(std::nearbyint(static_cast<double>(r) * 255.0));
        ASSERT_EQ(ScaleToKeyByte(state), expected) << state;
    }
    // 2^23 / 2^24 * 255 = 127.5 rounds to 128.
    EXPECT_EQ(ScaleToKeyByte(1u << 23), 128);
}

// MakeKey for a known seed, written out from the generator and the rounding rule.
std::string KeyForSeed(double seed) {
    RuntimeRandom random;
    random.Randomize(seed);
    std::string key;
    for (int i = 0; i < 256; ++i)
        key.push_back(static_cast<char>(std::nearbyint(static_cast<double>(random.Next()) * 255.0)));
    return key;
}

TEST(MakeKey, SeedIsLengthPlusPositionWeightedBytes) {
    EXPECT_EQ(MakeKey(std::string(16, '\x01')), KeyForSeed(152));
    EXPECT_EQ(MakeKey(std::string(16, '\xFF')), KeyForSeed(34696));
    EXPECT_EQ(MakeKey(""), KeyForSeed(0));
    EXPECT_EQ(MakeKey("AB"), KeyForSeed(2 + 65 + 2 * 66));
    EXPECT_EQ(MakeKey("AB").size(), 256u);
}

TEST(MakeKey, IndependentOfEarlierRandomDraws) {
    const std::string digest = "\x90\x01\x50\x98\x3C\xD2\x4F\xB0\xD6\x96\x3F\x7D\x28\xE1\x7F\x72";
    const std::string before = MakeKey(digest);
    std::vector<uint8_t> data(100, 1);
    clsBlowfish().EncryptByte(data, before);  // draws the envelope's random values
    EXPECT_EQ(MakeKey(digest), before);
    EXPECT_NE(MakeKey(digest.substr(1) + "\x01"), before);
}

// Two keyed objects are the same cipher when they encipher sample blocks alike.
template <class C>
bool SameCipher(const C& a, const C& b) {
    for (uint8_t seed = 0; seed < 4; ++seed) {
        std::vector<uint8_t> bytes(C::kBlockSize, seed);
        bytes[0] = static_cast<uint8_t>(seed * 37);
        auto x = C::LoadBlock(bytes.data()), y = x;
        a.EncipherBlock(x);
        b.EncipherBlock(y);
        for (std::size_t i = 0; i < std::size(x.w); ++i)
            if (x.w[i] != y.w[i]) return false;
    }
    return true;
}

template <class C>
bool SameCipher(const std::string& keyA, const std::string& keyB) {
    C a, b;
    a.SetKey(keyA);
    b.SetKey(keyB);
    return SameCipher(a, b);
}

TEST(BlowfishKey, OrFoldedWordsCycledOver72Bytes) {
    EXPECT_TRUE(SameCipher<clsBlowfish>("\x01\x02", "\x01\x03"));
    EXPECT_TRUE(SameCipher<clsBlowfish>("p", "pppp"));
    const char p = 0x11, q = 0x22, r = 0x04, s = 0x48;
    const std::string folded = {p, static_cast<char>(p | q), static_cast<char>(p | q | r),
                                static_cast<char>(p | q | r | s)};
    EXPECT_TRUE(SameCipher<clsBlowfish>(std::string{p, q, r, s}, folded));
    EXPECT_FALSE(SameCipher<clsBlowfish>("\x01\x02", "\x02\x01"));  // rotated keys really differ

    std::string long1 = MakeKey("a"), long2 = long1;
    long2[72] ^= 1;
    EXPECT_TRUE(SameCipher<clsBlowfish>(long1, long2));
    long2[68] ^= 1;  // the top byte of the last key word, taken as it is
    EXPECT_FALSE(SameCipher<clsBlowfish>(long1, long2));
}

TEST(BlowfishKey, SecondKeyContinuesFromTheFirstTables) {
    const std::string a = MakeKey("a"), b = MakeKey("b");
    clsBlowfish once, twice, aThenB, fresh;
    once.SetKey(a);
    twice.SetKey(a);
    twice.SetKey(a);
    EXPECT_EQ(std::memcmp(&once.Tables(), &twice.Tables(), sizeof(BlowfishTables)), 0);
    aThenB.SetKey(a);
    aThenB.SetKey(b);
    fresh.SetKey(b);
    EXPECT_FALSE(SameCipher(aThenB, fresh));
    once.SetKey("");  // no key bytes: the key stays
    EXPECT_EQ(std::memcmp(&once.Tables(), &twice.Tables(), sizeof(BlowfishTables)), 0);
    const BlowfishTables initial = BlowfishInitialTables();
    EXPECT_EQ(std::memcmp(&clsBlowfish().Tables(), &initial, sizeof initial), 0);
}

TEST(BlowfishKey, BlockByteZeroIsTheTopOfLeftAndDecipherInvertsForAnyKeyLength) {
    uint8_t bytes[8] = {0x80};
    EXPECT_EQ(clsBlowfish::LoadBlock(bytes).w[0], 0x80000000u);
    for (std::size_t m = 1; m <= 256; m += 15) {
        clsBlowfish cipher;
        cipher.SetKey(MakeKey(std::to_string(m)).substr(0, m));
        auto block = clsBlowfish::LoadBlock(bytes);
        cipher.EncipherBlock(block);
        EXPECT_NE(block.w[0], 0x80000000u);
        cipher.DecipherBlock(block);
        EXPECT_EQ(block.w[0], 0x80000000u) << m;
        EXPECT_EQ(block.w[1], 0u) << m;
    }
}

TEST(TwofishKey, LengthSelectionAndZeroExtension) {
    const std::string key = MakeKey("twofish");
    auto bits = [](const std::string& k, int32_t min = 0) {
        clsTwofish c;
        c.SetKey(min, k);
        return c.KeyBits();
    };
    EXPECT_EQ(bits(key), 256);
    EXPECT_EQ(bits(key.substr(0, 24)), 192);
    EXPECT_EQ(bits(key.substr(0, 25)), 256);
    EXPECT_EQ(bits(key.substr(0, 16)), 128);
    EXPECT_EQ(bits(key.substr(0, 16), 256), 256);
    EXPECT_EQ(bits(key.substr(0, 3)), 128);  // short keys are padded to 128 bits
    EXPECT_TRUE(SameCipher<clsTwofish>(key, key.substr(0, 32)));
    EXPECT_TRUE(SameCipher<clsTwofish>(key.substr(0, 25), key.substr(0, 25) + std::string(7, '\0')));
    clsTwofish min256, padded;
    min256.SetKey(256, key.substr(0, 16));
    padded.SetKey(key.substr(0, 16) + std::string(16, '\0'));
    EXPECT_TRUE(SameCipher(min256, padded));
}

TEST(TeaKey, FirstSixteenBytesZeroExtended) {
    const std::string key = MakeKey("tea");
    EXPECT_TRUE(SameCipher<clsTEA>(key, key.substr(0, 16)));
    EXPECT_TRUE(SameCipher<clsTEA>("abc", std::string("abc") + std::string(13, '\0')));
    EXPECT_FALSE(SameCipher<clsTEA>(key.substr(0, 16), key.substr(0, 15)));
}

TEST(SkipjackKey, KeyBytesRepeatOver128) {
    const std::string key = MakeKey("skipjack");
    std::string altered = key;
    altered[128] ^= 1;
    EXPECT_TRUE(SameCipher<clsSkipjack>(key, altered));
    altered[127] ^= 1;
    EXPECT_FALSE(SameCipher<clsSkipjack>(key, altered));
    const std::string shortKey = key.substr(0, 10);
    std::string repeated;
    while (repeated.size() < 128) repeated += shortKey;
    EXPECT_TRUE(SameCipher<clsSkipjack>(shortKey, repeated.substr(0, 128)));
}

TEST(Rc4Key, EveryKeyByteTakesPart) {
    std::string key = MakeKey("rc4");
    std::vector<uint8_t> a(1000, 0), b(1000, 0);  // i passes 255 and the swapped entries
    clsRC4().EncryptByte(a, key);
    key[255] ^= 1;
    clsRC4().EncryptByte(b, key);
    EXPECT_NE(a, b);
}

// After the destructor the object's storage holds no key schedule: at most the few bytes of
// pointers and empty members remain non-zero.
template <class C>
std::size_t NonZeroBytesLeft() {
    alignas(C) unsigned char storage[sizeof(C)];
    auto* cipher = new (storage) C;
    cipher->SetKey(MakeKey("secret"));
    std::vector<uint8_t> data(64, 1);
    cipher->EncryptByte(data);
    cipher->~C();
    return static_cast<std::size_t>(
        std::count_if(storage, storage + sizeof(C), [](unsigned char c) { return c != 0; }));
}

TEST(Secrets, KeySchedulesAreWipedWhenAnObjectDies) {
    constexpr std::size_t kPointersAndEmptyMembers = 96;
    EXPECT_LT(NonZeroBytesLeft<clsBlowfish>(), kPointersAndEmptyMembers);
    EXPECT_LT(NonZeroBytesLeft<clsTwofish>(), kPointersAndEmptyMembers);
    EXPECT_LT(NonZeroBytesLeft<clsSkipjack>(), kPointersAndEmptyMembers);
    EXPECT_LT(NonZeroBytesLeft<clsRC4>(), kPointersAndEmptyMembers);
}

}  // namespace
}  // namespace tarnwerk
