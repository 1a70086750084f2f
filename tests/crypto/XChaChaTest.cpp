// The authenticated cipher's behaviour: sizes, tampering, wrong passphrases, fresh salts and
// nonces, and files that are never replaced by anything unauthenticated.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CryptoTestSupport.h"
#include "crypto/clsXChaCha20.h"

namespace tarnwerk {
namespace {

namespace fs = std::filesystem;
using test::AsString;

constexpr Argon2Limits kCheap{1, 8192};  // the format's parameters are used in the vector test
const std::string kPassphrase = "Meet at the gate";
const std::string kText = "The payload as the engine prepared it, compressed or not.";

// The 26 header bytes as the engine writes them for this cipher.
std::string HeaderFor(const std::string& salt) { return std::string("\x02\x05", 2) + salt + "bmp     "; }

struct Sealed {
    std::string salt;
    std::string header;
    std::vector<uint8_t> data;
};

Sealed Seal(const std::string& text = kText) {
    clsXChaCha20 cipher(kCheap);
    Sealed s{cipher.Salt(), HeaderFor(cipher.Salt()), {text.begin(), text.end()}};
    cipher.SetAssociatedData(s.header);
    EXPECT_TRUE(cipher.Encrypt(s.data, kPassphrase));
    return s;
}

Status Open(const Sealed& s, std::vector<uint8_t>& data, const std::string& passphrase = kPassphrase) {
    clsXChaCha20 cipher(kCheap);
    if (Status salted = cipher.SetSalt(s.header.substr(2, kXChaChaSaltSize)); !salted) return salted;
    cipher.SetAssociatedData(s.header);
    return cipher.Decrypt(data, passphrase);
}

TEST(XChaCha, GrowsByFortyBytesAndRoundTripsAnyLength) {
    for (std::size_t n : {0u, 1u, 15u, 16u, 17u, 4096u}) {
        const Sealed s = Seal(std::string(n, 'x'));
        ASSERT_EQ(s.data.size(), n + kXChaChaOverhead);
        std::vector<uint8_t> data = s.data;
        ASSERT_TRUE(Open(s, data)) << n;
        EXPECT_EQ(AsString(data), std::string(n, 'x'));
    }
    EXPECT_EQ(kXChaChaOverhead, 40u);
}

TEST(XChaCha, EveryTamperedHeaderOrDataByteIsRefusedAndLeavesTheDataAsItWas) {
    const Sealed s = Seal();
    for (std::size_t i = 0; i < s.header.size(); ++i) {
        Sealed tampered = s;
        tampered.header[i] = static_cast<char>(tampered.header[i] ^ 0x01);
        std::vector<uint8_t> data = s.data;
        const Status status = Open(tampered, data);
        ASSERT_FALSE(status) << "header byte " << i;
        EXPECT_EQ(status.error().code, ErrorCode::WrongKey);
        EXPECT_EQ(data, s.data);
    }
    for (std::size_t i = 0; i < s.data.size(); ++i) {
        std::vector<uint8_t> data = s.data;
        data[i] ^= 0x80;
        const std::vector<uint8_t> before = data;
        ASSERT_FALSE(Open(s, data)) << "data byte " << i;
        EXPECT_EQ(data, before);
    }
    for (std::size_t cut : {1u, 16u, 40u, 41u}) {
        std::vector<uint8_t> data(s.data.begin(), s.data.end() - static_cast<std::ptrdiff_t>(std::min(cut, s.data.size())));
        const Status status = Open(s, data);
        ASSERT_FALSE(status) << cut;
        EXPECT_EQ(status.error().code, data.size() < kXChaChaOverhead ? ErrorCode::CorruptData : ErrorCode::WrongKey);
    }
}

TEST(XChaCha, WrongPassphraseOrSaltIsRefusedEveryTime) {
    const Sealed s = Seal();
    for (const std::string wrong : {"Meet at the gatE", "Meet at the gate ", "x"}) {
        std::vector<uint8_t> data = s.data;
        EXPECT_EQ(Open(s, data, wrong).error().code, ErrorCode::WrongKey) << wrong;
    }
    clsXChaCha20 cipher(kCheap);
    EXPECT_EQ(cipher.SetSalt("short").error().code, ErrorCode::CorruptData);
    std::vector<uint8_t> data = s.data;
    cipher.SetAssociatedData(s.header);  // right header, but the object's own fresh salt
    EXPECT_FALSE(cipher.DecryptByte(data, kPassphrase));
    ASSERT_TRUE(cipher.SetSalt(s.salt));  // a new salt forgets the key derived with the old one
    EXPECT_TRUE(cipher.DecryptByte(data, kPassphrase));
}

TEST(XChaCha, SaltAndNonceAreFreshForEveryHide) {
    const Sealed a = Seal(), b = Seal();
    EXPECT_EQ(a.salt.size(), kXChaChaSaltSize);
    EXPECT_NE(a.salt, b.salt);
    clsXChaCha20 cipher(kCheap);
    cipher.SetAssociatedData(HeaderFor(cipher.Salt()));
    std::vector<uint8_t> first(kText.begin(), kText.end()), second = first;
    cipher.EncryptByte(first, kPassphrase);
    cipher.EncryptByte(second);
    EXPECT_FALSE(std::equal(first.begin(), first.begin() + kXChaChaNonceSize, second.begin()));
    EXPECT_TRUE(cipher.DecryptByte(first) && cipher.DecryptByte(second));
    EXPECT_EQ(first, second);
}

TEST(XChaCha, ReportsProgressAtStartAndEnd) {
    clsXChaCha20 cipher(kCheap);
    std::vector<int32_t> seen;
    cipher.Progress = [&](int32_t percent) { seen.push_back(percent); };
    std::vector<uint8_t> data(1000, 7);
    cipher.EncryptByte(data, kPassphrase);
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 100}));
}

class XChaChaFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("tarnwerk-xchacha-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path dir_;
};

TEST_F(XChaChaFiles, RoundTripWithTheStoredParametersThroughCreateCipher) {
    Write(Path("plain"), kText);
    auto hider = CreateCipher(5);
    auto& sealer = dynamic_cast<clsXChaCha20&>(*hider);
    const std::string header = HeaderFor(sealer.Salt());
    sealer.SetAssociatedData(header);
    ASSERT_TRUE(hider->EncryptFile(Path("plain"), Path("sealed"), true, kPassphrase));
    EXPECT_EQ(fs::file_size(Path("sealed")), kText.size() + kXChaChaOverhead);

    auto extractor = CreateCipher(5);
    auto& opener = dynamic_cast<clsXChaCha20&>(*extractor);
    ASSERT_TRUE(opener.SetSalt(header.substr(2, kXChaChaSaltSize)));
    opener.SetAssociatedData(header);
    ASSERT_TRUE(extractor->DecryptFile(Path("sealed"), Path("opened"), true, kPassphrase));
    EXPECT_EQ(Read(Path("opened")), kText);
}

TEST_F(XChaChaFiles, FailedDecryptionOrRefusedOverwriteKeepsTheOutput) {
    clsXChaCha20 cipher(kCheap);
    cipher.SetAssociatedData(HeaderFor(cipher.Salt()));
    Write(Path("empty"), "");
    ASSERT_TRUE(cipher.EncryptFile(Path("empty"), Path("sealed"), true, kPassphrase));
    EXPECT_EQ(fs::file_size(Path("sealed")), kXChaChaOverhead);

    Write(Path("out"), "still encrypted data");
    const Status wrong = clsXChaCha20(kCheap).DecryptFile(Path("sealed"), Path("out"), true, kPassphrase);
    ASSERT_FALSE(wrong);  // another object: another salt
    EXPECT_EQ(wrong.error().code, ErrorCode::WrongKey);
    EXPECT_EQ(Read(Path("out")), "still encrypted data");
    EXPECT_FALSE(cipher.DecryptFile(Path("sealed"), Path("out"), false, kPassphrase));
    EXPECT_EQ(Read(Path("out")), "still encrypted data");
    EXPECT_EQ(cipher.DecryptFile(Path("empty"), Path("out"), true, kPassphrase).error().code, ErrorCode::CorruptData);
    ASSERT_TRUE(cipher.DecryptFile(Path("sealed"), Path("out"), true, kPassphrase));
    EXPECT_EQ(fs::file_size(Path("out")), 0u);
}

}  // namespace
}  // namespace tarnwerk
