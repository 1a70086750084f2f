// Hidden payloads that lie about themselves (a wrong compressed size, block-cipher data of a
// length no block cipher writes, a cipher byte outside the table, a check value that does not
// match), fed through the extract workflow: it returns the data or fails with a message, never
// reports success over damaged output, and leaves no scratch file behind.
#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

#include "app/AppFakes.h"
#include "compression/clsZlib.h"
#include "config/Helpers.h"
#include "crypto/Cipher.h"
#include "crypto/clsMD5.h"
#include "fuzz/HiddenStream.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using fuzz::kCompressedFlag;
using fuzz::kEncryptedFlag;
using test::Bytes;

constexpr int kSuccessExtractId = 430, kBits = 2, kPassphraseTries = 3;
constexpr size_t kCarrierBytes = 64 * 1024;
constexpr int16_t kLevel = 9;
constexpr uint8_t kRc4 = 1, kTea = 3, kTwofish = 4;
constexpr uint8_t kOutsideTable = 7;  // the class table falls back to Blowfish
const char* const kPassphrase = "correct horse battery";

Bytes Plain() {
    const std::string text = "Meet at the north gate on Tuesday; bring the second key.\n";
    Bytes data;
    for (int i = 0; i < 20; ++i) data.insert(data.end(), text.begin(), text.end());
    return data;
}

std::string DigestOf(const std::string& passphrase) { return HexToBin(clsMD5().DigestStrToHexStr(passphrase)); }

// Size field, then the zlib stream: the stored compressed format.
Bytes Compressed(const Bytes& plain, std::optional<int32_t> statedSize = std::nullopt) {
    std::vector<uint8_t> stream = plain;
    clsZlib zlib;
    EXPECT_EQ(zlib.CompressByteArray(stream, kLevel), 0);
    stream.insert(stream.begin(), 4, 0);
    test::PutLe32(stream, 0, statedSize.value_or(static_cast<int32_t>(plain.size())));
    return stream;
}

Bytes Encrypted(uint8_t cipher, const Bytes& plain, const std::string& passphrase = kPassphrase) {
    std::vector<uint8_t> data = plain;
    CreateCipher(cipher)->EncryptByte(data, MakeKey(DigestOf(passphrase)));
    return data;
}

Bytes Cut(Bytes bytes, size_t drop) { return Bytes(bytes.begin(), bytes.end() - static_cast<ptrdiff_t>(drop)); }

struct PayloadCase {
    std::string name;
    uint8_t flags = 0;
    uint8_t cipher = 255;
    Bytes data;                                  // as stored in the carrier
    bool returnsPlain = false;                   // true: the extraction succeeds with Plain()
    std::string checkPassphrase = kPassphrase;  // whose digest the header keeps
};

std::ostream& operator<<(std::ostream& out, const PayloadCase& row) { return out << row.name; }

std::vector<PayloadCase> PayloadCases() {
    const Bytes plain = Plain(), packed = Compressed(plain);
    const uint8_t both = kCompressedFlag | kEncryptedFlag;
    return {
        {"PlainData", 0, 255, plain, true},
        {"CompressedData", kCompressedFlag, 255, packed, true},
        {"CompressedSizeClaimsTooLittle", kCompressedFlag, 255, Compressed(plain, 10)},
        {"CompressedSizeHuge", kCompressedFlag, 255, Compressed(plain, INT32_MAX)},
        {"CompressedStreamCutShort", kCompressedFlag, 255, Cut(packed, 9)},
        {"CompressedFlagOverPlainData", kCompressedFlag, 255, plain},
        {"Rc4Compressed", both, kRc4, Encrypted(kRc4, packed), true},
        {"BlowfishByCipherByteOutsideTable", kEncryptedFlag, kOutsideTable, Encrypted(0, plain), true},
        {"CipherByteOutsideTableOverTeaData", both, kOutsideTable, Encrypted(kTea, packed)},
        {"BlowfishCutOffBlock", kEncryptedFlag, 0, Cut(Encrypted(0, plain), 3)},
        {"TeaMissingLastBlock", kEncryptedFlag, kTea, Cut(Encrypted(kTea, plain), 8)},
        {"TwofishShorterThanABlock", kEncryptedFlag, kTwofish, Bytes(7, 0x33)},
        {"EncryptedButEmpty", kEncryptedFlag, kTea, {}},
        {"Rc4UnderAnotherKeyFailsToDecompress", both, kRc4, Encrypted(kRc4, packed, "another passphrase")},
        {"CheckValueOfAnotherPassphrase", kEncryptedFlag, kRc4, Encrypted(kRc4, plain), false, "another passphrase"},
    };
}

class HostilePayloadTest : public test::AppTest, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(HostilePayloadTest, ExtractionReturnsTheDataOrFailsWithAMessage) {
    const PayloadCase& row = GetParam();
    const fuzz::StreamParts parts{.flags = row.flags, .cipher = row.cipher,
                                  .checkValue = row.flags & kEncryptedFlag ? DigestOf(row.checkPassphrase) : "", .data = row.data};
    Bytes carrier = test::RandomBytes(kCarrierBytes, 17);
    ASSERT_TRUE(fuzz::EmbedStream(carrier, 0, fuzz::BuildStream(parts), kBits));
    const std::string carrierPath = dir.File("holiday.raw");
    test::WriteFile(carrierPath, carrier);
    session.settings.ResetOnEnd = 0;
    session.bitsPerByte = kBits;
    ui.passphrases.assign(kPassphraseTries, std::string(kPassphrase));
    ui.answers.assign(kPassphraseTries, MessageAnswer::Retry);
    ASSERT_TRUE(commands.LoadCarrier(carrierPath)) << ui.Transcript();
    const std::string out = dir.File("letter.txt");
    commands.SetDataFile(out);
    const bool extracted = commands.Extract();

    const std::string transcript = ui.Transcript();
    const bool successShown = transcript.find(test::En(kSuccessExtractId)) != std::string::npos;
    EXPECT_EQ(test::ReadFile(carrierPath), carrier) << "extraction changed the carrier";
    for (const auto& name : dir.Entries())
        EXPECT_TRUE(name == "holiday.raw" || name == "letter.txt" || name == "tarnwerk.ini") << name << " left behind";
    if (row.returnsPlain) {
        ASSERT_TRUE(extracted) << transcript;
        EXPECT_TRUE(successShown) << transcript;
        EXPECT_EQ(test::ReadFile(out), Plain());
        return;
    }
    EXPECT_FALSE(extracted) << "damaged payload reported as extracted:\n" << transcript;
    EXPECT_FALSE(successShown) << transcript;
    EXPECT_TRUE(std::any_of(ui.messages.begin(), ui.messages.end(), [](const Message& m) {
        return m.icon == MessageIcon::Critical || m.icon == MessageIcon::Exclamation;
    })) << "the failure was not reported:\n" << transcript;
}

INSTANTIATE_TEST_SUITE_P(Table, HostilePayloadTest, ::testing::ValuesIn(PayloadCases()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace tarnwerk
