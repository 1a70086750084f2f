// Hostile carrier files: the verdict, what extraction returns, and that a hide into whatever
// was accepted stays inside the file and reads back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "fuzz/HiddenStream.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {
namespace {

using fuzz::kEncryptedFlag;
using test::Bytes;
using V = CarrierVerdict;
namespace bmp = test::bmp;

constexpr int kHideBits = 2;

struct HostileFile {
    std::string name = "carrier.bmp";
    Bytes bytes = {};
};
struct HostileCase {
    std::string name;
    HostileFile file;
    std::optional<V> verdict = {};                   // nullopt: any rejection
    std::optional<int64_t> dataSize = {};            // nullopt: no data found
    std::optional<uint8_t> cipher = {}, flags = {};  // the header's bytes, when checked
    std::optional<ErrorCode> hideRefusal = {};       // every hide is refused with this
};
std::ostream& operator<<(std::ostream& out, const HostileCase& row) { return out << row.name; }

Bytes Bmp(int bitCount = 24, bool topDown = false, int32_t side = 16) {
    return test::BitmapBytes(side, side, bitCount, topDown, 7);
}
HostileFile Set(size_t offset, int32_t value, Bytes base = Bmp()) {
    test::PutLe32(base, offset, value);
    return {"carrier.bmp", std::move(base)};
}
HostileFile Depth(uint16_t bitCount, int32_t compression = 0) {
    Bytes bytes = Bmp(bitCount);
    test::PutLe16(bytes, bmp::kBitCount, bitCount);
    return Set(bmp::kCompression, compression, std::move(bytes));
}
Bytes Plain(size_t size) { return test::RandomBytes(size, static_cast<uint32_t>(size) + 3); }
fuzz::StreamParts Parts(Bytes data, uint8_t flags = 0, uint8_t cipher = 255, bool end = true) {
    const std::string check = flags & kEncryptedFlag ? std::string(16, '\x5a') : "";
    return {.flags = flags, .cipher = cipher, .checkValue = check, .data = std::move(data), .endMarker = end};
}
// cut > 0: only that much of the stream, in a carrier with room for exactly that much.
HostileFile Raw(size_t length, int bits, const fuzz::StreamParts& parts, size_t cut = 0) {
    Bytes stream = fuzz::BuildStream(parts), carrier = test::RandomBytes(cut > 0 ? cut * 4 + 1 : length, 11);
    if (cut > 0) stream.resize(cut);
    fuzz::EmbedStream(carrier, 0, stream, bits);
    return {"carrier.raw", std::move(carrier)};
}
HostileFile InBmp(Bytes carrier, int bits, const fuzz::StreamParts& parts) {
    fuzz::EmbedStream(carrier, static_cast<size_t>(test::GetLe32(carrier, bmp::kDataOffset)), fuzz::BuildStream(parts),
                      bits);
    return {"carrier.bmp", std::move(carrier)};
}

// An 8-bit bitmap whose colour table holds only the 19 colours it uses, as Pillow writes them.
Bytes ShortPalette() {
    Bytes bytes = Bmp(8, false, 32);
    const auto kept = static_cast<std::ptrdiff_t>(test::kBmpHeaders + 19 * 4);
    bytes.erase(bytes.begin() + kept, bytes.begin() + test::kBmpHeaders + test::kPaletteBytes8);
    test::PutLe32(bytes, bmp::kFileSize, static_cast<int32_t>(bytes.size()));
    test::PutLe32(bytes, bmp::kDataOffset, static_cast<int32_t>(kept));
    test::PutLe32(bytes, 46, 19);  // biClrUsed
    return bytes;
}

std::vector<HostileCase> HostileCases() {
    const Bytes bmp24 = Bmp(), data40 = Plain(40), word = {'a', 'b', 'c', '~', 'h', 'T', 'w', 'K', 'l', 'o', '~', 'd'};
    const auto length = static_cast<int32_t>(bmp24.size());
    Bytes cut = bmp24, absurd = bmp24, signatureBA = bmp24;
    cut.resize(53);
    test::PutLe32(absurd, bmp::kHeight, INT32_MIN);
    signatureBA[1] = 'A';
    return {
        {"HeaderCutShortOfPixels", {"carrier.bmp", cut}},
        {"NegativePixelOffset", Set(bmp::kDataOffset, -54), V::NotValid},
        {"PixelOffsetInsideHeaders", Set(bmp::kDataOffset, 53), V::NotValid},
        {"PixelOffsetNearFileEnd", Set(bmp::kDataOffset, length - 9), V::Bitmap},
        {"NegativePictureSize", Set(bmp::kImageSize, -768), V::NotValid},
        {"HugePictureSize", Set(bmp::kImageSize, INT32_MAX), V::Bitmap},
        {"HugeStatedFileSize", Set(bmp::kFileSize, INT32_MAX), V::Bitmap},
        {"ZeroInfoHeaderSize", Set(bmp::kHeaderSize, 0), V::NotValid},
        {"AbsurdDimensions", Set(bmp::kWidth, INT32_MAX, absurd), V::Bitmap},
        {"SixteenBitBitmap", Depth(16), V::UnsupportedDepth},
        {"RunLength8", Depth(8, 1), V::Compressed},
        {"SignatureBA", {"carrier.bmp", signatureBA}, V::NotValid},
        {"BitmapNamedPng", {"carrier.png", Bmp()}, V::NotValid},
        {"EmptyRaw", {"carrier.raw", {}}, V::NotValid},
        {"OneByteRaw", {"carrier.raw", {0x41}}, V::Raw},
        {"StreamAtOneBit", Raw(1001, 1, Parts(data40)), V::Raw, 40},
        {"StreamInPalettedBitmap", InBmp(Bmp(8, false, 32), 1, Parts(Plain(80))), V::Bitmap, 80},
        // Without end marker everything up to the end of the area is the data: 250 - 18.
        {"BeginMarkerWithoutEndMarker", Raw(1001, 2, Parts(data40, 0, 255, false)), V::Raw, 232},
        {"BeginMarkerOnly", Raw(0, 2, Parts({}), 8), V::Raw},
        {"EncryptedTooShortForCheckValue", Raw(0, 2, Parts(data40, kEncryptedFlag, 1), 20), V::Raw},
        {"CipherByteOutsideTable", Raw(1001, 2, Parts(data40, kEncryptedFlag, 7)), V::Raw, 40, uint8_t{7},
         kEncryptedFlag},
        {"EndMarkerInsideData", Raw(1001, 2, Parts(word)), V::Raw, 3},
        {"ShortColourTable",
         InBmp(ShortPalette(), 1, Parts(Plain(80))),
         V::Bitmap,
         80,
         {},
         {},
         ErrorCode::ShortColourTable},
    };
}
class HostileCarrierTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileCarrierTest, GetsItsVerdictReadsSafelyAndHidesInside) {
    const HostileCase& row = GetParam();
    const HostileFile& file = row.file;
    const test::TempDir dir;
    const std::string path = dir.File(file.name), out = dir.File("out.bin");
    test::WriteFile(path, file.bytes);

