// The cipher table and the seals the workflows pick by the header's cipher byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "crypto/CipherTable.h"
#include "crypto/PayloadSeal.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const std::string& bytes) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        hex += kDigits[static_cast<uint8_t>(c) >> 4];
        hex += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return hex;
}

// The header as the engine lays it out: flags, cipher byte, 16-byte check field, extension.
std::string HeaderFor(uint8_t cipher, const std::string& checkValue) {
    return std::string{'\x02', static_cast<char>(cipher)} + checkValue + "txt     ";
}

TEST(CipherTable, StoredIndexNamesAndUnknownIndices) {
    std::vector<std::string> rows;
    for (const CipherDescriptor& cipher : CipherTable())
        rows.push_back(std::to_string(static_cast<int>(cipher.index)) + " " + cipher.cliName + " " +
                       cipher.displayName);
    EXPECT_EQ(rows, (std::vector<std::string>{"0 blowfish Blowfish", "1 rc4 RC4", "2 skipjack Skipjack", "3 tea TEA",
                                              "4 twofish Twofish", "5 xchacha20 XChaCha20-Poly1305"}));
    for (const int unknown : {6, 9, 200, 255})
        EXPECT_STREQ(DescribeCipher(static_cast<uint8_t>(unknown)).cliName, "blowfish");
}

// 100 bytes: a 12-byte envelope header, padded to the block (8 or 16 bytes); RC4 adds nothing;
// XChaCha20-Poly1305 adds its nonce and tag. Only Blowfish and XChaCha20 take an empty file.
TEST(PayloadSeal, SealedLengthsFromTheLayoutAlone) {
    const std::vector<int64_t> hundred = {112, 100, 112, 112, 112, 140};
    const std::vector<int64_t> empty = {16, -1, -1, -1, -1, 40};
    for (uint8_t index = 0; index < 6; ++index) {
        const auto seal = SealFor(index);
        EXPECT_EQ(*seal->SealedLength(100), hundred[index]) << int{index};
        const Result<int64_t> nothing = seal->SealedLength(0);
        if (empty[index] < 0) {
            EXPECT_EQ(nothing.error().code, ErrorCode::EmptyInput) << int{index};
        } else {
            EXPECT_EQ(*nothing, empty[index]) << int{index};
        }
    }
    EXPECT_EQ(SealFor(0)->SealedLength(int64_t{1} << 31).error().code, ErrorCode::TooLargeForFormat);
    EXPECT_FALSE(SealFor(1)->Randomised());
    EXPECT_TRUE(SealFor(2)->Randomised());
    EXPECT_TRUE(SealFor(5)->Randomised());
}

// Sealed and opened through the same interface whatever the cipher; a wrong passphrase is
// told apart from damage and never touches the output.
void CheckRoundTrip(uint8_t index) {
    test::TempDir dir;
    const Bytes plain = test::RandomBytes(1000, index);
    test::WriteFile(dir.File("plain"), plain);
    test::WriteFile(dir.File("out"), Bytes{'o', 'l', 'd'});
    const auto seal = SealFor(index);
    const Result<std::string> check = seal->NewCheckValue("Passphrase");
    ASSERT_TRUE(check);
    ASSERT_EQ(check->size(), 16u);
    const std::string header = HeaderFor(index, *check);
    ASSERT_TRUE(seal->Seal(dir.File("plain"), dir.File("sealed"), {"Passphrase", *check, header}));
    EXPECT_EQ(static_cast<int64_t>(test::ReadFile(dir.File("sealed")).size()), *seal->SealedLength(1000));

    const Status wrong = SealFor(index)->Open(dir.File("sealed"), dir.File("out"), {"Passphrasf", *check, header});
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().code, ErrorCode::WrongKey);
    EXPECT_EQ(test::ReadFile(dir.File("out")), (Bytes{'o', 'l', 'd'}));
    ASSERT_TRUE(SealFor(index)->Open(dir.File("sealed"), dir.File("out"), {"Passphrase", *check, header}));
    EXPECT_EQ(test::ReadFile(dir.File("out")), plain);
}

TEST(PayloadSeal, EnvelopeCiphersRoundTripAndRefuseAWrongPassphrase) {
    for (uint8_t index = 0; index < 5; ++index) {
        SCOPED_TRACE(int{index});
        CheckRoundTrip(index);
    }
}

TEST(PayloadSeal, EnvelopeKeepsThePassphraseDigestAndTellsDamageFromAWrongKey) {
    // MD5 of "Tarnwerk" (plain RFC 1321 for so short a text) as the header stores it.
    EXPECT_EQ(Hex(PassphraseDigest("Tarnwerk")), "E8E40906030A3059CE00BED663E55958");
    test::TempDir dir;
    test::WriteFile(dir.File("cut"), Bytes(20, 7));  // no whole number of blocks
    test::WriteFile(dir.File("out"), Bytes{'o', 'l', 'd'});
    const std::string digest = PassphraseDigest("Tarnwerk");
    const Status damaged = SealFor(0)->Open(dir.File("cut"), dir.File("out"), {"Tarnwerk", digest, {}});
    ASSERT_FALSE(damaged);
    EXPECT_EQ(damaged.error().code, ErrorCode::CorruptData);
    EXPECT_EQ(test::ReadFile(dir.File("out")), (Bytes{'o', 'l', 'd'}));
}

