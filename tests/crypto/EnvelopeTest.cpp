// The block-cipher envelope (sizes, size check, chaining start, odd lengths, progress) and the
// byte and string members of all five ciphers.
#include <gtest/gtest.h>

#include "CryptoTestSupport.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"

namespace tarnwerk {
namespace {

using test::RandomBytes;

const std::string kKey = MakeKey("0123456789ABCDEF");
const std::string kOtherKey = MakeKey("0123456789ABCDEG");

template <class C>
class BlockEnvelope : public ::testing::Test {
protected:
    // A plain envelope of `total` bytes with descriptor `n`, sealed in CBC by the block function.
    std::vector<uint8_t> Sealed(std::size_t total, int32_t n) {
        std::vector<uint8_t> buffer(total, 0x5A);
        StoreLe32(buffer.data() + 8, static_cast<uint32_t>(n));
        C cipher;
        cipher.SetKey(kKey);
        typename C::Block chain{};
        for (std::size_t off = 0; off < total; off += C::kBlockSize) {
            auto block = C::LoadBlock(buffer.data() + off);
            block ^= chain;
            cipher.EncipherBlock(block);
            C::StoreBlock(buffer.data() + off, block);
            chain = block;
        }
        return buffer;
    }

    std::vector<int32_t> Reports(std::vector<uint8_t>& buffer, bool decrypt) {
        std::vector<int32_t> seen;
        C cipher;
        cipher.Progress = [&](int32_t percent) { seen.push_back(percent); };
        if (decrypt)
            static_cast<void>(cipher.DecryptByte(buffer, kKey));
        else
            cipher.EncryptByte(buffer, kKey);
        return seen;
    }
};

using BlockCipherTypes = ::testing::Types<clsBlowfish, clsSkipjack, clsTEA, clsTwofish>;
TYPED_TEST_SUITE(BlockEnvelope, BlockCipherTypes);

TYPED_TEST(BlockEnvelope, SizesAndRoundTrips) {
    auto random = test::SeededGenerator();
    const std::size_t five = TypeParam::kBlockSize == 8 ? 24 : 32;
    const std::pair<std::size_t, std::size_t> sizes[] = {{0, 16}, {1, 16}, {4, 16}, {5, five}};
    for (const auto& [n, expected] : sizes) {
        std::vector<uint8_t> buffer(n, 7);
        TypeParam().EncryptByte(buffer, kKey);
        EXPECT_EQ(buffer.size(), expected) << n;
    }
    for (std::size_t n : {0u, 1u, 11u, 12u, 19u, 20u, 27u, 28u, 1000u, 70001u}) {
        const auto plain = RandomBytes(random, n);
        auto buffer = plain;
        TypeParam().EncryptByte(buffer, kKey);
        EXPECT_EQ(buffer.size(), EnvelopeLength(n, TypeParam::kBlockSize));
        EXPECT_TRUE(TypeParam().DecryptByte(buffer, kKey)) << n;
        EXPECT_EQ(buffer, plain) << n;
    }
}

TYPED_TEST(BlockEnvelope, EncryptingTwiceDiffersButBothDecrypt) {
    const std::vector<uint8_t> plain(40, 1);
    auto first = plain, second = plain;
    TypeParam cipher;
    cipher.EncryptByte(first, kKey);
    cipher.EncryptByte(second);  // the key already set
    EXPECT_NE(first, second);
    EXPECT_TRUE(cipher.DecryptByte(first));
    EXPECT_TRUE(cipher.DecryptByte(second));
    EXPECT_EQ(first, plain);
    EXPECT_EQ(second, plain);
}

TYPED_TEST(BlockEnvelope, SizeCheckAcceptsTwelveToBlockSizePlusEleven) {
    constexpr std::size_t B = TypeParam::kBlockSize;
    constexpr std::size_t total = 32;
    const std::pair<int32_t, bool> cases[] = {
        {total - 12, true}, {total - (B + 11), true}, {total - 11, false}, {total - (B + 12), false},
        {-1, false},        {0x7FFFFFFF, false},
    };
    for (const auto& [n, accepted] : cases) {
        auto buffer = this->Sealed(total, n);
        auto reports = this->Reports(buffer, true);
        EXPECT_EQ(!reports.empty() && reports.back() == 100, accepted) << n;
        if (accepted) {
            EXPECT_EQ(buffer, std::vector<uint8_t>(static_cast<std::size_t>(n), 0x5A)) << n;
        } else {
            // Refused: the whole buffer stays, deciphered, with its header in place.
            ASSERT_EQ(buffer.size(), total) << n;
            EXPECT_EQ(static_cast<int32_t>(LoadLe32(buffer.data() + 8)), n);
        }
        auto again = this->Sealed(total, n);
        EXPECT_EQ(TypeParam().DecryptByte(again, kKey), accepted) << n;
    }
}

TYPED_TEST(BlockEnvelope, IncompleteOrShortBuffersStopWithoutTouchingTheTail) {
    constexpr std::size_t B = TypeParam::kBlockSize;
    const std::vector<uint8_t> plain(20, 3);
    auto sealed = plain;
    TypeParam().EncryptByte(sealed, kKey);

    auto longer = sealed;
    longer.push_back(0xEE);
    EXPECT_FALSE(TypeParam().DecryptByte(longer, kKey));
    ASSERT_EQ(longer.size(), sealed.size() + 1);
    EXPECT_EQ(longer.back(), 0xEE);
    EXPECT_EQ(LoadLe32(longer.data() + 8), 20u);  // the whole blocks were deciphered

    auto shorter = sealed;
    shorter.pop_back();
    EXPECT_FALSE(TypeParam().DecryptByte(shorter, kKey));
    ASSERT_EQ(shorter.size(), sealed.size() - 1);
    EXPECT_TRUE(std::equal(shorter.end() - (B - 1), shorter.end(), sealed.end() - B, sealed.end() - 1));

    for (std::size_t n : {0u, 3u, 8u}) {
        std::vector<uint8_t> tiny(n, 1);
        EXPECT_FALSE(TypeParam().DecryptByte(tiny, kKey)) << n;
        EXPECT_EQ(tiny.size(), n);
    }
}

TYPED_TEST(BlockEnvelope, WrongKeyFailsTheSizeCheck) {
    std::vector<uint8_t> buffer(100, 9);
    TypeParam().EncryptByte(buffer, kKey);
    const std::size_t total = buffer.size();
    EXPECT_FALSE(TypeParam().DecryptByte(buffer, kOtherKey));
    EXPECT_EQ(buffer.size(), total);
}

TYPED_TEST(BlockEnvelope, ProgressReportsEachPercentBoundaryAndOneFinalHundred) {
    std::vector<uint8_t> sixteen(16, 0);
    const auto encrypt = this->Reports(sixteen, false);  // 32 bytes
    const auto decrypt = this->Reports(sixteen, true);
    const std::vector<int32_t> expected =
        TypeParam::kBlockSize == 8 ? std::vector<int32_t>{0, 25, 50, 75, 100} : std::vector<int32_t>{0, 50, 100};
    EXPECT_EQ(encrypt, expected);
    EXPECT_EQ(decrypt, expected);

    std::vector<uint8_t> large(1 << 20, 0);
    const auto reports = this->Reports(large, false);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 100);
    EXPECT_LE(reports.size(), 101u);
    EXPECT_EQ(std::count(reports.begin(), reports.end(), 100), 1);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
}

TEST(Rc4Members, SameKeySameStreamAndTwiceRestores) {
    auto random = test::SeededGenerator();
    const auto plain = RandomBytes(random, 5000);
    auto once = plain, again = plain;
    clsRC4 rc4;
    rc4.EncryptByte(once, kKey);
    rc4.EncryptByte(again, kKey);  // restarts from the keyed state
    EXPECT_EQ(once, again);
    EXPECT_NE(once, plain);
    EXPECT_TRUE(rc4.DecryptByte(once));
    EXPECT_EQ(once, plain);

    auto untouched = plain;
    clsRC4().EncryptByte(untouched);  // never keyed: the all-zero state leaves data as it is
    EXPECT_EQ(untouched, plain);
}

TEST(Rc4Members, ProgressPerByteAndEmptyInput) {
    std::vector<int32_t> seen;
    clsRC4 rc4;
    rc4.Progress = [&](int32_t percent) { seen.push_back(percent); };
    std::vector<uint8_t> empty;
    rc4.EncryptByte(empty, kKey);
    EXPECT_EQ(seen, std::vector<int32_t>{100});
    seen.clear();
    std::vector<uint8_t> four(4, 0);
    rc4.EncryptByte(four);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 25, 50, 75, 100}));
}

TEST(StringMembers, HexFormAndStoreBack) {
    clsTEA tea;
    const std::string hex = tea.EncryptString("hello", kKey, true);
    ASSERT_EQ(hex.size(), 48u);  // 24 bytes
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string text = hex;
    const auto plain = tea.DecryptString(text, {}, true);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, "hello");
    EXPECT_EQ(text.size(), 24u);  // the caller's text now holds the converted bytes

    std::string lower = hex;
    for (auto& c : lower) c = static_cast<char>(std::tolower(c));
    EXPECT_EQ(*tea.DecryptString(lower, {}, true), "hello");

    std::string notHex = "0G";
    EXPECT_EQ(tea.DecryptString(notHex, {}, true).error().code, ErrorCode::CorruptData);
    std::string raw = tea.EncryptString("hello", kKey);
    EXPECT_EQ(clsTEA().DecryptString(raw, kOtherKey).error().code, ErrorCode::WrongKey);

    clsRC4 rc4;
    std::string stream = rc4.EncryptString("abc", kKey);
    EXPECT_EQ(stream.size(), 3u);
    EXPECT_EQ(*rc4.DecryptString(stream), "abc");
}

}  // namespace
}  // namespace tarnwerk
