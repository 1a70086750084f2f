// Hostile carrier files and what becomes of them: the verdict of the analysis, what
// extraction returns, and that hiding into whatever was accepted stays inside the file and
// can be read back. One row per input; the rows are the test.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>

#include <gtest/gtest.h>

#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "fuzz/HiddenStream.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"

namespace tarnwerk {

void PrintTo(CarrierVerdict verdict, std::ostream* out) {
    *out << std::array{"Bitmap", "Raw", "NotValid", "Compressed", "UnsupportedDepth"}[static_cast<size_t>(verdict)];
}

namespace {

using fuzz::BuildStream;
using fuzz::EmbedStream;
using fuzz::kEncryptedFlag;
using fuzz::StreamParts;
using test::Bytes;
using V = CarrierVerdict;
namespace bmp = test::bmp;

constexpr int kHideBits = 2;
constexpr int64_t kHideProbeBytes = 100;

struct HostileFile {
    std::string name = "carrier.bmp";
    Bytes bytes = {};
    int64_t sparseLength = 0;  // > 0: the file is extended with a hole to this length
    bool folder = false;       // a folder of that name instead of a file
};

struct HostileCase {
    std::string name;
    HostileFile file;
    std::optional<V> verdict = {};              // nullopt: any of the three rejections
    std::optional<int64_t> dataSize = {};       // accepted: extraction returns this many bytes; nullopt: no data
    std::optional<uint8_t> cipher = {}, flags = {};  // the header's bytes, when checked
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
    Bytes bytes = Bmp(bitCount > 0 ? bitCount : 24);
    test::PutLe16(bytes, bmp::kBitCount, bitCount);
    return Set(bmp::kCompression, compression, std::move(bytes));
}
Bytes Plain(size_t size) { return test::RandomBytes(size, static_cast<uint32_t>(size) + 3); }
StreamParts Parts(Bytes data, uint8_t flags = 0, uint8_t cipher = 255, bool end = true) {
    const std::string check = flags & kEncryptedFlag ? std::string(16, '\x5a') : "";
    return {.flags = flags, .cipher = cipher, .checkValue = check, .data = std::move(data), .endMarker = end};
}
// A RAW carrier of length bytes with the stream (cut to cut bytes when given) in its low bits.
HostileFile Raw(size_t length, int bits, const StreamParts& parts, size_t cut = 0) {
    Bytes stream = BuildStream(parts);
    if (cut > 0) stream.resize(cut);
    Bytes carrier = test::RandomBytes(length, 11);
    EmbedStream(carrier, 0, stream, bits);
    return {"carrier.raw", std::move(carrier)};
}
// Room for exactly stream bytes of the stream: the reading loops never reach the last byte.
HostileFile RawCut(size_t stream, const StreamParts& parts) { return Raw(stream * 4 + 1, 2, parts, stream); }
HostileFile InBmp(Bytes carrier, int bits, const StreamParts& parts) {
    EmbedStream(carrier, static_cast<size_t>(test::GetLe32(carrier, bmp::kDataOffset)), BuildStream(parts), bits);
    return {"carrier.bmp", std::move(carrier)};
}

std::vector<HostileCase> HostileCases() {
    std::vector<HostileCase> rows;
    for (int cut : {6, 14, 53}) {  // inside the file header, after it, one byte short of the pixels
        Bytes bytes = Bmp();
        bytes.resize(static_cast<size_t>(cut));
        rows.push_back({"HeaderCutTo" + std::to_string(cut), {"carrier.bmp", bytes}});
    }
    const Bytes bmp24 = Bmp(), data40 = Plain(40), word = {'a', 'b', 'c', '~', 'h', 'T', 'w', 'K', 'l', 'o', '~', 'd'};
    const auto length = static_cast<int32_t>(bmp24.size());
    Bytes absurd = bmp24, signatureBA = bmp24, wrongStream = BuildStream(Parts(Plain(10)));
    Bytes wrongCarrier = test::RandomBytes(1001, 5);
    test::PutLe32(absurd, bmp::kHeight, INT32_MIN);
    signatureBA[1] = 'A';
    wrongStream[2] = 't';
    EmbedStream(wrongCarrier, 0, wrongStream, 2);
    rows.insert(rows.end(), {
        {"NegativePixelOffset", Set(bmp::kDataOffset, -54), V::NotValid},
        {"HugePixelOffset", Set(bmp::kDataOffset, INT32_MAX), V::NotValid},
        {"PixelOffsetAtFileEnd", Set(bmp::kDataOffset, length), V::NotValid},
        {"PixelOffsetInsideHeaders", Set(bmp::kDataOffset, 53), V::NotValid},
        {"PixelOffsetNearFileEnd", Set(bmp::kDataOffset, length - 9), V::Bitmap},
        {"NegativePictureSize", Set(bmp::kImageSize, -768), V::NotValid},
        {"HugePictureSize", Set(bmp::kImageSize, INT32_MAX), V::Bitmap},
        {"PictureSizeZeroIsRepaired", Set(bmp::kImageSize, 0), V::Bitmap},
        {"HugeStatedFileSize", Set(bmp::kFileSize, INT32_MAX), V::Bitmap},
        {"NegativeStatedFileSize", Set(bmp::kFileSize, -1), V::NotValid},
        {"StatedFileSizeShort", Set(bmp::kFileSize, test::kBmpHeaders + 40), V::Bitmap},
        {"ZeroInfoHeaderSize", Set(bmp::kHeaderSize, 0), V::NotValid},
        {"AbsurdDimensions", Set(bmp::kWidth, INT32_MAX, absurd), V::Bitmap},
        {"ZeroBitBitmap", Depth(0), V::UnsupportedDepth},
        {"FourBitBitmap", Depth(4), V::UnsupportedDepth},
        {"SixteenBitBitmap", Depth(16), V::UnsupportedDepth},
        {"ThirtyTwoBitBitmap", Depth(32), V::UnsupportedDepth},
        {"RunLength8", Depth(8, 1), V::Compressed},
        {"BitFields32", Depth(32, 3), V::Compressed},
        {"TopDown8", {"carrier.bmp", Bmp(8, true)}, V::Bitmap},
        {"SignatureBA", {"carrier.bmp", signatureBA}, V::NotValid},
        {"BitmapNamedPng", {"carrier.png", Bmp()}, V::NotValid},
        {"DotInFolderOnly", {"x.bmp", {}, 0, true}, V::NotValid},
        {"EmptyRaw", {"carrier.raw", {}}, V::NotValid},
        {"OneByteRaw", {"carrier.raw", {0x41}}, V::Raw},
        {"BitmapBeyondInt32", {"big.bmp", Bmp(), int64_t{3} << 30}, V::NotValid},
        {"StreamAtOneBit", Raw(1001, 1, Parts(data40)), V::Raw, 40},
        {"StreamInTopDownBitmap", InBmp(Bmp(24, true), 2, Parts(data40)), V::Bitmap, 40},
        {"StreamInPalettedBitmap", InBmp(Bmp(8, false, 32), 1, Parts(Plain(80))), V::Bitmap, 80},
        {"EmptyData", Raw(1001, 2, Parts({})), V::Raw, 0},
        // Without end marker everything up to the end of the area is the data: 250 - 18.
        {"BeginMarkerWithoutEndMarker", Raw(1001, 2, Parts(data40, 0, 255, false)), V::Raw, 232},
        {"BeginMarkerOnly", RawCut(8, Parts({})), V::Raw},
        {"HeaderEndsWhereDataWouldStart", RawCut(18, Parts(data40)), V::Raw, 0},
        {"EncryptedTooShortForCheckValue", RawCut(20, Parts(data40, kEncryptedFlag, 1)), V::Raw},
        {"CipherByteOutsideTable", Raw(1001, 2, Parts(data40, kEncryptedFlag, 7)), V::Raw, 40, uint8_t{7}, kEncryptedFlag},
        {"UnknownFlagBits", Raw(1001, 2, Parts(data40, 0xFC)), V::Raw, 40, std::nullopt, uint8_t{0xFC}},
        {"MarkerInWrongCase", {"carrier.raw", wrongCarrier}, V::Raw},
        {"EndMarkerInsideData", Raw(1001, 2, Parts(word)), V::Raw, 3},
        // 18 + 232 = 250: the end marker straddles the first 256-byte block.
        {"EndMarkerAcrossBlocks", Raw(258 * 2 + 1, 4, Parts(Plain(232))), V::Raw, 232},
    });
    return rows;
}

class HostileCarrierTest : public ::testing::TestWithParam<HostileCase> {};

// Whatever the analysis accepted must read without changing the file, must take a payload
// the engine allows without growing the file or touching what lies before the picture, must
// refuse one it cannot hold, and must still give the payload back afterwards.
TEST_P(HostileCarrierTest, GetsItsVerdictReadsSafelyAndHidesInside) {
    const HostileCase& row = GetParam();
    const HostileFile& file = row.file;
    const test::TempDir dir;
    const std::string path = dir.File(file.name), out = dir.File("out.bin");
    if (!file.folder) test::WriteFile(path, file.bytes);
    const int made = file.folder ? ::mkdir(path.c_str(), 0755)
                     : file.sparseLength > 0 ? ::truncate(path.c_str(), file.sparseLength) : 0;
    ASSERT_EQ(made, 0);

    const CarrierAnalysis analysis = AnalyseCarrier(path);
    if (row.verdict) {
        EXPECT_EQ(analysis.verdict, *row.verdict);
    } else {
        EXPECT_FALSE(analysis.accepted()) << "verdict " << static_cast<int>(analysis.verdict);
    }
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

    PayloadSource source;
    source.path = dir.File("payload.bin");
    source.size = static_cast<int64_t>(file.bytes.size());
    source.extension = "bin";
    test::WriteFile(source.path, Plain(file.bytes.size()));
    const Status refused = HidePayload(facts, kHideBits, source);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::PayloadTooLarge);
    EXPECT_EQ(test::ReadFile(path), file.bytes) << "a refused hide changed the carrier";

    const int64_t room = int64_t{facts.imageSize} * kHideBits / 8 - fuzz::kStreamPrefixPlain - 2 * 8;
    if (room < 1) return;
    const Bytes data = Plain(static_cast<size_t>(std::min(room, kHideProbeBytes)));
    source.size = static_cast<int64_t>(data.size());
    test::WriteFile(source.path, data);
    ASSERT_TRUE(HidePayload(facts, kHideBits, source).ok());

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
