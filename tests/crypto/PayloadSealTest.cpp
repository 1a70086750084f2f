// The cipher table and the seals the workflows pick by the header's cipher byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "crypto/CipherTable.h"
#include "crypto/PayloadSeal.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using Bytes = std::vector<uint8_t>;

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

// Each cipher's row: 100 bytes seal into a 12-byte envelope header plus data padded to the
// block (8 or 16 bytes); RC4 adds nothing; XChaCha20-Poly1305 adds its nonce and tag. Only
// Blowfish and XChaCha20 take an empty file (-1: refused as empty).
struct SealRow {
    const char* name;
    uint8_t index;
    int64_t hundred, empty;
    bool randomised;
};
const SealRow kSeals[] = {{"Blowfish", 0, 112, 16, true}, {"Rc4", 1, 100, -1, false},
                          {"Skipjack", 2, 112, -1, true}, {"Tea", 3, 112, -1, true},
                          {"Twofish", 4, 112, -1, true},  {"XChaCha20", 5, 140, 40, true}};
void PrintTo(const SealRow& row, std::ostream* out) { *out << row.name; }

class EverySeal : public ::testing::TestWithParam<SealRow> {
protected:
    // A seal of this row's cipher and a key for it.
    void SetUp() override {
        seal_ = SealFor(GetParam().index);
        checkValue_ = *seal_->NewCheckValue("Passphrase");
        header_ = HeaderFor(GetParam().index, checkValue_);
    }
    SealKey Key(std::string_view passphrase = "Passphrase") const { return {passphrase, checkValue_, header_}; }
    std::unique_ptr<PayloadSeal> seal_;
    std::string checkValue_, header_;
};
INSTANTIATE_TEST_SUITE_P(Ciphers, EverySeal, ::testing::ValuesIn(kSeals),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_P(EverySeal, SealedLengthFollowsTheLayoutAlone) {
    const SealRow& row = GetParam();
    EXPECT_EQ(*seal_->SealedLength(100), row.hundred);
    const Result<int64_t> nothing = seal_->SealedLength(0);
    if (row.empty < 0) {
        EXPECT_EQ(nothing.error().code, ErrorCode::EmptyInput);
    } else {
        EXPECT_EQ(*nothing, row.empty);
    }
    EXPECT_EQ(seal_->Randomised(), row.randomised);
}

// Sealed and opened through the same interface whatever the cipher; a wrong passphrase is
// told apart from damage and never touches the output.
TEST_P(EverySeal, RoundTripsAndRefusesAWrongPassphrase) {
    test::TempDir dir;
    const Bytes plain = test::RandomBytes(1000, GetParam().index);
    test::WriteFile(dir.File("plain"), plain);
    test::WriteFile(dir.File("out"), Bytes{'o', 'l', 'd'});
    ASSERT_EQ(checkValue_.size(), 16u);
    ASSERT_TRUE(seal_->Seal(dir.File("plain"), dir.File("sealed"), Key()));
    EXPECT_EQ(static_cast<int64_t>(test::ReadFile(dir.File("sealed")).size()), *seal_->SealedLength(1000));

    const Status wrong = SealFor(GetParam().index)->Open(dir.File("sealed"), dir.File("out"), Key("Passphrasf"));
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error().code, ErrorCode::WrongKey);
    EXPECT_EQ(test::ReadFile(dir.File("out")), (Bytes{'o', 'l', 'd'}));
    ASSERT_TRUE(SealFor(GetParam().index)->Open(dir.File("sealed"), dir.File("out"), Key()));
    EXPECT_EQ(test::ReadFile(dir.File("out")), plain);
}

TEST(PayloadSeal, EnvelopeRefusesWhatItsSizeFieldCannotHold) {
    EXPECT_EQ(SealFor(0)->SealedLength(int64_t{1} << 31).error().code, ErrorCode::TooLargeForFormat);
}

// MD5 of "Tarnwerk" (plain RFC 1321 for so short a text) as the header stores it.
TEST(PayloadSeal, PassphraseDigestIsTheStoredMd5) {
    EXPECT_EQ(PassphraseDigest("Tarnwerk"),
              std::string("\xE8\xE4\x09\x06\x03\x0A\x30\x59\xCE\x00\xBE\xD6\x63\xE5\x59\x58", 16));
}

TEST(PayloadSeal, EnvelopeOfNoWholeBlocksIsDamageNotAWrongKey) {
    test::TempDir dir;
    test::WriteFile(dir.File("cut"), Bytes(20, 7));
    test::WriteFile(dir.File("out"), Bytes{'o', 'l', 'd'});
    const std::string digest = PassphraseDigest("Tarnwerk");
    const Status damaged = SealFor(0)->Open(dir.File("cut"), dir.File("out"), {"Tarnwerk", digest, {}});
    ASSERT_FALSE(damaged);
    EXPECT_EQ(damaged.error().code, ErrorCode::CorruptData);
    EXPECT_EQ(test::ReadFile(dir.File("out")), (Bytes{'o', 'l', 'd'}));
}

// The authenticated seal keys itself from the salt in the check field and binds the header.
TEST(PayloadSeal, AuthenticatedSealBindsTheHeaderAndTakesItsSaltFromTheCheckField) {
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

TEST_P(EverySeal, ReportsProgressAndFramesOnlyARealKeyDerivation) {
    const Files files(GetParam().index);
    Recorder sealing;
    ASSERT_TRUE(seal_->Seal(files.plain(), files.sealed(), Key(), sealing.Callbacks()));
    CheckReports(GetParam().index, sealing.events);
    Recorder opening;
    ASSERT_TRUE(seal_->Open(files.sealed(), files.out(), Key(), opening.Callbacks()));
    CheckReports(GetParam().index, opening.events);
    EXPECT_EQ(test::ReadFile(files.out()), test::ReadFile(files.plain()));
}

struct Stopped {};

// A caller stops a seal by throwing from its progress report once the work has begun: the
// output stays as it was and no partial file is left beside it.
TEST_P(EverySeal, AThrowingProgressReportStopsTheWorkAndLeavesTheOutputAlone) {
    const Files files(GetParam().index);
    ASSERT_TRUE(seal_->Seal(files.plain(), files.sealed(), Key()));
    test::WriteFile(files.out(), Bytes{'o', 'l', 'd'});
    SealCallbacks stopping;
    stopping.progress = [](int percent) {
        if (percent > 0) throw Stopped{};
    };
    EXPECT_THROW(seal_->Seal(files.plain(), files.out(), Key(), stopping), Stopped);
    EXPECT_EQ(test::ReadFile(files.out()), (Bytes{'o', 'l', 'd'}));
    EXPECT_THROW(seal_->Open(files.sealed(), files.out(), Key(), stopping), Stopped);
    EXPECT_EQ(test::ReadFile(files.out()), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(files.dir.Entries(), (std::vector<std::string>{"out", "plain", "sealed"}));
}

}  // namespace
}  // namespace tarnwerk