    const CarrierAnalysis analysis = AnalyseCarrier(path);
    EXPECT_TRUE(row.verdict ? analysis.verdict == *row.verdict : !analysis.accepted())
        << "verdict " << static_cast<int>(analysis.verdict);
    if (!analysis.accepted()) {
        EXPECT_FALSE(analysis.facts.IsLoaded()) << "a rejected file stays the loaded carrier";
        return;
    }
    const CarrierFacts& facts = analysis.facts;
    EXPECT_LE(facts.fileSize, facts.realLength) << "carrier area reaches past the file";
    EXPECT_LE(int64_t{facts.dataOffset} + facts.imageSize, facts.fileSize) << "picture reaches past the area";

    const auto extracted = ExtractPayload(facts, kHideBits, out);
    if (row.dataSize) {
        ASSERT_TRUE(extracted.ok()) << "error " << static_cast<int>(extracted.error().code);
        EXPECT_EQ(extracted->size, *row.dataSize);
        EXPECT_EQ(static_cast<int64_t>(test::ReadFile(out).size()), *row.dataSize);
        EXPECT_EQ(row.cipher.value_or(extracted->header.cipher), extracted->header.cipher);
        EXPECT_EQ(row.flags.value_or(extracted->header.flags), extracted->header.flags);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{file.name, "out.bin"}));
        ::unlink(out.c_str());
    } else {
        ASSERT_FALSE(extracted.ok()) << "found " << extracted->size << " bytes";
        EXPECT_EQ(extracted.error().code, ErrorCode::NoDataFound);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{file.name}) << "a failed extraction left a file";
    }
    ASSERT_EQ(test::ReadFile(path), file.bytes) << "reading changed the carrier";

    PayloadSource source{.path = dir.File("payload.bin"),
                         .size = static_cast<int64_t>(file.bytes.size()),
                         .checkValue = "",
                         .extension = "bin"};
    test::WriteFile(source.path, Plain(file.bytes.size()));
    const Status refused = HidePayload(facts, kHideBits, source);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, row.hideRefusal.value_or(ErrorCode::PayloadTooLarge));
    EXPECT_EQ(test::ReadFile(path), file.bytes) << "a refused hide changed the carrier";

    const int64_t room = int64_t{facts.imageSize} * kHideBits / 8 - fuzz::kStreamPrefixPlain - 2 * 8;
    if (room < 1) return;
    const Bytes data = Plain(static_cast<size_t>(std::min<int64_t>(room, 100)));
    source.size = static_cast<int64_t>(data.size());
    test::WriteFile(source.path, data);
    const Status hidden = HidePayload(facts, kHideBits, source);
    if (row.hideRefusal) {
        ASSERT_FALSE(hidden.ok());
        EXPECT_EQ(hidden.error().code, *row.hideRefusal);
        EXPECT_EQ(test::ReadFile(path), file.bytes) << "a refused hide changed the carrier";
        return;
    }
    ASSERT_TRUE(hidden.ok());

    const Bytes after = test::ReadFile(path);
    ASSERT_EQ(after.size(), file.bytes.size()) << "hiding changed the file's length";
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + facts.dataOffset, file.bytes.begin())) << "header changed";
    const CarrierAnalysis again = AnalyseCarrier(path);
    ASSERT_EQ(again.verdict, analysis.verdict) << "hiding made the carrier unloadable";
    ASSERT_TRUE(ExtractPayload(again.facts, kHideBits, out).ok());
    EXPECT_EQ(test::ReadFile(out), data);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileCarrierTest, ::testing::ValuesIn(HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& row) { return row.param.name; });

}  // namespace
}  // namespace tarnwerk
