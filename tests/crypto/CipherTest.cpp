// Key derivation of the stored ciphers, and what the authenticated cipher refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "crypto/RuntimeRandom.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;

// Key bytes: the single-precision value times 255, rounded half to even, for every state.
TEST(KeyDerivation, KeyBytesRoundHalfToEven) {
    for (uint32_t state = 0; state <= RuntimeRandom::kStateMask; ++state) {
        const double scaled = static_cast<double>(static_cast<float>(state) / 16777216.0f) * 255.0;
        ASSERT_EQ(ScaleToKeyByte(state), static_cast<uint8_t>(std::nearbyint(scaled))) << state;
    }
}

// "AB": seed 2 + 65 * 1 + 66 * 2 = 199, seeded and drawn by the runtime's published generator
// (x = x * 1140671485 + 12820163 mod 2^24), worked out apart from this program.
TEST(KeyDerivation, MakeKeyKnownAnswer) {
    const std::string key = MakeKey("AB");
    ASSERT_EQ(key.size(), 256u);
    EXPECT_EQ(Bytes(key.begin(), key.begin() + 16),
              (Bytes{0x82, 0x3F, 0x10, 0xF5, 0xE9, 0x11, 0xC1, 0xA6, 0xC3, 0xFC, 0xD4, 0x2F, 0x2E, 0xF6, 0x7B, 0xC3}));
    EXPECT_EQ(static_cast<uint8_t>(key.back()), 0x71);
}

// The envelope's random values come from a generator of their own: a key derived after an
// encryption is the key a fresh extraction derives.
TEST(KeyDerivation, MakeKeyIgnoresEarlierRandomDraws) {
    const std::string before = MakeKey("0123456789ABCDEF");
    Bytes data(100, 1);
    clsBlowfish().EncryptByte(data, before);
    EXPECT_EQ(MakeKey("0123456789ABCDEF"), before);
}

constexpr Argon2Limits kCheap{1, 8192};
constexpr const char* kPassphrase = "Meet at the gate";
const std::string kText = "The payload as the engine prepared it.";

Status Open(const std::string& header, Bytes& data, const std::string& passphrase = kPassphrase) {
    clsXChaCha20 cipher(kCheap);
    if (Status salted = cipher.SetSalt(header.substr(2, kXChaChaSaltSize)); !salted) return salted;
    cipher.SetAssociatedData(header);
    return cipher.Decrypt(data, passphrase);
}

// One sealed text and the header it is bound to.
class XChaChaTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsXChaCha20 sealer(kCheap);
        header_ = std::string("\x02\x05", 2) + sealer.Salt() + "bmp     ";
        sealed_.assign(kText.begin(), kText.end());
        sealer.SetAssociatedData(header_);
        ASSERT_TRUE(sealer.Encrypt(sealed_, kPassphrase));
    }
    std::string header_;
    Bytes sealed_;
};

TEST_F(XChaChaTest, EveryFlippedHeaderOrDataBitIsRefusedLeavingTheData) {
    for (std::size_t i = 0; i < header_.size() + sealed_.size(); ++i) {
        std::string h = header_;
        Bytes data = sealed_;
        if (i < h.size())
            h[i] ^= 0x01;
        else
            data[i - h.size()] ^= 0x80;
        const Bytes before = data;
        const Status status = Open(h, data);
        ASSERT_FALSE(status) << "byte " << i;
        EXPECT_EQ(status.error().code, ErrorCode::WrongKey) << "byte " << i;
        EXPECT_EQ(data, before);
    }
}

TEST_F(XChaChaTest, WrongPassphraseIsRefused) {
    EXPECT_EQ(Open(header_, sealed_, "Meet at the gatE").error().code, ErrorCode::WrongKey);
}

// Shorter than nonce and tag: damaged; long enough but cut: the tag fails.
TEST_F(XChaChaTest, CutInputIsDamagedOrFailsTheTag) {
    for (std::size_t cut : {1u, 16u, 40u, 41u}) {
        Bytes cutData(sealed_.begin(), sealed_.end() - static_cast<std::ptrdiff_t>(cut));
        const ErrorCode code = cutData.size() < kXChaChaOverhead ? ErrorCode::CorruptData : ErrorCode::WrongKey;
        EXPECT_EQ(Open(header_, cutData).error().code, code) << cut;
    }
}

TEST_F(XChaChaTest, ASaltOfTheWrongSizeIsDamage) {
    EXPECT_EQ(clsXChaCha20(kCheap).SetSalt("short").error().code, ErrorCode::CorruptData);
}

// A fresh object keys itself from its own new salt; setting the stored salt forgets that key.
TEST_F(XChaChaTest, OpensOnlyUnderTheStoredSalt) {
    clsXChaCha20 cipher(kCheap);
    cipher.SetAssociatedData(header_);
    Bytes data = sealed_;
    EXPECT_FALSE(cipher.DecryptByte(data, kPassphrase));
    ASSERT_TRUE(cipher.SetSalt(header_.substr(2, kXChaChaSaltSize)));
    EXPECT_TRUE(cipher.DecryptByte(data, kPassphrase));
    EXPECT_EQ(std::string(data.begin(), data.end()), kText);
}

}  // namespace
}  // namespace tarnwerk
