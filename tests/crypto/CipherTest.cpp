// A failed size check on decryption, key derivation, and what the authenticated cipher refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "crypto/RuntimeRandom.h"
#include "crypto/clsBlowfish.h"
#include "crypto/clsXChaCha20.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;
const std::string kKey = MakeKey("0123456789ABCDEF");

// Every block cipher index the workflows use (9: any other is Blowfish); RC4 has no size check.
class CipherFiles : public ::testing::TestWithParam<uint8_t> {};
INSTANTIATE_TEST_SUITE_P(BlockCiphers, CipherFiles, ::testing::Values(0, 2, 3, 4, 9));

TEST_P(CipherFiles, WrongKeyFailsTheSizeCheckAndKeepsTheOutput) {
    test::TempDir dir;
    test::WriteFile(dir.File("plain"), Bytes(500, 'z'));
    test::WriteFile(dir.File("out"), Bytes{'o', 'l', 'd'});
    const auto cipher = CreateCipher(GetParam());
    ASSERT_TRUE(cipher->EncryptFile(dir.File("plain"), dir.File("sealed"), true, kKey));
    const Status wrong = cipher->DecryptFile(dir.File("sealed"), dir.File("out"), true, MakeKey("0123456789ABCDEG"));
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().code, ErrorCode::WrongKey);
    EXPECT_EQ(test::ReadFile(dir.File("out")), (Bytes{'o', 'l', 'd'}));
}

// Key bytes: float * 255 rounded half to even; seed: length + each byte times its position.
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

constexpr Argon2Limits kCheap{1, 8192};
Status Open(const std::string& header, Bytes& data, const std::string& passphrase = "Meet at the gate") {
    clsXChaCha20 cipher(kCheap);
    if (Status salted = cipher.SetSalt(header.substr(2, kXChaChaSaltSize)); !salted) return salted;
    cipher.SetAssociatedData(header);
    return cipher.Decrypt(data, passphrase);
}

TEST(XChaCha, TamperedWrongOrCutInputIsRefusedAndLeavesTheDataAsItWas) {
    clsXChaCha20 sealer(kCheap);
    const std::string header = std::string("\x02\x05", 2) + sealer.Salt() + "bmp     ";
    const std::string text = "The payload as the engine prepared it.";
    Bytes sealed(text.begin(), text.end()), data;
    sealer.SetAssociatedData(header);
    ASSERT_TRUE(sealer.Encrypt(sealed, "Meet at the gate"));
    for (std::size_t i = 0; i < header.size() + sealed.size(); ++i) {
        std::string h = header;
        data = sealed;
        if (i < h.size()) h[i] ^= 0x01;
        else data[i - h.size()] ^= 0x80;
        const Bytes before = data;
        const Status status = Open(h, data);
        ASSERT_FALSE(status) << "byte " << i;
        EXPECT_EQ(status.error().code, ErrorCode::WrongKey) << "byte " << i;
        EXPECT_EQ(data, before);
    }
    data = sealed;
    EXPECT_EQ(Open(header, data, "Meet at the gatE").error().code, ErrorCode::WrongKey);
    for (std::size_t cut : {1u, 16u, 40u, 41u}) {
        Bytes cutData(sealed.begin(), sealed.end() - static_cast<std::ptrdiff_t>(cut));
        const ErrorCode code = cutData.size() < kXChaChaOverhead ? ErrorCode::CorruptData : ErrorCode::WrongKey;
        EXPECT_EQ(Open(header, cutData).error().code, code) << cut;
    }
    clsXChaCha20 cipher(kCheap);
    EXPECT_EQ(cipher.SetSalt("short").error().code, ErrorCode::CorruptData);
    cipher.SetAssociatedData(header);  // right header, but the object's own fresh salt
    EXPECT_FALSE(cipher.DecryptByte(data, "Meet at the gate"));
    ASSERT_TRUE(cipher.SetSalt(header.substr(2, 16)));  // a new salt forgets the old key
    EXPECT_TRUE(cipher.DecryptByte(data, "Meet at the gate"));
    EXPECT_EQ(std::string(data.begin(), data.end()), text);
}

}  // namespace
}  // namespace tarnwerk
