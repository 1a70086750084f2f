// The ciphers' behaviour: the block envelope's size rule, files a failure never changes, key
// derivation, and what the authenticated cipher refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "crypto/RuntimeRandom.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsRC4.h"
#include "crypto/clsSkipjack.h"
#include "crypto/clsTEA.h"
#include "crypto/clsTwofish.h"
#include "crypto/clsXChaCha20.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;

std::string AsString(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

const std::string kKey = MakeKey("0123456789ABCDEF");
const std::string kOtherKey = MakeKey("0123456789ABCDEG");

template <class C>
class BlockEnvelope : public ::testing::Test {};
using BlockCipherTypes = ::testing::Types<clsBlowfish, clsSkipjack, clsTEA, clsTwofish>;
TYPED_TEST_SUITE(BlockEnvelope, BlockCipherTypes);

// A 32-byte envelope sealed in CBC by the block function with descriptor n is accepted when
// 12 <= 32 - n <= B + 11; a refused buffer stays whole, deciphered, its header in place.
TYPED_TEST(BlockEnvelope, SizeCheckAcceptsTwelveToBlockSizePlusEleven) {
    constexpr std::size_t B = TypeParam::kBlockSize, total = 32;
    const std::pair<int32_t, bool> cases[] = {{total - 12, true},        {total - (B + 11), true}, {total - 11, false},
                                              {total - (B + 12), false}, {-1, false},              {0x7FFFFFFF, false}};
    for (const auto& [n, accepted] : cases) {
        Bytes buffer(total, 0x5A);
        StoreLe32(buffer.data() + 8, static_cast<uint32_t>(n));
        TypeParam cipher;
        cipher.SetKey(kKey);
        typename TypeParam::Block chain{};
        for (std::size_t off = 0; off < total; off += B) {
            auto block = TypeParam::LoadBlock(buffer.data() + off);
            block ^= chain;
            cipher.EncipherBlock(block);
            TypeParam::StoreBlock(buffer.data() + off, block);
            chain = block;
        }
        ASSERT_EQ(TypeParam().DecryptByte(buffer, kKey), accepted) << n;
        if (accepted) {
            EXPECT_EQ(buffer, Bytes(static_cast<std::size_t>(n), 0x5A)) << n;
        } else {
            ASSERT_EQ(buffer.size(), total) << n;
            EXPECT_EQ(static_cast<int32_t>(LoadLe32(buffer.data() + 8)), n);
        }
    }
}

TYPED_TEST(BlockEnvelope, FreshRandomValuesAndRefusedBuffersKeepTheirLength) {
    const Bytes plain(20, 3);
    Bytes sealed = plain, again = plain;
    TypeParam cipher;
    cipher.EncryptByte(sealed, kKey);
    cipher.EncryptByte(again);  // the key already set
    EXPECT_NE(sealed, again);
    EXPECT_TRUE(cipher.DecryptByte(again));
    EXPECT_EQ(again, plain);
    auto longer = sealed;
    longer.push_back(0xEE);
    EXPECT_FALSE(TypeParam().DecryptByte(longer, kKey));
    ASSERT_EQ(longer.size(), sealed.size() + 1);
    EXPECT_EQ(longer.back(), 0xEE);
    EXPECT_EQ(LoadLe32(longer.data() + 8), 20u);  // the whole blocks were deciphered
    for (const std::size_t n : std::vector<std::size_t>{0, 3, 8, sealed.size() - 1}) {
        Bytes shorter(sealed.begin(), sealed.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(TypeParam().DecryptByte(shorter, kKey)) << n;
        EXPECT_EQ(shorter.size(), n);
        if (n + 1 == sealed.size()) {  // the incomplete last block is left alone
            EXPECT_TRUE(std::equal(shorter.end() - (TypeParam::kBlockSize - 1), shorter.end(),
                                   sealed.end() - TypeParam::kBlockSize, sealed.end() - 1));
        }
    }
}

// Every cipher index the workflows use (9: any other is Blowfish); round trips: tests/app.
class CipherFiles : public ::testing::TestWithParam<uint8_t> {
protected:
    std::unique_ptr<Cipher> Make() const { return CreateCipher(GetParam()); }
    std::string Path(const std::string& name) const { return dir_.File(name); }
    void Write(const std::string& name, const std::string& text) const {
        test::WriteFile(Path(name), Bytes(text.begin(), text.end()));
    }
    std::string Read(const std::string& name) const { return AsString(test::ReadFile(Path(name))); }
    test::TempDir dir_;
};
INSTANTIATE_TEST_SUITE_P(AllCiphers, CipherFiles, ::testing::Values(0, 1, 2, 3, 4, 9));

TEST_P(CipherFiles, FailuresKeepTheOutputAndLeaveNothing) {
    const Status missing = Make()->EncryptFile(Path("missing"), Path("out"), true, kKey);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::Io);
    EXPECT_EQ(missing.error().path, Path("missing"));
    EXPECT_FALSE(missing.error().detail.empty());
    Write("plain", std::string(500, 'z'));
    EXPECT_EQ(Make()->EncryptFile(Path("plain"), Path("none/out"), true, kKey).error().code, ErrorCode::Io);
    Write("empty", "");  // only Blowfish takes an empty input
    const bool blowfish = GetParam() == 0 || GetParam() == 9;
    const Status empty = Make()->EncryptFile(Path("empty"), Path("e"), true, kKey);
    ASSERT_EQ(static_cast<bool>(empty), blowfish);
    EXPECT_TRUE(blowfish || empty.error().code == ErrorCode::Io);
    EXPECT_EQ(std::filesystem::exists(Path("e")) ? Read("e").size() : 0u, blowfish ? 16u : 0u);
    std::filesystem::remove(Path("e"));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"empty", "plain"}));  // nothing half-written
    if (GetParam() == 1) return;  // RC4 has no size check: a wrong key gives other bytes

    ASSERT_TRUE(Make()->EncryptFile(Path("plain"), Path("sealed"), true, kKey));
    Write("out", "previous");
    const Status wrong = Make()->DecryptFile(Path("sealed"), Path("out"), true, kOtherKey);
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().code, ErrorCode::WrongKey);
    EXPECT_EQ(wrong.error().detail.rfind("Incorrect size descriptor in ", 0), 0u) << wrong.error().detail;
    Write("damaged", Read("sealed") + "x");
    EXPECT_EQ(Make()->DecryptFile(Path("damaged"), Path("out"), true, kKey).error().code, ErrorCode::CorruptData);
    EXPECT_EQ(Read("out"), "previous");
}