// The authenticated seal keys itself from the salt in the check field and binds the header.
TEST(PayloadSeal, AuthenticatedSealBindsTheHeaderAndTakesItsSaltFromTheCheckField) {
    CheckRoundTrip(5);
    test::TempDir dir;
    test::WriteFile(dir.File("plain"), Bytes(64, 'x'));
    const auto seal = SealFor(5);
    const std::string salt = *seal->NewCheckValue("Passphrase");
    EXPECT_NE(*seal->NewCheckValue("Passphrase"), salt);  // a fresh salt every time
    const std::string header = HeaderFor(5, salt);
    ASSERT_TRUE(seal->Seal(dir.File("plain"), dir.File("sealed"), {"Passphrase", salt, header}));
    std::string changed = header;
    changed.back() = 'x';  // another extension
    EXPECT_EQ(seal->Open(dir.File("sealed"), dir.File("out"), {"Passphrase", salt, changed}).error().code,
              ErrorCode::WrongKey);
    EXPECT_EQ(seal->Open(dir.File("sealed"), dir.File("out"), {"Passphrase", "short", header}).error().code,
              ErrorCode::CorruptData);
}

// Progress of one seal or open, with the key derivation marked where the caller's hook ran.
struct Recorder {
    std::vector<std::string> events;

    SealCallbacks Callbacks() {
        SealCallbacks callbacks;
        callbacks.progress = [this](int percent) { events.push_back(std::to_string(percent)); };
        callbacks.deriveKey = [this](const std::function<Status()>& derive) {
            events.push_back("derive");
            const Status derived = derive();
            events.push_back("derived");
            return derived;
        };
        return callbacks;
    }
};

void CheckReports(uint8_t index, const std::vector<std::string>& events) {
    const bool derives = index == 5;  // only the authenticated seal has a key to derive
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(std::count(events.begin(), events.end(), "derive"), derives ? 1 : 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), "derived"), derives ? 1 : 0);
    if (derives) {
        EXPECT_EQ(events.front(), "derive");  // framed ahead of the file work
    }
    EXPECT_EQ(events.back(), "100");
}

// Paths of a fresh folder holding a plain file of several chunks.
struct Files {
    explicit Files(uint8_t index) { test::WriteFile(plain(), test::RandomBytes(300000, index)); }
    std::string plain() const { return dir.File("plain"); }
    std::string sealed() const { return dir.File("sealed"); }
    std::string out() const { return dir.File("out"); }
    test::TempDir dir;
};

// Runs check once per cipher with that cipher's seal and a key for it.
void ForEveryCipher(const std::function<void(uint8_t, PayloadSeal&, const SealKey&)>& check) {
    for (uint8_t index = 0; index < 6; ++index) {
        SCOPED_TRACE(int{index});
        const auto seal = SealFor(index);
        const std::string checkValue = *seal->NewCheckValue("Passphrase");
        const std::string header = HeaderFor(index, checkValue);
        check(index, *seal, {"Passphrase", checkValue, header});
    }
}

TEST(PayloadSeal, EverySealReportsProgressAndFramesOnlyARealKeyDerivation) {
    ForEveryCipher([](uint8_t index, PayloadSeal& seal, const SealKey& key) {
        const Files files(index);
        Recorder sealing;
        ASSERT_TRUE(seal.Seal(files.plain(), files.sealed(), key, sealing.Callbacks()));
        CheckReports(index, sealing.events);
        Recorder opening;
        ASSERT_TRUE(seal.Open(files.sealed(), files.out(), key, opening.Callbacks()));
        CheckReports(index, opening.events);
        EXPECT_EQ(test::ReadFile(files.out()), test::ReadFile(files.plain()));
    });
}

struct Stopped {};

// A caller stops a seal by throwing from its progress report once the work has begun: the
// output stays as it was and no partial file is left beside it.
TEST(PayloadSeal, AThrowingProgressReportStopsTheWorkAndLeavesTheOutputAlone) {
    ForEveryCipher([](uint8_t index, PayloadSeal& seal, const SealKey& key) {
        const Files files(index);
        ASSERT_TRUE(seal.Seal(files.plain(), files.sealed(), key));
        test::WriteFile(files.out(), Bytes{'o', 'l', 'd'});
        SealCallbacks stopping;
        stopping.progress = [](int percent) {
            if (percent > 0) throw Stopped{};
        };
        EXPECT_THROW(seal.Seal(files.plain(), files.out(), key, stopping), Stopped);
        EXPECT_EQ(test::ReadFile(files.out()), (Bytes{'o', 'l', 'd'}));
        EXPECT_THROW(seal.Open(files.sealed(), files.out(), key, stopping), Stopped);
        EXPECT_EQ(test::ReadFile(files.out()), (Bytes{'o', 'l', 'd'}));
        EXPECT_EQ(files.dir.Entries(), (std::vector<std::string>{"out", "plain", "sealed"}));
    });
}

}  // namespace
}  // namespace tarnwerk
