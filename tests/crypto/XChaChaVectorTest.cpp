// The authenticated cipher's stored format: a committed known answer with the real Argon2id
// parameters, and Crypto++'s XChaCha20-Poly1305 as an oracle for the sealed layout.
#include <crypto++/chachapoly.h>
#include <gtest/gtest.h>
#include <sodium.h>

#include "CryptoTestSupport.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

using test::AsString;
using test::FromHex;
using test::LoadVectors;
using test::RandomBytes;

constexpr Argon2Limits kCheap{1, 8192};

template <std::size_t N>
void CopyTo(const std::vector<uint8_t>& bytes, uint8_t (&out)[N]) {
    ASSERT_EQ(bytes.size(), N);
    std::copy(bytes.begin(), bytes.end(), out);
}

TEST(XChaChaKnownAnswer, FixedSaltNonceAndPassphraseWithTheStoredParameters) {
    for (auto& v : LoadVectors("xchacha.txt")) {
        const std::string passphrase = AsString(FromHex(v["passphrase"]));
        const auto sealed = FromHex(v["sealed"]);
        uint8_t nonce[kXChaChaNonceSize];
        CopyTo(FromHex(v["nonce"]), nonce);

        clsXChaCha20 sealer;
        ASSERT_TRUE(sealer.SetSalt(AsString(FromHex(v["salt"]))));
        sealer.SetAssociatedData(AsString(FromHex(v["header"])));
        sealer.SetKey(passphrase);
        std::vector<uint8_t> data(v["plain"].begin(), v["plain"].end());
        ASSERT_TRUE(sealer.EncryptWithNonce(data, nonce));
        EXPECT_EQ(data, sealed);

        auto opener = CreateCipher(5);  // a fresh object derives the key again
        auto* xchacha = dynamic_cast<clsXChaCha20*>(opener.get());
        ASSERT_NE(xchacha, nullptr);
        ASSERT_TRUE(xchacha->SetSalt(AsString(FromHex(v["salt"]))));
        xchacha->SetAssociatedData(AsString(FromHex(v["header"])));
        ASSERT_TRUE(opener->DecryptByte(data, passphrase));
        EXPECT_EQ(AsString(data), v["plain"]);
    }
}

TEST(XChaChaOracle, SealedLayoutMatchesCryptoppForRandomInputs) {
    ASSERT_GE(sodium_init(), 0);
    auto random = test::SeededGenerator();
    for (int n = 0; n < 200; ++n) {
        const std::string passphrase = AsString(RandomBytes(random, 1 + random() % 40));
        const std::string header = AsString(RandomBytes(random, random() % 2 == 0 ? 26 : random() % 64));
        const auto plain = RandomBytes(random, n < 70 ? static_cast<std::size_t>(n) : random() % 5000);
        uint8_t nonce[kXChaChaNonceSize];
        CopyTo(RandomBytes(random, kXChaChaNonceSize), nonce);

        clsXChaCha20 cipher(kCheap);
        cipher.SetKey(passphrase);
        cipher.SetAssociatedData(header);
        std::vector<uint8_t> ours = plain;
        ASSERT_TRUE(cipher.EncryptWithNonce(ours, nonce));

        uint8_t key[kXChaChaKeySize];
        ASSERT_EQ(crypto_pwhash(key, sizeof key, passphrase.data(), passphrase.size(),
                                reinterpret_cast<const unsigned char*>(cipher.Salt().data()), kCheap.opsLimit,
                                kCheap.memLimit, crypto_pwhash_ALG_ARGON2ID13),
                  0);
        CryptoPP::XChaCha20Poly1305::Encryption oracle;
        oracle.SetKeyWithIV(key, sizeof key, nonce, sizeof nonce);
        std::vector<uint8_t> theirs(plain.size() + kXChaChaOverhead);
        std::copy(std::begin(nonce), std::end(nonce), theirs.begin());
        oracle.EncryptAndAuthenticate(theirs.data() + kXChaChaNonceSize, theirs.data() + kXChaChaNonceSize + plain.size(),
                                      kXChaChaTagSize, nonce, kXChaChaNonceSize,
                                      reinterpret_cast<const CryptoPP::byte*>(header.data()), header.size(),
                                      plain.data(), plain.size());
        ASSERT_EQ(ours, theirs) << "case " << n;
    }
}

}  // namespace
}  // namespace tarnwerk