// Key bytes are float * 255 rounded half to even, for every state; MakeKey seeds the runtime's
// generator with the length plus each byte times its position and ignores earlier draws.
TEST(KeyDerivation, RoundingSeedAndIndependenceOfMakeKey) {
    for (uint32_t state = 0; state <= RuntimeRandom::kStateMask; ++state) {
        const double scaled = static_cast<double>(static_cast<float>(state) / 16777216.0f) * 255.0;
        ASSERT_EQ(ScaleToKeyByte(state), static_cast<uint8_t>(std::nearbyint(scaled))) << state;
    }
    RuntimeRandom random;
    random.Randomize(2 + 65 + 2 * 66);
    for (const char byte : MakeKey("AB")) ASSERT_EQ(static_cast<uint8_t>(byte), ScaleToKeyByte(random.NextState()));
    Bytes data(100, 1);
    clsBlowfish().EncryptByte(data, kKey);  // draws the envelope's random values
    EXPECT_EQ(MakeKey("0123456789ABCDEF"), kKey);
}

constexpr Argon2Limits kCheap{1, 8192};  // the stored parameters are used in the known answer

struct Sealed {
    std::string header;  // flags, cipher 5, salt, extension field
    Bytes data;
};

Sealed Seal(const std::string& text) {
    clsXChaCha20 cipher(kCheap);
    Sealed s{std::string("\x02\x05", 2) + cipher.Salt() + "bmp     ", {text.begin(), text.end()}};
    cipher.SetAssociatedData(s.header);
    EXPECT_TRUE(cipher.Encrypt(s.data, "Meet at the gate"));
    return s;
}

Status Open(const std::string& header, Bytes& data, const std::string& passphrase = "Meet at the gate") {
    clsXChaCha20 cipher(kCheap);
    if (Status salted = cipher.SetSalt(header.substr(2, kXChaChaSaltSize)); !salted) return salted;
    cipher.SetAssociatedData(header);
    return cipher.Decrypt(data, passphrase);
}

// Sizes and layout are checked against Crypto++ in VectorTest; here a fresh salt and nonce.
TEST(XChaCha, FreshSaltAndNonceEveryTime) {
    Sealed a = Seal(""), b = Seal("");
    EXPECT_NE(a.header.substr(2, 16), b.header.substr(2, 16));
    ASSERT_TRUE(Open(a.header, a.data));
    EXPECT_TRUE(a.data.empty());
    clsXChaCha20 cipher(kCheap);
    Bytes first(10, 1), second = first;
    cipher.EncryptByte(first, "key");
    cipher.EncryptByte(second);
    EXPECT_FALSE(std::equal(first.begin(), first.begin() + kXChaChaNonceSize, second.begin()));
    EXPECT_TRUE(cipher.DecryptByte(first) && cipher.DecryptByte(second));
    EXPECT_EQ(first, second);
}

TEST(XChaCha, TamperedWrongOrCutInputIsRefusedAndLeavesTheDataAsItWas) {
    const Sealed s = Seal("The payload as the engine prepared it.");
    for (std::size_t i = 0; i < s.header.size() + s.data.size(); ++i) {
        std::string header = s.header;
        Bytes data = s.data;
        if (i < header.size()) header[i] ^= 0x01;
        else data[i - header.size()] ^= 0x80;
        const Bytes before = data;
        const Status status = Open(header, data);
        ASSERT_FALSE(status) << "byte " << i;
        EXPECT_EQ(status.error().code, ErrorCode::WrongKey) << "byte " << i;
        EXPECT_EQ(data, before);
    }
    for (const std::string wrong : {"Meet at the gatE", "Meet at the gate ", "x"}) {
        Bytes data = s.data;
        EXPECT_EQ(Open(s.header, data, wrong).error().code, ErrorCode::WrongKey) << wrong;
    }
    for (std::size_t cut : {1u, 16u, 40u, 41u}) {
        Bytes data(s.data.begin(), s.data.end() - static_cast<std::ptrdiff_t>(cut));
        const ErrorCode code = data.size() < kXChaChaOverhead ? ErrorCode::CorruptData : ErrorCode::WrongKey;
        EXPECT_EQ(Open(s.header, data).error().code, code) << cut;
    }
    clsXChaCha20 cipher(kCheap);
    EXPECT_EQ(cipher.SetSalt("short").error().code, ErrorCode::CorruptData);
    Bytes data = s.data;
    cipher.SetAssociatedData(s.header);  // right header, but the object's own fresh salt
    EXPECT_FALSE(cipher.DecryptByte(data, "Meet at the gate"));
    ASSERT_TRUE(cipher.SetSalt(s.header.substr(2, 16)));  // a new salt forgets the old key
    EXPECT_TRUE(cipher.DecryptByte(data, "Meet at the gate"));
}

}  // namespace
}  // namespace tarnwerk
